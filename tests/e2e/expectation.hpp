#pragma once
// What an end-to-end case expects on this platform.
//
// Where text files end lines with CR LF, the output file and standard error
// hold each LF as that pair, so a case's expected.new and expected.stderr apply
// with that change alone. Where that is not the whole story (an input whose
// CR LF pairs lie inside a value, or that ends in 0x1A bytes) the case holds
// the exact bytes in expected.windows.new, expected.windows.stderr or
// expected.windows.status (or expected.windows.check), and says why in
// windows.why.

#include "support/run_program.hpp"

#include <filesystem>
#include <string>

namespace morvane::testing {

struct case_expectation {
    std::string output;
    std::string messages;
    std::string status; // as text, without the line end
};

// A case's expected.WHAT, or its expected.windows.WHAT on Windows where the
// case has one; text as the platform stores it.
inline std::string expected_file(const std::string& dir, const std::string& what, bool text) {
#if defined(_WIN32)
    const std::string own = dir + "/expected.windows." + what;
    if (std::filesystem::exists(own)) return read_file(own);
#endif
    const std::string bytes = read_file(dir + "/expected." + what);
    return text ? platform_text(bytes) : bytes;
}

inline case_expectation expected_for(const std::string& dir) {
    std::string status = expected_file(dir, "status", false);
    while (!status.empty() &&
           (status.back() == '\n' || status.back() == '\r' || status.back() == ' '))
        status.pop_back();
    return {expected_file(dir, "new", true), expected_file(dir, "stderr", true), status};
}

} // namespace morvane::testing
