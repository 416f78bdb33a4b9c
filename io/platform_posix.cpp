// POSIX systems: text files are bytes.

#include "io/platform.hpp"

namespace morvane::platform {

bool take_over_text_mode(std::FILE* /*file*/) { return false; }

} // namespace morvane::platform
