// Both executables as a user or a script runs them: arguments, files that can't
// be opened, read or written, messages and exit statuses. "$D" in a case stands
// for a scratch directory holding the files that fixture() makes.

#include "support/convert.hpp"
#include "support/run_program.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace fs = std::filesystem;
using morvane::testing::read_file;
using morvane::testing::run_options;
using morvane::testing::run_program;
using morvane::testing::scratch_dir;
using morvane::testing::write_file;

namespace {

const std::string project = "[frame] [name] idle; !\n";

std::string fixture(const std::string& name) {
    const std::string dir = scratch_dir(name);
    write_file(dir + "/in.old", project);
    write_file(dir + "/blank.old", "  \n");
    write_file(dir + "/good.old", "[frame]!");
    write_file(dir + "/bad.old", "[frame]\r\n  [name] idle;\r\n  [sprit]\r\n  !\r\n!\r\n");
    write_file(dir + "/cut.old", "[frame] [name] idle;");
    write_file(dir + "/out.new", "old contents");
    fs::create_hard_link(dir + "/in.old", dir + "/hard.old");
    return dir;
}

std::string expand(std::string s, const std::string& dir) {
    for (std::size_t at; (at = s.find("$D")) != std::string::npos;) s.replace(at, 2, dir);
    return s;
}

struct cli_case {
    const char* name;
    std::string program;
    std::vector<std::string> args;
    int status;
    std::string err;
    std::optional<std::string> output = std::nullopt; // what $D/out.new holds afterwards
};

const std::string convert = MORVANE_CONVERT;
const std::string check = MORVANE_CHECK;
const std::string banner = "Reverse MorvaNE file conversion utility v1.0\n"
                           "Copyright (c) the morvane-convert authors\n\n"
                           "Usage: " +
                           convert + " <old morvane file> <new morvane file>\n";
const std::string frame_keywords = R"(expected "colrect", "name", "point" or "sprite")";

const cli_case cases[] = {
    {"no_arguments", convert, {}, 1, banner},
    {"one_argument", convert, {"$D/in.old"}, 1, banner, "old contents"},
    {"three_arguments", convert, {"$D/in.old", "$D/new.new", "$D/c"}, 1, banner, "old contents"},
    {"converts", convert, {"$D/in.old", "$D/out.new"}, 0, "Success!\n", "[frame idle]\n"},
    {"missing_input_still_empties_the_output",
     convert,
     {"$D/nope.old", "$D/out.new"},
     1,
     "Unable to open file '$D/nope.old' for input.\n",
     ""},
    {"neither_opens",
     convert,
     {"$D/nope.old", "$D/no/dir/out.new"},
     1,
     "Unable to open file '$D/nope.old' for input.\n"
     "Unable to open file '$D/no/dir/out.new' for output.\n"},
    {"output_in_a_missing_directory",
     convert,
     {"$D/in.old", "$D/no/out.new"},
     1,
     "Unable to open file '$D/no/out.new' for output.\n"},
    {"output_under_a_file",
     convert,
     {"$D/in.old", "$D/in.old/out.new"},
     1,
     "Unable to open file '$D/in.old/out.new' for output.\n"},
    {"input_is_a_directory",
     convert,
     {"$D", "$D/out.new"},
     1,
     "Unable to open file '$D' for input.\n",
     ""},
    {"same_path_twice",
     convert,
     {"$D/in.old", "$D/in.old"},
     1,
     "Unable to open file '$D/in.old' for output.\n"},
    {"another_path_to_the_input",
     convert,
     {"$D/in.old", "$D/./in.old"},
     1,
     "Unable to open file '$D/./in.old' for output.\n"},
    {"a_hard_link_to_the_input",
     convert,
     {"$D/in.old", "$D/hard.old"},
     1,
     "Unable to open file '$D/hard.old' for output.\n"},
    {"unreadable_input",
     convert,
     {"/proc/self/mem", "$D/out.new"},
     1,
     "Unable to read file '/proc/self/mem'.\n",
     ""},
    {"full_device",
     convert,
     {"$D/in.old", "/dev/full"},
     1,
     "Success!\nUnable to write file '/dev/full'.\n"},
    {"empty_document_on_a_full_device", convert, {"$D/blank.old", "/dev/full"}, 0, "Success!\n"},
    {"check_good_files", check, {"$D/in.old", "$D/blank.old"}, 0, ""},
    {"check_no_file", check, {}, 1, "Usage: " + check + " FILE...\n"},
    {"check_missing_file",
     check,
     {"$D/nope.old"},
     1,
     "$D/nope.old: unable to open file: No such file or directory\n"},
    {"check_directory", check, {"$D"}, 1, "$D: unable to read file: it is a directory\n"},
    {"check_one_line_per_broken_file_in_order",
     check,
     {"$D/bad.old", "$D/good.old", "$D/cut.old"},
     1,
     "$D/bad.old:3:4: " + frame_keywords + "\n$D/cut.old:1:21: expected \"!\" or \"[\"\n"},
};

class cli : public ::testing::TestWithParam<cli_case> {};

TEST_P(cli, status_messages_and_output_file) {
    const cli_case& c = GetParam();
    for (const char* device : {"/dev/full", "/proc/self/mem"})
        for (const std::string& a : c.args)
            if (a == device && !fs::exists(device)) GTEST_SKIP() << "no " << device << " here";
    const std::string dir = fixture(c.name);
    std::vector<std::string> args;
    for (const std::string& a : c.args) args.push_back(expand(a, dir));
    const auto r = run_program(c.program, args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, expand(c.err, dir));
    EXPECT_EQ(r.out, "") << "nothing goes to standard output";
    EXPECT_EQ(read_file(dir + "/in.old"), project) << "the input is never touched";
    const auto files = std::distance(fs::directory_iterator(dir), fs::directory_iterator());
    EXPECT_EQ(files, 7) << "no file is created but the output";
    if (c.output) {
        EXPECT_EQ(read_file(dir + "/out.new"), *c.output);
    }
}

INSTANTIATE_TEST_SUITE_P(runs, cli, ::testing::ValuesIn(cases),
                         [](const auto& info) { return std::string(info.param.name); });

// The error stream without the complaints of a coverage build's profiler, whose
// data files fall under the same size limit.
std::string messages(const std::string& err) {
    std::string kept;
    for (std::size_t from = 0, end; from < err.size(); from = end) {
        end = std::min(err.find('\n', from), err.size() - 1) + 1;
        if (err.compare(from, 24, "libgcov profiling error:") != 0)
            kept += err.substr(from, end - from);
    }
    return kept;
}

// Output that reaches the file in several blocks, cut short by a file-size limit
// anywhere: before the first byte, inside the first block, at the last byte. The
// run fails and leaves the output empty.
TEST(cli_file_limit, a_write_failing_anywhere_fails_the_run) {
    const std::string dir = scratch_dir("file-limit");
    const std::string input = dir + "/in.old";
    const std::string output = dir + "/out.new";
    write_file(input, "[frame] [name] f; [sprite] [image] " + std::string(3U << 20U, 'p') +
                          "; [x] 1; ! !\n");
    const auto limited = [&](std::uint64_t limit) {
        return run_program(convert, {input, output}, run_options{limit, {}});
    };
    // The limit's own effect first: with room for every byte the run succeeds.
    ASSERT_EQ(limited(1U << 30U).status, 0);
    const std::uint64_t size = fs::file_size(output);
    ASSERT_GT(size, 1U << 20U) << "the output must not fit in one block";
    EXPECT_EQ(limited(size).status, 0);
    for (const std::uint64_t limit : {std::uint64_t{0}, std::uint64_t{512 * 1024}, size - 1}) {
        const auto r = limited(limit);
        EXPECT_EQ(r.status, 1) << "limit " << limit;
        EXPECT_EQ(messages(r.err), "Success!\nUnable to write file '" + output + "'.\n")
            << "limit " << limit;
        EXPECT_EQ(fs::file_size(output), 0U) << "limit " << limit << ": no half-written project";
    }
}

// An input cut short or extended (with NUL bytes) while the program reads it,
// `after` bytes into the run, `chunk` bytes per read: both programs end
// normally, the converter with the conversion of exactly the bytes it read.
TEST(cli_changing_input, never_ends_in_a_signal) {
    if (std::string(MORVANE_READ_SHIM).empty())
        GTEST_SKIP() << "the read shim does not load into sanitizer builds";
    const std::string original = read_file(std::string(MORVANE_EXAMPLES) + "/project.old");
    const std::size_t size = original.size();
    const std::string dir = scratch_dir("changing");
    struct change {
        std::size_t chunk, after, resize;
    };
    for (const change c : {change{1U << 20U, 0, 0}, change{4096, 4096, 100},
                           change{4096, 8192, size / 2}, change{1000, 1, size - 1},
                           change{1000, 3000, 2 * size}, change{1U << 20U, 0, 2 * size}}) {
        const std::size_t reads = std::max<std::size_t>(1, (c.after + c.chunk - 1) / c.chunk);
        const std::size_t before = std::min(size, reads * c.chunk);
        const std::string read = c.resize >= before
                                     ? (original + std::string(c.resize, '\0')).substr(0, c.resize)
                                     : original.substr(0, before);
        const auto expected = morvane::testing::convert(read);
        const run_options shim{std::nullopt,
                               {"LD_PRELOAD=" + std::string(MORVANE_READ_SHIM),
                                "MORVANE_SHIM_CHUNK=" + std::to_string(c.chunk),
                                "MORVANE_SHIM_AFTER=" + std::to_string(c.after),
                                "MORVANE_SHIM_RESIZE=" + std::to_string(c.resize)}};
        const std::string at =
            "cut to " + std::to_string(c.resize) + " after " + std::to_string(c.after) + " bytes";
        write_file(dir + "/in.old", original);
        const auto r = run_program(convert, {dir + "/in.old", dir + "/out.new"}, shim);
        EXPECT_EQ(r.signal, 0) << at;
        EXPECT_EQ(r.status, expected.parsed ? 0 : 1) << at;
        EXPECT_EQ(r.err, expected.parsed ? "Success!\n" : "Failure.\n") << at;
        EXPECT_TRUE(read_file(dir + "/out.new") == expected.output) << at;
        write_file(dir + "/in.old", original);
        const auto checked = run_program(check, {dir + "/in.old"}, shim);
        EXPECT_EQ(checked.signal, 0) << at;
        EXPECT_EQ(checked.status, r.status) << at;
    }
}

} // namespace
