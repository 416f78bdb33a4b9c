// Runs the real executable on every case under e2e/cases: an old-format input,
// the exact new-format bytes expected, the exact stderr and the exit status.

#include "e2e/expectation.hpp"
#include "support/run_program.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;
using morvane::testing::platform_text;
using morvane::testing::read_file;
using morvane::testing::run_program;
using morvane::testing::scratch_dir;

namespace {

std::vector<std::string> case_names() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(MORVANE_CASES))
        if (entry.is_directory()) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class converts : public ::testing::TestWithParam<std::string> {};

TEST_P(converts, exact_output_messages_and_status) {
    const std::string dir = std::string(MORVANE_CASES) + "/" + GetParam();
    const std::string out = scratch_dir("case-" + GetParam()) + "/out.new";
    const auto r = run_program(MORVANE_CONVERT, {dir + "/input.old", out});
    const auto expected = morvane::testing::expected_for(dir);
    EXPECT_EQ(r.err, expected.messages);
    EXPECT_EQ(std::to_string(r.status), expected.status);
    EXPECT_EQ(r.out, "") << "nothing may go to standard output";
    ASSERT_TRUE(fs::exists(out));
    EXPECT_EQ(read_file(out), expected.output);
}

INSTANTIATE_TEST_SUITE_P(e2e, converts, ::testing::ValuesIn(case_names()), [](const auto& info) {
    std::string name = info.param;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
});

TEST(example, bundled_project_converts_to_its_recorded_output) {
    const std::string out = scratch_dir("example") + "/project.new";
    const auto r =
        run_program(MORVANE_CONVERT, {std::string(MORVANE_EXAMPLES) + "/project.old", out});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, platform_text("Success!\n"));
    EXPECT_EQ(read_file(out),
              platform_text(read_file(std::string(MORVANE_EXAMPLES) + "/project.new")));
}

} // namespace
