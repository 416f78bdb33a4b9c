// Runs both executables on every case under e2e/cases: the converter for the
// exact new-format bytes, stderr and exit status; the checker for the same
// verdict and, where a case gives one, its exact line.

#include "support/run_program.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;
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

std::string trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s;
}

class converts : public ::testing::TestWithParam<std::string> {};

TEST_P(converts, exact_output_messages_and_status) {
    const std::string dir = std::string(MORVANE_CASES) + "/" + GetParam();
    const std::string out = scratch_dir("case-" + GetParam()) + "/out.new";
    const auto r = run_program(MORVANE_CONVERT, {dir + "/input.old", out});
    EXPECT_EQ(r.err, read_file(dir + "/expected.stderr"));
    EXPECT_EQ(std::to_string(r.status), trimmed(read_file(dir + "/expected.status")));
    EXPECT_EQ(r.out, "") << "nothing may go to standard output";
    ASSERT_TRUE(fs::exists(out));
    EXPECT_EQ(read_file(out), read_file(dir + "/expected.new"));

    const auto checked = run_program(MORVANE_CHECK, {dir + "/input.old"});
    EXPECT_EQ(checked.status, r.status);
    const bool placed = fs::exists(dir + "/expected.check");
    if (placed || r.status == 0) {
        EXPECT_EQ(checked.err, placed ? dir + "/" + read_file(dir + "/expected.check") : "");
    }
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
    EXPECT_EQ(r.err, "Success!\n");
    EXPECT_EQ(read_file(out), read_file(std::string(MORVANE_EXAMPLES) + "/project.new"));
}

} // namespace
