#pragma once
// One conversion in memory, through the same two halves as the executable.

#include "parser/input.hpp"

#include <string>
#include <string_view>

namespace morvane::testing {

struct converted {
    bool parsed = false;
    std::string output; // empty after a failed parse
    bool operator==(const converted&) const = default;
};

// Also checks that a failed parse leaves nothing in the document to write.
converted convert(input_source& in);
converted convert(std::string_view input);

} // namespace morvane::testing
