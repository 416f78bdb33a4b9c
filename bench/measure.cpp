// Runs a program and records what it cost, to the microsecond:
//
//   morvane-bench-measure [--warm-for INPUT] RESULT PROGRAM [ARGUMENT...]
//
// writes "WALL_NS USER_S SYSTEM_S PEAK_KIB" to RESULT, the program's wall-clock
// nanoseconds from its start to its end, its CPU seconds and its maximum
// resident set, and exits with the program's status. /usr/bin/time gives CPU
// time in hundredths only, too coarse for a limit of 1.03x on 0.4 s.
//
// --warm-for first touches and frees memory in huge pages, four times INPUT's
// size and 512 MiB more (at most 4 GiB, leaving a large input's page cache
// alone), so that the program's own first touches find memory the machine
// backs. On a virtual
// machine whose free memory is handed back to the host (free page reporting,
// 2 MiB blocks and up, here about a second after they are freed), a first
// touch of memory freed longer ago costs some 30 times more: 200 MiB took
// 13 ms or 400 ms, depending only on how long ago the last program ended.
// Without it the same conversion varies by up to 0.3 s of system time.

#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>

extern char** environ;

namespace {

// Touches every page of `mib` MiB of fresh memory, backed by huge pages where
// the system allows, and gives it back.
void touch(std::size_t mib) {
    constexpr std::size_t huge_page = std::size_t{2} << 20U;
    const std::size_t bytes = mib << 20U;
    void* mapped = ::mmap(nullptr, bytes + huge_page, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return; // only a help to the measure
    auto* aligned = reinterpret_cast<char*>(
        (reinterpret_cast<std::uintptr_t>(mapped) + huge_page - 1) & ~(huge_page - 1));
    (void)::madvise(aligned, bytes, MADV_HUGEPAGE);
    for (std::size_t at = 0; at < bytes; at += 4096) aligned[at] = 1;
    ::munmap(mapped, bytes + huge_page);
}

// touch(mib) in a child process: a program started from this one would
// otherwise inherit this one's peak resident set as its own.
void warm(std::size_t mib) {
    const pid_t child = ::fork();
    if (child == 0) {
        touch(mib);
        ::_exit(0);
    }
    if (child > 0) ::waitpid(child, nullptr, 0);
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "--warm-for") == 0) {
        std::error_code unknown;
        const std::uintmax_t input = std::filesystem::file_size(argv[2], unknown);
        warm(
            std::min<std::uintmax_t>(unknown ? 0 : input / (std::uintmax_t{1} << 18U) + 512, 4096));
        argc -= 2;
        argv += 2;
    }
    if (argc < 3) {
        std::fputs("usage: morvane-bench-measure [--warm-for INPUT] RESULT PROGRAM [ARGUMENT...]\n",
                   stderr);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (const int failed = ::posix_spawnp(&child, argv[2], nullptr, nullptr, argv + 2, environ)) {
        std::fprintf(stderr, "morvane-bench-measure: cannot run %s (error %d)\n", argv[2], failed);
        return 127;
    }
    int status = 0;
    rusage used{};
    if (::wait4(child, &status, 0, &used) != child) {
        std::perror("morvane-bench-measure: wait4");
        return 127;
    }
    const auto wall = std::chrono::steady_clock::now() - start;
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    std::ofstream result(argv[1]);
    result << std::chrono::duration_cast<std::chrono::nanoseconds>(wall).count() << ' '
           << std::fixed << std::setprecision(6) << seconds(used.ru_utime) << ' '
           << seconds(used.ru_stime) << ' ' << used.ru_maxrss << '\n';
    if (!result.flush()) {
        std::fprintf(stderr, "morvane-bench-measure: cannot write %s\n", argv[1]);
        return 127;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}
