// The Windows way of running a program: _wspawnv, with this process's standard
// streams pointed at files for the length of the run so that the child
// inherits them; every name UTF-8 here and UTF-16 for the system.

#include "support/run_program.hpp"

#include <cerrno>
#include <cstdio>
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

} // namespace

run_result run_program(const std::string& program, const std::vector<std::string>& args,
                       const run_options& options) {
    if (options.max_file_bytes) throw std::logic_error("file-size limits are POSIX-only here");
    static int counter = 0;
    const std::string base = scratch_dir("run-" + std::to_string(counter++));
    std::vector<std::wstring> quoted{quote(wide(program))};
    for (const std::string& a : args) quoted.push_back(quote(wide(a)));
    std::vector<const wchar_t*> argv;
    for (const std::wstring& q : quoted) argv.push_back(q.c_str());
    argv.push_back(nullptr);
    run_result r;
    std::fflush(nullptr);
    // Under an emulator on a loaded machine, starting a process now and then
    // fails at once; the programs under test are run again from scratch.
    int error = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int written = _O_WRONLY | _O_CREAT | _O_TRUNC;
        const redirect in(0, L"NUL", _O_RDONLY);
        const redirect out(1, wide(base + "/stdout"), written);
        const redirect err(2, wide(base + "/stderr"), written);
        r.status = static_cast<int>(::_wspawnv(_P_WAIT, wide(program).c_str(), argv.data()));
        error = errno;
        if (r.status >= 0) break;
    }
    if (r.status < 0)
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(error));
    r.out = read_file(base + "/stdout");
    r.err = read_file(base + "/stderr");
    return r;
}

} // namespace morvane::testing
