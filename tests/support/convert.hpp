#pragma once
// One conversion in memory, through the same two halves as the executable, for
// the tests and the fuzz target alike.

#include "parser/input.hpp"

#include <string>
#include <string_view>

namespace morvane::testing {

struct converted {
    bool parsed = false;
    std::string output; // empty after a failed parse
    bool operator==(const converted&) const = default;
};

// Throws std::logic_error when a failed parse left records in the document:
// nothing of a failed parse may be written (checked here rather than by
// writing, which is far slower).
converted convert(input_source& in);
converted convert(std::string_view input);

} // namespace morvane::testing
