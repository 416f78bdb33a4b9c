#pragma once
// What differs between the platforms the commands run on: how the command
// line arrives, how messages are shown and how a file is named.
//
// Inside the commands every file name is UTF-8 (on POSIX systems: the bytes as
// given). Windows hands the command line over in UTF-16 and opens files by
// UTF-16 names.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace morvane::platform {

// The arguments of main, with every argument in UTF-8.
class command_line {
  public:
    command_line(int argc, char** argv);
    command_line(const command_line&) = delete;
    command_line& operator=(const command_line&) = delete;

    [[nodiscard]] int argc() const noexcept { return static_cast<int>(pointers_.size()) - 1; }
    [[nodiscard]] char** argv() noexcept { return pointers_.data(); }

  private:
    std::vector<std::string> arguments_;
    std::vector<char*> pointers_; // argv-style, ending in a null pointer
};

// Writes a message, formatted as by std::printf, to the standard error stream.
// File names in it are UTF-8; a Windows console shows them as such, whatever
// its code page.
#if defined(__MINGW_PRINTF_FORMAT)
__attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)))
#elif defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void print_message(const char* format, ...);

// Opens a file named in UTF-8 with a mode of std::fopen.
[[nodiscard]] std::FILE* open_file(const char* name, const char* mode);

// Opens a file named in UTF-8 for writing, creating it where missing, as
// open_file(name, "w") does, except that on POSIX systems an existing file is
// emptied only by empty_output. Emptying a large file that the system still
// caches takes a while, which may then overlap other work.
[[nodiscard]] std::FILE* open_output(const char* name);
// Empties a file that open_output opened, when it is a regular file (as
// opening one for writing does); false when that fails. Not a stream call: it
// may run on another thread while nothing else uses `output`.
[[nodiscard]] bool empty_output(std::FILE* output);

// A file system path from a file name in UTF-8.
[[nodiscard]] std::filesystem::path file_path(const char* name);

// Whether a file named in UTF-8 is a directory; false when that can't be told.
[[nodiscard]] inline bool is_directory(const char* name) {
    std::error_code ec;
    return std::filesystem::is_directory(file_path(name), ec);
}

} // namespace morvane::platform
