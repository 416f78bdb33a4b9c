#pragma once
// Expected text as this platform stores it: where text files end lines with
// CR LF, each LF of a text stream (an output file, standard error) is that pair.

#include <string>
#include <string_view>

namespace morvane::testing {

inline std::string platform_text(std::string_view lines) {
#if defined(_WIN32)
    std::string stored;
    for (const char c : lines) {
        if (c == '\n') stored += '\r';
        stored += c;
    }
    return stored;
#else
    return std::string(lines);
#endif
}

} // namespace morvane::testing
