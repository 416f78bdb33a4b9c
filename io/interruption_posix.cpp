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

namespace morvane::platform {
namespace {

// Constant-initialised and trivially destroyed, so the detached watcher may
// use it while the process exits.
constinit watched_output the_watched_output;

[[noreturn]] void empty_output_and_end(int signal) {
    watched().mutex.lock(); // never unlocked: the process ends here
    if (std::FILE* file = watched().file) {
        ::flockfile(file); // waits for a write in flight, holds off every later one
        // A file that can't be emptied stays as it is: the process ends either way.
        [[maybe_unused]] const int emptied = ::ftruncate(::fileno(file), 0);
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

watched_output& watched() { return the_watched_output; }

bool can_be_emptied(std::FILE* output) {
    struct stat status {};
    return ::fstat(::fileno(output), &status) == 0 && S_ISREG(status.st_mode);
}

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

} // namespace morvane::platform
