// POSIX systems: file names are bytes as given.

#include "io/command_platform.hpp"

#include <cstdarg>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace morvane::platform {

command_line::command_line(int argc, char** argv) {
    pointers_.assign(argv, argv + argc);
    pointers_.push_back(nullptr);
}

std::FILE* open_file(const char* name, const char* mode) { return std::fopen(name, mode); }

std::FILE* open_output(const char* name) {
    const int fd = ::open(name, O_WRONLY | O_CREAT, 0666);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "w");
    if (file == nullptr) ::close(fd);
    return file;
}

bool empty_output(std::FILE* output) {
    struct stat info {};
    const int fd = ::fileno(output);
    return ::fstat(fd, &info) == 0 && (!S_ISREG(info.st_mode) || ::ftruncate(fd, 0) == 0);
}

std::filesystem::path file_path(const char* name) { return name; }

void print_message(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

} // namespace morvane::platform
