#pragma once
// One conversion in memory, through the same two halves as the executable, for
// the tests and the fuzz target alike.

#include "parser/grammar.hpp"
#include "parser/input.hpp"

#include <string>
#include <string_view>

namespace morvane::testing {

struct converted {
    bool parsed = false;
    std::string output;    // empty after a failed parse
    std::size_t parts = 1; // how many parts were matched and built at once
    bool operator==(const converted& other) const {
        return parsed == other.parsed && output == other.output;
    }
};

// Throws std::logic_error when a failed parse left records in the document:
// nothing of a failed parse may be written (checked here rather than by
// writing, which is far slower).
// In parts as `plan` allows (one part by default).
converted convert(input_source& in, const part_plan& plan = {});
converted convert(std::string_view input, const part_plan& plan = {});

} // namespace morvane::testing
