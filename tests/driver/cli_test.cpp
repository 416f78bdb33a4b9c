// The command line: argument checks, opening files, messages and exit statuses.

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

const std::string usage_tail =
    "Usage: " + std::string(MORVANE_CONVERT) + " <old morvane file> <new morvane file>\n";

TEST(cli, wrong_argument_count_prints_banner_and_usage_and_touches_nothing) {
    const std::string dir = scratch_dir("args");
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {dir + "/a"}, {dir + "/a", dir + "/b", dir + "/c"}}) {
        const auto r = run_program(MORVANE_CONVERT, args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, platform_text("Reverse MorvaNE file conversion utility v1.0\n"
                                       "Copyright (c) the morvane-convert authors\n"
                                       "\n" +
                                       usage_tail));
    }
    EXPECT_TRUE(fs::is_empty(dir)) << "no file may be created";
}

TEST(cli, missing_input_reports_only_the_input_and_leaves_an_empty_output) {
    const std::string dir = scratch_dir("missing");
    write_file(dir + "/out.new", "old contents");
    const auto r = run_program(MORVANE_CONVERT, {dir + "/nope.old", dir + "/out.new"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, platform_text("Unable to open file '" + dir + "/nope.old' for input.\n"));
    EXPECT_EQ(read_file(dir + "/out.new"), "");
}

TEST(cli, neither_file_opens_reports_input_then_output) {
    const std::string dir = scratch_dir("neither");
    const auto r = run_program(MORVANE_CONVERT, {dir + "/nope.old", dir + "/no/such/dir/out.new"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, platform_text("Unable to open file '" + dir +
                                   "/nope.old' for input.\n"
                                   "Unable to open file '" +
                                   dir + "/no/such/dir/out.new' for output.\n"));
}

TEST(cli, output_in_a_missing_directory_or_under_a_file_is_reported) {
    const std::string dir = scratch_dir("outdir");
    write_file(dir + "/in.old", "[frame]!");
    for (const std::string& out : {dir + "/missing/out.new", dir + "/in.old/out.new"}) {
        const auto r = run_program(MORVANE_CONVERT, {dir + "/in.old", out});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, platform_text("Unable to open file '" + out + "' for output.\n"));
    }
}

TEST(cli, input_directory_is_not_an_input) {
    const std::string dir = scratch_dir("indir");
    const auto r = run_program(MORVANE_CONVERT, {dir, dir + "/out.new"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, platform_text("Unable to open file '" + dir + "' for input.\n"));
}

TEST(cli, same_file_twice_is_refused_and_the_input_survives) {
    const std::string dir = scratch_dir("same");
    const std::string input = "[frame] [name] idle; !\n";
    write_file(dir + "/p.old", input);
    fs::create_hard_link(dir + "/p.old", dir + "/hard.old");
    for (const std::string& second : {dir + "/p.old", dir + "/./p.old", dir + "/hard.old"}) {
        const auto r = run_program(MORVANE_CONVERT, {dir + "/p.old", second});
        EXPECT_EQ(r.status, 1) << second;
        EXPECT_EQ(r.err, platform_text("Unable to open file '" + second + "' for output.\n"));
        EXPECT_EQ(read_file(dir + "/p.old"), input);
    }
}

TEST(cli, write_errors_are_never_a_success) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    const std::string dir = scratch_dir("full");
    write_file(dir + "/in.old", "[frame] [name] idle; !\n");
    const auto r = run_program(MORVANE_CONVERT, {dir + "/in.old", "/dev/full"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, platform_text("Success!\nUnable to write file '/dev/full'.\n"));
}

TEST(cli, empty_document_succeeds_even_on_a_full_device) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    const std::string dir = scratch_dir("full-empty");
    write_file(dir + "/in.old", "  \n");
    const auto r = run_program(MORVANE_CONVERT, {dir + "/in.old", "/dev/full"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, platform_text("Success!\n"));
}

} // namespace
