// What the guard does on every platform: watch the output while it is open,
// close it, and empty it unless it is to be kept.

#include "io/interruption.hpp"

#include <system_error>
#include <utility>

namespace morvane::platform {

interruption_guard::~interruption_guard() {
    if (output_ != nullptr) (void)close(false);
}

void interruption_guard::open(std::FILE* output, std::filesystem::path path) {
    output_ = output;
    path_ = std::move(path);
    watched_ = can_be_emptied(output);
    if (!watched_) return;
    const std::lock_guard lock(watched().mutex);
    watched().file = output;
}

bool interruption_guard::close(bool keep) {
    if (output_ == nullptr) return false;
    // Closed and emptied under the mutex: an interruption finds the output
    // open, or closed as it is to stay. An output not watched may block in
    // fclose (a pipe not read) and must not hold the interruption up meanwhile.
    std::unique_lock lock(watched().mutex, std::defer_lock);
    if (watched_) {
        lock.lock();
        watched().file = nullptr;
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
