// morvane-check as a command: one line per broken file on standard error,
// nothing for good ones, and the exit status.

#include "support/run_program.hpp"
#include "support/text_lines.hpp"

#include <gtest/gtest.h>

namespace {

using morvane::testing::platform_text;
using morvane::testing::run_program;
using morvane::testing::scratch_dir;
using morvane::testing::write_file;

TEST(check_cli, good_files_print_nothing_and_succeed) {
    const std::string dir = scratch_dir("check-good");
    write_file(dir + "/a.old", "[frame] [name] idle; !\n");
    write_file(dir + "/b.old", "");
    const auto r = run_program(MORVANE_CHECK, {dir + "/a.old", dir + "/b.old"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "");
}

TEST(check_cli, each_broken_or_unreadable_file_gets_one_line_in_order) {
    const std::string dir = scratch_dir("check-bad");
    write_file(dir + "/bad.old", "[frame]\r\n  [name] idle;\r\n  [sprit]\r\n  !\r\n!\r\n");
    write_file(dir + "/good.old", "[frame]!");
    write_file(dir + "/cut.old", "[frame] [name] idle;");
    const auto r = run_program(MORVANE_CHECK, {dir + "/bad.old", dir + "/good.old",
                                               dir + "/missing.old", dir, dir + "/cut.old"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              platform_text(
                  dir + "/bad.old:3:4: expected \"colrect\", \"name\", \"point\" or \"sprite\"\n" +
                  dir + "/missing.old: unable to open file: No such file or directory\n" + dir +
                  ": unable to read file: it is a directory\n" + dir +
                  "/cut.old:1:21: expected \"!\" or \"[\"\n"));
}

TEST(check_cli, no_file_is_a_usage_error) {
    const auto r = run_program(MORVANE_CHECK, {});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, platform_text("Usage: " + std::string(MORVANE_CHECK) + " FILE...\n"));
}

} // namespace
