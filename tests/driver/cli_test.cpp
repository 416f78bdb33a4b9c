// The converter where a case file can't set it up: a file-size limit reached
// mid-way, and memory running out.

#include "support/run_program.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <tuple>

namespace fs = std::filesystem;
using morvane::testing::read_file;
using morvane::testing::run_options;
using morvane::testing::run_program;
using morvane::testing::scratch_dir;
using morvane::testing::write_file;

namespace {

const std::string convert = MORVANE_CONVERT;

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
        return run_program(convert, {input, output}, run_options{limit});
    };
    // The limit's own effect first: with room for every byte the run succeeds.
    ASSERT_EQ(limited(1U << 30U).status, 0);
    ASSERT_TRUE(read_file(output) == "[frame f]\nsprite 0 image=" + path + "\nsprite 0 x=1\n");
    const std::uint64_t size = fs::file_size(output);
    EXPECT_EQ(limited(size).status, 0);
    for (const std::uint64_t limit : {std::uint64_t{0}, std::uint64_t{512 * 1024}, size - 1}) {
        const auto r = limited(limit);
        EXPECT_EQ(r.status, 1) << "limit " << limit;
        EXPECT_EQ(r.err, "Success!\nUnable to write file '" + output + "'.\n") << "limit " << limit;
        EXPECT_EQ(fs::file_size(output), 0U) << "limit " << limit << ": no half-written project";
    }
}

// An address-space limit that the program starts and converts a small project
// within, and an input of many records, which needs far more: the run fails
// before its verdict and leaves the output empty.
TEST(cli_memory_limit, memory_running_out_while_converting_fails_the_run) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows has no per-process address-space limit to make allocations fail";
#elif defined(MORVANE_SANITIZED)
    GTEST_SKIP() << "the sanitizers reserve more address space than the limit allows";
#endif
    const std::string dir = scratch_dir("memory-limit");
    const auto limited = [&](std::size_t frames) {
        std::string input;
        while (frames-- > 0) input += "[frame]!";
        write_file(dir + "/in.old", input);
        return run_program(convert, {dir + "/in.old", dir + "/out.new"}, {{}, 32U << 20U});
    };
    ASSERT_EQ(limited(1000).status, 0) << "the program starts and converts within the limit";
    const auto r = limited(400000); // about 120 MiB of records
    EXPECT_EQ(std::tuple(r.status, r.err, fs::file_size(dir + "/out.new")),
              std::tuple(1, "ERROR: Out of Memory\n", 0U));
}

} // namespace
