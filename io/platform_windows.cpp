// Windows: text files end lines with CR LF.

#include "io/platform.hpp"

#include <algorithm>
#include <fcntl.h>
#include <io.h>
#include <thread>

namespace morvane::platform {

bool take_over_text_mode(std::FILE* file) {
    const int fd = ::_fileno(file);
    if (fd < 0) return false;
    std::fflush(file);
    const int previous = ::_setmode(fd, _O_BINARY);
    return previous != -1 && previous != _O_BINARY;
}

// The machine's processors: a process's affinity there spans processor groups.
unsigned processors_available() noexcept {
    return std::max(std::thread::hardware_concurrency(), 1U);
}

} // namespace morvane::platform
