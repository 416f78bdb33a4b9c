// POSIX systems: text files are bytes, and file names are bytes as given.

#include "driver/platform.hpp"

namespace morvane::platform {

bool take_over_text_mode(std::FILE* /*file*/) { return false; }

command_line::command_line(int argc, char** argv) {
    pointers_.assign(argv, argv + argc);
    pointers_.push_back(nullptr);
}

command_line::~command_line() = default;

std::FILE* open_file(const char* name, const char* mode) { return std::fopen(name, mode); }

std::filesystem::path file_path(const char* name) { return name; }

} // namespace morvane::platform
