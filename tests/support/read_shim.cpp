// Loaded into a converter or checker process (LD_PRELOAD) to change its input
// file while the program reads it, at a point the test chooses:
//   MORVANE_SHIM_CHUNK   each fread gives at most this many bytes;
//   MORVANE_SHIM_AFTER   once this many bytes were read...
//   MORVANE_SHIM_RESIZE  ...the file is cut or extended (with NUL bytes) to this size.
// Only streams on regular files other than the standard ones are touched.

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::size_t setting(const char* name, std::size_t otherwise) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::strtoull(value, nullptr, 10) : otherwise;
}

using fread_function = std::size_t (*)(void*, std::size_t, std::size_t, std::FILE*);

} // namespace

extern "C" std::size_t fread(void* dst, std::size_t size, std::size_t count, std::FILE* file) {
    static const auto real = reinterpret_cast<fread_function>(dlsym(RTLD_NEXT, "fread"));
    static std::size_t delivered = 0;
    static bool changed = false;
    const int fd = fileno(file);
    struct stat info {};
    if (size != 1 || fd <= 2 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return real(dst, size, count, file);
    const std::size_t chunk = setting("MORVANE_SHIM_CHUNK", count);
    const std::size_t got = real(dst, 1, count < chunk ? count : chunk, file);
    delivered += got;
    if (!changed && delivered >= setting("MORVANE_SHIM_AFTER", ~std::size_t{0})) {
        changed = true;
        // The program's stream is read-only: change the file through its name.
        char path[4096];
        const std::string link = "/proc/self/fd/" + std::to_string(fd);
        const ssize_t n = readlink(link.c_str(), path, sizeof path - 1);
        if (n <= 0) std::abort();
        path[n] = '\0';
        if (truncate(path, static_cast<off_t>(setting("MORVANE_SHIM_RESIZE", 0))) != 0)
            std::abort();
    }
    return got;
}
