#include "tests/support/convert.hpp"

#include "driver/conversion.hpp"

#include <stdexcept>

namespace morvane::testing {

converted convert(std::string_view input, const part_plan& plan) {
    memory_source source(input);
    return convert(source, plan);
}

converted convert(input_source& in, const part_plan& plan) {
    conversion run;
    converted r{run.parse(in, nullptr, plan), {}, 1};
    r.parts = run.parts();
    if (!r.parsed) {
        const document& doc = run.doc();
        if (!doc.frame_list.empty() || !doc.character_list.empty() || !doc.charmap_list.empty())
            throw std::logic_error("a failed parse left records in the document");
        return r;
    }
    string_sink sink(r.output);
    run.write(sink);
    return r;
}

} // namespace morvane::testing
