#pragma once
// What the library needs to know about the platform: how a text file is
// stored, and how many processors a conversion may use. Windows text files end lines with CR LF.
// What only the commands need (their command line, messages, file names, interruptions) is in
// io/command_platform.hpp and io/interruption.hpp.

#include <cstdio>

namespace morvane::platform {

// Switches an open stream to binary and tells whether it was a text stream on
// a platform whose text files end lines with CR LF; the caller then translates
// the line ends itself. The runtime's own translation is not used because it
// ends the input at the first 0x1A byte.
[[nodiscard]] bool take_over_text_mode(std::FILE* file);

// How many processors the calling thread may run on: fewer than the machine
// has under a processor set (taskset, a container's cpuset), where the
// platform has one. At least 1.
[[nodiscard]] unsigned processors_available() noexcept;

} // namespace morvane::platform
