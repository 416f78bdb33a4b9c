// The converter where a case file can't set it up: a file-size limit reached
// mid-way, memory running out, and a run interrupted by a signal. POSIX only:
// Windows has no per-process file-size or address-space limit, and wine
// delivers no console control event to a converter in a process group of its
// own (GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT) fails).

#include "io/interruption.hpp"
#include "support/one_processor.hpp"
#include "support/run_program.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace morvane::testing;

namespace {

const std::string convert = MORVANE_CONVERT;

// Output that reaches the file in several blocks, cut short by a file-size limit
// anywhere: before the first byte, inside the first block, at the last byte. The
// run fails and leaves the output empty. With room for it, every byte arrives in
// order.
TEST(cli_file_limit, a_write_failing_anywhere_fails_the_run) {
    const std::string dir = scratch_dir("file-limit");
    const std::string input = dir + "/in.old";
    const std::string output = dir + "/out.new";
    // Paths longer than a block: the parts past a block of the first two are
    // copied and written in the background, the second shorter than the first,
    // each after a block (the block handed back must not be taken for as large
    // as the copy before it); the third's, too long to copy, is written directly.
    std::string project = "[frame] [name] f;", expected = "[frame f]\n";
    const std::size_t quarter_mib[] = {10, 9, 12};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string path(quarter_mib[i] << 18U, static_cast<char>('a' + i));
        project += "[sprite][image]" + path + ";!";
        expected += "sprite " + std::to_string(i) + " image=" + path + "\n";
    }
    write_file(input, project + "!\n");
    const auto limited = [&](std::uint64_t limit) {
        return run_program(convert, {input, output}, run_options{.max_file_bytes = limit});
    };
    // The limit's own effect first: with room for every byte the run succeeds.
    ASSERT_EQ(limited(1U << 30U).status, 0);
    ASSERT_TRUE(read_file(output) == expected);
    const std::uint64_t size = fs::file_size(output);
    EXPECT_EQ(limited(size).status, 0);
    for (const std::uint64_t limit : {std::uint64_t{0}, std::uint64_t{512 * 1024}, size - 1}) {
        const auto r = limited(limit);
        EXPECT_EQ(std::tuple(r.status, r.err, fs::file_size(output)),
                  std::tuple(1, "Success!\nUnable to write file '" + output + "'.\n", 0U))
            << "limit " << limit << ": the run fails, with no half-written project";
    }
}

// An address-space limit that the program starts and converts a small project
// within, and an input of many records, which needs far more: the run fails
// before its verdict and leaves the output empty.
TEST(cli_memory_limit, memory_running_out_while_converting_fails_the_run) {
#if defined(MORVANE_SANITIZED)
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
    // A run can't be caught between closing its output and ending, so the
    // guard itself, first: each death test runs this body again, up to itself,
    // in a process of its own (hence no scratch_dir). An output still open is
    // written on and on, as the converter's writer would, while the guard's
    // thread takes the signal.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string path = "interruption-guard.new";
    const auto interrupt = [&](bool close_first, bool signal) {
        {
            morvane::platform::interruption_guard interruption;
            std::FILE* file = std::fopen(path.c_str(), "w");
            interruption.open(file, path);
            std::fputs("[frame f]\n", file);
            if (close_first) (void)interruption.close(true);
            if (signal) ::kill(::getpid(), SIGTERM); // to the process: the guard's thread takes it
            while (signal && !close_first) std::fputs("sprite 0 x=1\n", file), std::fflush(file);
            while (signal) ::pause();
        } // a guard that goes with its output open empties it
        std::_Exit(0);
    };
    EXPECT_EXIT(interrupt(true, true), ::testing::KilledBySignal(SIGTERM), "");
    EXPECT_EQ(read_file(path), "[frame f]\n");
    EXPECT_EXIT(interrupt(false, true), ::testing::KilledBySignal(SIGTERM), "");
    EXPECT_EQ(fs::file_size(path), 0U);
    EXPECT_EXIT(interrupt(false, false), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(fs::file_size(path), 0U);
    fs::remove(path);

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
    // The converter shares this thread's one processor, so that it runs only
    // while this thread sleeps: a host that stops this thread's processor for
    // a while cannot let the converter run to its end between two freezes.
    // It still runs on two threads, so that every writing thread is stopped.
    const on_one_processor pinned;
    const struct two_threads {
        two_threads() { ::setenv("MORVANE_THREADS", "2", 1); }
        ~two_threads() { ::unsetenv("MORVANE_THREADS"); }
    } threads;
    for (int run = 0; run <= 10; ++run) { // the last one as soon as the output exists: parsing
        // Freezes the converter again and again until it is frozen with its
        // output still open (shorter than the whole one) and past 1 MiB (but
        // for the last run); then sends SIGTERM and lets it go on.
        const auto stop = [&](int pid) {
            for (bool now = false; !now;) {
                siginfo_t info{};
                ::kill(pid, SIGSTOP);
                ::waitid(P_PID, pid, &info, WSTOPPED | WEXITED | WNOWAIT);
                if (info.si_code != CLD_STOPPED) return; // it ended by itself
                now = fs::exists(output) && fs::file_size(output) < whole &&
                      (run == 10 || fs::file_size(output) > 1U << 20U);
                if (now) ::kill(pid, SIGTERM);
                ::kill(pid, SIGCONT);
                std::this_thread::sleep_for(std::chrono::milliseconds(1)); // lets it go on
            }
        };
        fs::remove(output);
        const auto r = run_program(convert, {input, output}, run_options{.while_running = stop});
        // A run that went from under 1 MiB to its end between two freezes calls
        // for a larger output, not for a retry.
        ASSERT_EQ(r.signal, SIGTERM) << "run " << run << " was not stopped in time";
        EXPECT_TRUE(fs::file_size(output) == 0 && (run == 10 || r.err == "Success!\n"))
            << "run " << run << ": " << fs::file_size(output) << " bytes left, " << r.err;
    }
    EXPECT_TRUE(read_file(input) == project);
}

} // namespace
