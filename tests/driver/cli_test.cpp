// The converter where a case file can't set it up: a file-size limit reached
// mid-way, memory running out, and a run interrupted by a signal.

#include "io/interruption.hpp"
#include "support/run_program.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <tuple>
#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>
#endif

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
        return run_program(convert, {input, output}, run_options{.max_file_bytes = limit});
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
        return run_program(convert, {dir + "/in.old", dir + "/out.new"},
                           {.max_address_bytes = 32U << 20U});
    };
    ASSERT_EQ(limited(1000).status, 0) << "the program starts and converts within the limit";
    const auto r = limited(400000); // about 120 MiB of records
    EXPECT_EQ(std::tuple(r.status, r.err, fs::file_size(dir + "/out.new")),
              std::tuple(1, "ERROR: Out of Memory\n", 0U));
}

// Interrupted while its output is open, a run ends by the signal, its output
// empty and its input untouched; an output closed before the signal is kept.
TEST(cli_interruption, an_interruption_empties_an_open_output_and_keeps_a_closed_one) {
#if defined(_WIN32)
    GTEST_SKIP() << "wine delivers no console control event to a converter in a process group "
                    "of its own: GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT) fails";
#else
    // A run can't be caught between closing its output and ending, so the
    // guard itself, first: each death test runs this body again, up to itself,
    // in a process of its own (hence no scratch_dir). An output still open is
    // written on and on, as the converter's writer would, while the guard's
    // thread takes the signal.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string path = "interruption-guard.new";
    const auto interrupt = [&](bool close_first) {
        morvane::platform::interruption_guard interruption;
        std::FILE* file = std::fopen(path.c_str(), "w");
        interruption.open(file, path);
        std::fputs("[frame f]\n", file);
        if (close_first) (void)interruption.close(true);
        ::kill(::getpid(), SIGTERM); // to the process, so the guard's thread takes it
        while (!close_first) std::fputs("sprite 0 x=1\n", file), std::fflush(file);
        for (;;) ::pause();
    };
    EXPECT_EXIT(interrupt(true), ::testing::KilledBySignal(SIGTERM), "");
    EXPECT_EQ(read_file(path), "[frame f]\n");
    EXPECT_EXIT(interrupt(false), ::testing::KilledBySignal(SIGTERM), "");
    EXPECT_EQ(fs::file_size(path), 0U);

    // The converter, stopped while it writes (again and again, so that a race
    // between the writer's threads and the one that takes the signal would
    // show), then while it still parses.
    const std::string dir = scratch_dir("interruption");
    const std::string input = dir + "/in.old", output = dir + "/out.new";
    const std::string image(2000, 'p');
    std::string project; // about 40 MB of output, in 1 MiB blocks
    for (int i = 0; i < 20000; ++i)
        project += "[frame][name]f" + std::to_string(i) + ";[sprite][image]" + image + ";!!\n";
    write_file(input, project);
    ASSERT_EQ(run_program(convert, {input, output}).status, 0);
    const auto whole = fs::file_size(output);
    // Runs the converter, freezing it again and again until it is frozen where
    // `ready` holds; then sends SIGTERM and lets it go on. Looked at while it is
    // frozen, an output shorter than the whole one is still open.
    const auto interrupted_run = [&](const auto& ready) {
        fs::remove(output);
        const auto stop = [&](int pid) {
            for (bool now = false; !now;) {
                siginfo_t info{};
                ::kill(pid, SIGSTOP);
                ::waitid(P_PID, pid, &info, WSTOPPED | WEXITED | WNOWAIT);
                if (info.si_code != CLD_STOPPED) return; // it ended by itself
                now = fs::exists(output) && fs::file_size(output) < whole && ready();
                if (now) ::kill(pid, SIGTERM);
                ::kill(pid, SIGCONT);
                std::this_thread::sleep_for(std::chrono::milliseconds(1)); // lets it go on
            }
        };
        return run_program(convert, {input, output}, run_options{.while_running = stop});
    };
    for (int run = 0; run <= 10; ++run) { // the last one as soon as the output exists: parsing
        const auto r =
            interrupted_run([&] { return run == 10 || fs::file_size(output) > 1U << 20U; });
        // A run that went from under 1 MiB to its end between two freezes calls
        // for a larger output, not for a retry.
        ASSERT_EQ(r.signal, SIGTERM) << "run " << run << " was not stopped in time";
        EXPECT_EQ(fs::file_size(output), 0U) << "run " << run;
        EXPECT_TRUE(run == 10 || r.err == "Success!\n") << "run " << run << ": " << r.err;
    }
    EXPECT_TRUE(read_file(input) == project);
#endif
}

} // namespace
