// Damaged inputs. Every strict prefix and every single-byte deletion of
// the bundled example must convert cleanly or fail leaving nothing to write (the
// sanitizer build also checks that none of them reads out of bounds or leaks),
// and fail where the damage is certain to break the structure.

#include "support/convert.hpp"
#include "support/run_program.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace morvane::testing {
namespace {

const std::string& example() {
    static const std::string bytes = read_file(std::string(MORVANE_EXAMPLES) + "/project.old");
    return bytes;
}

std::string_view without_trailing_space(std::string_view s) {
    while (!s.empty() && std::string_view(" \t\r\n").find(s.back()) != std::string_view::npos)
        s.remove_suffix(1);
    return s;
}

TEST(malformed_sweep, every_prefix_succeeds_exactly_at_top_level_block_ends) {
    // In the example every top-level block closes with "!" alone at the start of
    // a line and every nested block's "!" is indented.
    const std::string& whole = example();
    ASSERT_GT(whole.size(), 1000U);
    std::size_t successes = 0;
    for (std::size_t n = 0; n < whole.size(); ++n) {
        const std::string_view prefix(whole.data(), n);
        const std::string_view kept = without_trailing_space(prefix);
        const bool complete = kept.empty() || kept.ends_with("\n!");
        const converted r = convert(prefix);
        ASSERT_EQ(r.parsed, complete) << "prefix of " << n << " bytes";
        successes += r.parsed ? 1 : 0;
    }
    EXPECT_GT(successes, 14U) << "one or more per top-level block";
}

TEST(malformed_sweep, every_single_byte_deletion_succeeds_or_writes_nothing) {
    const std::string& whole = example();
    std::size_t failures = 0;
    for (std::size_t at = 0; at < whole.size(); ++at) {
        std::string damaged = whole;
        const char removed = damaged[at];
        damaged.erase(at, 1);
        const converted r = convert(damaged);
        if (!r.parsed) {
            ++failures;
        } else {
            // Brackets and closing marks carry the structure: none may go missing.
            ASSERT_EQ(std::string_view("[]!").find(removed), std::string_view::npos)
                << "deleting '" << removed << "' at byte " << at << " still parsed";
            ASSERT_NE(r.output, "");
        }
    }
    EXPECT_GT(failures, whole.size() / 10);
}

} // namespace
} // namespace morvane::testing
