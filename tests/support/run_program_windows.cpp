// The Windows way of running a program: _wspawnv, with this process's standard
// streams pointed at files for the length of the run so that the child
// inherits them; every name UTF-8 here and UTF-16 for the system. A start the
// system refused is made again; a program that ran is never run again.

#include "support/run_program.hpp"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <io.h>
#include <process.h>
#include <stdexcept>
#include <sys/stat.h>

namespace morvane::testing {
namespace {

std::wstring wide(const std::string& utf8) {
    const std::u8string u8(utf8.begin(), utf8.end());
    return std::filesystem::path(u8).wstring();
}

// One argument as the C runtime's command-line parser reads it back. The
// tests' arguments hold no quote and never end in a backslash.
std::wstring quote(const std::wstring& arg) { return L"\"" + arg + L"\""; }

// Points descriptor fd at a file until destroyed, in text mode, as a child
// started with its streams in files would have them.
class redirect {
  public:
    redirect(int fd, const std::wstring& name, int flags) : fd_(fd), saved_(::_dup(fd)) {
        const int file = ::_wopen(name.c_str(), flags | _O_TEXT, _S_IREAD | _S_IWRITE);
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

// A start that provably never happened is made again, as cmake/wine-start
// makes its own: as many attempts as it says, one when run by hand.
int start_attempts() {
    const char* given = std::getenv("MORVANE_START_ATTEMPTS");
    const int n = given != nullptr ? std::atoi(given) : 1;
    return n > 0 ? n : 1;
}

} // namespace

run_result run_program(const std::string& program, const std::vector<std::string>& args,
                       const run_options& options) {
    if (options.max_file_bytes || !options.environment.empty())
        throw std::logic_error("file-size limits and extra environment are POSIX-only here");
    static int counter = 0;
    const std::string base = scratch_dir("run-" + std::to_string(counter++));
    std::vector<std::wstring> quoted{quote(wide(program))};
    for (const std::string& a : args) quoted.push_back(quote(wide(a)));
    std::vector<const wchar_t*> argv;
    for (const std::wstring& q : quoted) argv.push_back(q.c_str());
    argv.push_back(nullptr);
    run_result r;
    const int attempts = start_attempts();
    for (int attempt = 1;; ++attempt) {
        std::fflush(nullptr);
        std::intptr_t started = -1;
        int error = 0;
        {
            const int written = _O_WRONLY | _O_CREAT | _O_TRUNC;
            const redirect in(0, L"NUL", _O_RDONLY);
            const redirect out(1, wide(base + "/stdout"), written);
            const redirect err(2, wide(base + "/stderr"), written);
            started = ::_wspawnv(_P_WAIT, wide(program).c_str(), argv.data());
            error = errno;
        }
        // -1 only when no process was made: an exit status comes back as its
        // unsigned 32 bits, never as -1.
        if (started != -1) {
            r.status = static_cast<int>(started);
            break;
        }
        if (attempt == attempts)
            throw std::runtime_error("cannot start " + program + ": " + std::strerror(error));
        std::fprintf(
            stderr,
            "run_program: %s was never started (%s); starting it again (attempt %d of %d)\n",
            program.c_str(), std::strerror(error), attempt + 1, attempts);
    }
    r.out = read_file(base + "/stdout");
    r.err = read_file(base + "/stderr");
    return r;
}

} // namespace morvane::testing
