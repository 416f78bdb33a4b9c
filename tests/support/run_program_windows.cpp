// The Windows way of running a program: _wspawnv, with this process's standard
// streams pointed at files for the length of the run so that the child
// inherits them; every name UTF-8 here and UTF-16 for the system. A start the
// system refused is made again; a program that ran is never run again.

#include "support/run_program.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <stdexcept>
#include <sys/stat.h>

namespace morvane::testing {
namespace {

// One argument as the C runtime's command-line parser reads it back. The
// tests' arguments hold no quote and never end in a backslash.
std::wstring quote(const std::string& arg) { return L"\"" + path_of(arg).wstring() + L"\""; }

// Points descriptor fd at a file until destroyed, in text mode, as a child
// started with its streams in files would have them.
class redirect {
  public:
    redirect(int fd, const std::string& name, int flags) : fd_(fd), saved_(::_dup(fd)) {
        const int file = ::_wopen(path_of(name).c_str(), flags | _O_TEXT, _S_IREAD | _S_IWRITE);
        if (saved_ < 0 || file < 0 || ::_dup2(file, fd) != 0)
            throw std::runtime_error("cannot redirect a standard stream");
        ::_close(file);
    }
    redirect(const redirect&) = delete;
    redirect& operator=(const redirect&) = delete;
    ~redirect() {
        ::_dup2(saved_, fd_);
        ::_close(saved_);
    }

  private:
    int fd_;
    int saved_;
};

} // namespace

run_result run_program(const std::string& program, const std::vector<std::string>& args,
                       const run_options& options) {
    if (options.max_file_bytes || options.max_address_bytes || options.while_running)
        throw std::logic_error("limits and callbacks are POSIX-only here");
    static int counter = 0;
    const std::string base = scratch_dir("run-" + std::to_string(counter++));
    std::vector<std::wstring> quoted{quote(program)};
    for (const std::string& a : args) quoted.push_back(quote(a));
    std::vector<const wchar_t*> argv;
    for (const std::wstring& q : quoted) argv.push_back(q.c_str());
    argv.push_back(nullptr);
    // A start is made again only when no process was made: then, and only
    // then, _wspawnv returns -1 (an exit status comes back as its unsigned 32
    // bits). As many attempts as cmake/wine-start gives its own starts.
    const char* given = std::getenv("MORVANE_START_ATTEMPTS");
    const int attempts = given != nullptr ? std::max(1, std::atoi(given)) : 1;
    std::intptr_t started = -1;
    int error = 0;
    for (int attempt = 1; started == -1; ++attempt) {
        if (attempt > attempts)
            throw std::runtime_error("cannot start " + program + ": " + std::strerror(error));
        if (attempt > 1)
            std::fprintf(stderr, "run_program: %s never started (%s); attempt %d of %d\n",
                         program.c_str(), std::strerror(error), attempt, attempts);
        std::fflush(nullptr);
        const int written = _O_WRONLY | _O_CREAT | _O_TRUNC;
        const redirect in(0, "NUL", _O_RDONLY);
        const redirect out(1, base + "/stdout", written);
        const redirect err(2, base + "/stderr", written);
        started = ::_wspawnv(_P_WAIT, path_of(program).c_str(), argv.data());
        error = errno;
    }
    return {static_cast<int>(started), read_file(base + "/stdout"), read_file(base + "/stderr")};
}

} // namespace morvane::testing
