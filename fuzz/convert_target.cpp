// Fuzz target: one whole conversion in memory on arbitrary bytes. Aborts when an
// invariant of a conversion breaks:
//   - a parse either succeeds, with its output (possibly empty), or fails and
//     leaves nothing in the document, so that nothing at all is written;
//   - output that is not empty ends with a line end;
//   - converting the same bytes again gives the same result when they arrive
//     a few bytes per read, whether no size is known in advance (as from a
//     pipe) or a wrong one is (as from a file that changed since it was opened).
// Crashes, leaks and out-of-bounds accesses are the sanitizers' to report.

#include "driver/conversion.hpp"
#include "tests/support/sources.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

struct outcome {
    bool parsed = false;
    std::string output;
    bool operator==(const outcome&) const = default;
};

[[noreturn]] void violated(const char* invariant) {
    std::fprintf(stderr, "conversion invariant violated: %s\n", invariant);
    std::abort();
}

outcome convert(morvane::input_source& in) {
    morvane::conversion run;
    outcome result;
    result.parsed = run.parse(in);
    if (result.parsed) {
        morvane::string_sink sink(result.output);
        run.write(sink);
    } else {
        // Nothing of a failed parse may reach the document, so nothing can be
        // written (checked here rather than by writing, which is far slower).
        const morvane::document& doc = run.doc();
        if (!doc.frame_list.empty() || !doc.character_list.empty() || !doc.charmap_list.empty())
            violated("a failed parse left records in the document");
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    morvane::memory_source in_memory(bytes);
    const outcome first = convert(in_memory);
    if (!first.output.empty() && first.output.back() != '\n')
        violated("the output does not end with a line end");

    // Either other way of reading, chosen by the input itself so that a crash
    // reproduces; small odd chunks make refills stop anywhere in a token.
    const unsigned char first_byte = size == 0 ? 0 : static_cast<unsigned char>(bytes[0]);
    morvane::testing::source_behaviour pieces{1U + first_byte % 7U, {}};
    if (first_byte % 2 != 0) // a size claimed at open that the bytes no longer have
        pieces = {1U + first_byte % 5U, size / (1 + first_byte % 3) + first_byte % 5};
    morvane::testing::scripted_source again(bytes, pieces);
    if (convert(again) != first) violated("converting the same bytes twice differed");
    return 0;
}
