// POSIX systems: file names are bytes as given.

#include "io/command_platform.hpp"

#include <cstdarg>

namespace morvane::platform {

command_line::command_line(int argc, char** argv) {
    pointers_.assign(argv, argv + argc);
    pointers_.push_back(nullptr);
}

std::FILE* open_file(const char* name, const char* mode) { return std::fopen(name, mode); }

std::filesystem::path file_path(const char* name) { return name; }

void print_message(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

} // namespace morvane::platform
