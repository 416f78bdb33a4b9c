// The commands where a case file can't set them up: a file-size limit reached
// mid-way; an input that changes while it is read; and two names of one file
// (letter case on a file system that ignores it, separators), refused.

#include "support/convert.hpp"
#include "support/run_program.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace fs = std::filesystem;
using morvane::testing::path_of;
using morvane::testing::platform_text;
using morvane::testing::read_file;
using morvane::testing::run_options;
using morvane::testing::run_program;
using morvane::testing::scratch_dir;
using morvane::testing::write_file;

namespace {

const std::string convert = MORVANE_CONVERT;
const std::string check = MORVANE_CHECK;

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
#if defined(_WIN32)
    GTEST_SKIP() << "Windows has no per-process file size limit to make writes fail";
#endif
    const std::string dir = scratch_dir("file-limit");
    const std::string input = dir + "/in.old";
    const std::string output = dir + "/out.new";
    // Blocks written in the background around a path too long for one, written
    // directly: the whole output arrives in order when there is room.
    const std::string path(3U << 20U, 'p');
    write_file(input, "[frame] [name] f; [sprite] [image] " + path + "; [x] 1; ! !\n");
    const auto limited = [&](std::uint64_t limit) {
        return run_program(convert, {input, output}, run_options{limit, {}});
    };
    // The limit's own effect first: with room for every byte the run succeeds.
    ASSERT_EQ(limited(1U << 30U).status, 0);
    ASSERT_TRUE(read_file(output) == "[frame f]\nsprite 0 image=" + path + "\nsprite 0 x=1\n");
    const std::uint64_t size = fs::file_size(output);
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

const std::string project = "[frame] [name] idle; !\n";

TEST(file_names, another_spelling_of_the_input_is_refused_as_output) {
    const std::string dir = scratch_dir("spellings");
    write_file(dir + "/héros.old", project);
    std::vector<std::string> others;
    if (fs::exists(path_of(dir + "/HÉROS.OLD"))) others = {dir + "/HÉROS.OLD", dir + "/Héros.old"};
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
