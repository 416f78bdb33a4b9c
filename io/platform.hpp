#pragma once
// What the library needs to know about the platform: how a text file is
// stored. Windows text files end lines with CR LF. What only the commands need
// (their command line, messages, file names, interruptions) is in
// io/command_platform.hpp and io/interruption.hpp.

#include <cstdio>

namespace morvane::platform {

// Switches an open stream to binary and tells whether it was a text stream on
// a platform whose text files end lines with CR LF; the caller then translates
// the line ends itself. The runtime's own translation is not used because it
// ends the input at the first 0x1A byte.
[[nodiscard]] bool take_over_text_mode(std::FILE* file);

} // namespace morvane::platform
