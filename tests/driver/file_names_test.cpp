// File names as users type them: names outside ASCII open, convert and appear
// readably (UTF-8) in messages, and two names of one file are refused, however
// they differ (letter case on a file system that ignores it, separators).

#include "support/run_program.hpp"
#include "support/text_lines.hpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using morvane::testing::platform_text;
using morvane::testing::read_file;
using morvane::testing::run_program;
using morvane::testing::scratch_dir;
using morvane::testing::write_file;

namespace {

fs::path native(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

const std::string project = "[frame] [name] idle; !\n";

TEST(file_names, names_beyond_ascii_convert_and_are_named_in_messages) {
    const std::string dir = scratch_dir("名前-フォルダ");
    write_file(dir + "/héros.old", project);
    const auto r = run_program(MORVANE_CONVERT, {dir + "/héros.old", dir + "/héros.new"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, platform_text("Success!\n"));
    EXPECT_EQ(read_file(dir + "/héros.new"), platform_text("[frame idle]\n"));

    const auto missing = run_program(MORVANE_CONVERT, {dir + "/ない.old", dir + "/ない.new"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err,
              platform_text("Unable to open file '" + dir + "/ない.old' for input.\n"));
}

TEST(file_names, another_spelling_of_the_input_is_refused_as_output) {
    const std::string dir = scratch_dir("spellings");
    write_file(dir + "/héros.old", project);
    std::vector<std::string> others;
    if (fs::exists(native(dir + "/HÉROS.OLD"))) others = {dir + "/HÉROS.OLD", dir + "/Héros.old"};
#if defined(_WIN32)
    others.push_back(dir + "\\héros.old");
#endif
    if (others.empty()) GTEST_SKIP() << "letter case tells names apart on this file system";
    for (const std::string& other : others) {
        const auto r = run_program(MORVANE_CONVERT, {dir + "/héros.old", other});
        EXPECT_EQ(r.status, 1) << other;
        EXPECT_EQ(r.err, platform_text("Unable to open file '" + other + "' for output.\n"));
        EXPECT_EQ(read_file(dir + "/héros.old"), project);
    }
}

} // namespace
