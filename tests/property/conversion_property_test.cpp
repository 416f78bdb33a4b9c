// Thousands of random projects, each rendered in the old format with random
// legal spacing and line ends, converted in memory and compared with the text
// an independent model of the new format gives for the same project.

#include "property/project_model.hpp"
#include "support/convert.hpp"

#include <gtest/gtest.h>

namespace morvane::testing {
namespace {

TEST(conversion_property, random_projects_convert_to_the_models_new_format) {
    constexpr std::uint64_t projects = 2000;
    std::size_t lines = 0;
    for (std::uint64_t seed = 1; seed <= projects; ++seed) {
        random_bits rng(seed);
        const block project = random_project(rng);
        const std::string input = old_format(project, rng);
        const std::string expected = expected_new_format(project);
        const converted r = convert(input);
        const std::string shown = ::testing::PrintToString(input);
        ASSERT_TRUE(r.parsed) << "seed " << seed << ", input: " << shown;
        ASSERT_EQ(r.output, expected) << "seed " << seed << ", input: " << shown;
        lines += static_cast<std::size_t>(std::count(expected.begin(), expected.end(), '\n'));
    }
    // The generator must produce real documents, not mostly empty ones.
    EXPECT_GT(lines, projects * 10);
}

} // namespace
} // namespace morvane::testing
