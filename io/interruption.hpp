#pragma once
// A command interrupted while its output is open leaves that output empty, as
// a failed run does, and then ends as the interruption would have ended it: a
// shell sees 130 after SIGINT, 143 after SIGTERM. The interruptions are SIGINT,
// SIGTERM and SIGHUP; on Windows Ctrl-C, Ctrl-Break and closing the console.
//
// Nothing runs in an asynchronous signal handler. On POSIX systems the signals
// are blocked in every thread and one thread of the guard's own takes them
// with sigwait(); Windows runs its console control handler on a thread of its
// own. That thread first holds off every write to the output, letting a write
// in flight end (on POSIX systems by taking the stream's lock, which every
// fwrite and fflush holds for the whole call; on Windows at the descriptor),
// then empties the output and ends the process without flushing any stream.
//
// Only a regular file is watched: nothing else can be emptied, and a write to
// a pipe that is not read could hold the lock, and the process, forever.

#include <cstdio>
#include <filesystem>
#include <mutex>

namespace morvane::platform {

// The commands' one global, which the thread that takes an interruption shares
// with main; each platform defines it so that it outlives every thread that
// may still run while the process exits. Main sets `file` once the output is
// open and clears it when closing the output, both under `mutex`; the taking
// thread reads it under `mutex` and, once it holds `mutex`, never lets go.
struct watched_output {
    std::mutex mutex;
    std::FILE* file = nullptr;
};
[[nodiscard]] watched_output& watched();
// Whether an interruption can empty the output: a regular file.
[[nodiscard]] bool can_be_emptied(std::FILE* output);

class interruption_guard {
  public:
    // Made at the start of main, before any other thread: threads inherit the
    // blocked signals from the one that makes them. A signal ignored when the
    // process started (under nohup, in a background job) stays ignored. One
    // guard per process.
    interruption_guard();
    interruption_guard(const interruption_guard&) = delete;
    interruption_guard& operator=(const interruption_guard&) = delete;
    // An output still open belongs to a run that stopped early: it is closed
    // and emptied.
    ~interruption_guard();

    // From now on an interruption empties `output`, a file just opened for
    // writing at `path`, until close().
    void open(std::FILE* output, std::filesystem::path path);

    // Closes the output. Unless `keep`, or when closing fails, empties it too,
    // before an interruption can find it closed. True when it closed cleanly
    // and was kept.
    [[nodiscard]] bool close(bool keep);

  private:
    std::FILE* output_ = nullptr;
    std::filesystem::path path_;
    bool watched_ = false; // whether an interruption may empty output_
};

} // namespace morvane::platform
