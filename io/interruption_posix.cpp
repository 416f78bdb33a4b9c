// POSIX systems: SIGINT, SIGTERM and SIGHUP are blocked in every thread and
// taken by a watcher thread with sigwait(), in ordinary thread context.

#include "io/interruption.hpp"

#include <csignal>
#include <cstdlib>
#include <mutex>
#include <pthread.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>

namespace morvane::platform {
namespace {

// The commands' one global, shared by main and the watcher. Main sets `file`
// once the output is open and clears it when closing the output, both under
// `mutex`; the watcher reads it under `mutex` and, once it holds `mutex`,
// never lets go. Constant-initialised and trivially destroyed, so the detached
// watcher may use it while the process exits.
struct watched_output {
    std::mutex mutex;
    std::FILE* file = nullptr;
};
constinit watched_output watched;

[[noreturn]] void empty_output_and_end(int signal) {
    watched.mutex.lock(); // never unlocked: the process ends here
    if (watched.file != nullptr) {
        ::flockfile(watched.file); // waits for a write in flight, holds off every later one
        // A file that can't be emptied stays as it is: the process ends either way.
        [[maybe_unused]] const int emptied = ::ftruncate(::fileno(watched.file), 0);
    }
    // Ended by the signal itself, without exit handlers or a flush of any
    // stream: the parent sees what it sent.
    std::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    std::raise(signal);
    std::_Exit(128 + signal); // not reached: the default action of each signal ends the process
}

} // namespace

interruption_guard::interruption_guard() {
    sigset_t signals;
    sigemptyset(&signals);
    bool any = false;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        // Blocked, an ignored signal would be kept for sigwait() instead of dropped.
        struct sigaction at_start {};
        if (::sigaction(signal, nullptr, &at_start) != 0 || at_start.sa_handler == SIG_IGN)
            continue;
        sigaddset(&signals, signal);
        any = true;
    }
    if (!any) return;
    ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    try {
        std::thread([signals] {
            int signal = 0;
            while (::sigwait(&signals, &signal) != 0) {
            }
            empty_output_and_end(signal);
        }).detach();
    } catch (const std::system_error&) {
        // No thread to take them: the signals act as they did before.
        ::pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
    }
}

interruption_guard::~interruption_guard() {
    if (output_ != nullptr) (void)close(false);
}

void interruption_guard::open(std::FILE* output, std::filesystem::path path) {
    output_ = output;
    path_ = std::move(path);
    struct stat status {};
    watched_ = ::fstat(::fileno(output), &status) == 0 && S_ISREG(status.st_mode);
    if (!watched_) return;
    const std::lock_guard lock(watched.mutex);
    watched.file = output;
}

bool interruption_guard::close(bool keep) {
    if (output_ == nullptr) return false;
    // Closed and emptied under the mutex: an interruption finds the output
    // open, or closed as it is to stay. An output not watched may block in
    // fclose (a pipe not read) and must not hold the watcher up meanwhile.
    std::unique_lock lock(watched.mutex, std::defer_lock);
    if (watched_) {
        lock.lock();
        watched.file = nullptr;
    }
    const bool closed = std::fclose(std::exchange(output_, nullptr)) == 0;
    if (keep && closed) return true;
    // No plausible-looking half of a project is left behind. A file that can't
    // be emptied stays as it is.
    std::error_code ignored;
    std::filesystem::resize_file(path_, 0, ignored);
    return false;
}

} // namespace morvane::platform
