// Thousands of random projects, each rendered in the old format with random
// legal spacing and line ends, converted in memory and compared with the text
// an independent model of the new format gives for the same project.

#include "property/project_model.hpp"
#include "support/convert.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace morvane::testing {
namespace {

// The input with control bytes made visible, for failure messages.
std::string visible(const std::string& bytes) {
    std::string s;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\n' || (u >= 32 && u < 127)) {
            s += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            s += hex;
        }
    }
    return s;
}

TEST(conversion_property, random_projects_convert_to_the_models_new_format) {
    constexpr std::uint64_t projects = 2000;
    std::size_t lines = 0;
    for (std::uint64_t seed = 1; seed <= projects; ++seed) {
        random_bits rng(seed);
        const std::vector<block> project = random_project(rng);
        const std::string input = old_format(project, rng);
        const std::string expected = expected_new_format(project);
        const converted r = convert(input);
        ASSERT_TRUE(r.parsed) << "seed " << seed << ", input:\n" << visible(input);
        ASSERT_EQ(r.output, expected) << "seed " << seed << ", input:\n" << visible(input);
        for (const char c : expected) lines += c == '\n' ? 1 : 0;
    }
    // The generator must produce real documents, not mostly empty ones.
    EXPECT_GT(lines, projects * 10);
}

} // namespace
} // namespace morvane::testing
