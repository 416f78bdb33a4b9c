// POSIX systems: text files are bytes; Linux keeps a processor set per thread.

#include "io/platform.hpp"

#include <algorithm>
#include <thread>

#if defined(__linux__)
#include <sched.h>
#endif

namespace morvane::platform {

bool take_over_text_mode(std::FILE* /*file*/) { return false; }

unsigned processors_available() noexcept {
#if defined(__linux__)
    cpu_set_t allowed;
    if (::sched_getaffinity(0, sizeof allowed, &allowed) == 0 && CPU_COUNT(&allowed) > 0)
        return static_cast<unsigned>(CPU_COUNT(&allowed));
#endif
    return std::max(std::thread::hardware_concurrency(), 1U);
}

} // namespace morvane::platform
