// The Windows way of running a program: CreateProcessW with the child's
// standard streams in files, every name UTF-8 here and UTF-16 for the system.

#include "support/run_program.hpp"

#include <filesystem>
#include <stdexcept>
#include <windows.h>

namespace morvane::testing {
namespace {

std::wstring wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, w.data(), n);
    return w;
}

std::filesystem::path path_of(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// One argument as the C runtime's command-line parser reads it back:
// quoted, with backslashes doubled only where a quote follows them.
std::wstring quote(const std::wstring& arg) {
    std::wstring q = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        q.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        q += c;
    }
    q.append(2 * backslashes, L'\\');
    return q + L"\"";
}

class handle {
  public:
    explicit handle(HANDLE h) : h_(h) {}
    handle(const handle&) = delete;
    handle& operator=(const handle&) = delete;
    ~handle() {
        if (h_ != INVALID_HANDLE_VALUE && h_ != nullptr) ::CloseHandle(h_);
    }
    [[nodiscard]] HANDLE get() const noexcept { return h_; }

  private:
    HANDLE h_;
};

handle inheritable_file(const std::wstring& name, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE h = ::CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open a stream file");
    return handle(h);
}

} // namespace

run_result run_program(const std::string& program, const std::vector<std::string>& args,
                       const run_options& options) {
    if (options.max_file_bytes || !options.environment.empty())
        throw std::logic_error("file-size limits and extra environment are POSIX-only here");
    static int counter = 0;
    const std::string base = scratch_dir("run-" + std::to_string(counter++));
    run_result r;
    {
        const handle in = inheritable_file(L"NUL", GENERIC_READ, OPEN_EXISTING);
        const handle out = inheritable_file(wide(base + "/stdout"), GENERIC_WRITE, CREATE_ALWAYS);
        const handle err = inheritable_file(wide(base + "/stderr"), GENERIC_WRITE, CREATE_ALWAYS);
        std::wstring command = quote(wide(program));
        for (const auto& a : args) command += L" " + quote(wide(a));

        STARTUPINFOW start{};
        start.cb = sizeof(start);
        start.dwFlags = STARTF_USESTDHANDLES;
        start.hStdInput = in.get();
        start.hStdOutput = out.get();
        start.hStdError = err.get();
        PROCESS_INFORMATION child{};
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                              &start, &child))
            throw std::runtime_error("cannot start " + program);
        const handle process(child.hProcess);
        const handle thread(child.hThread);
        ::WaitForSingleObject(process.get(), INFINITE);
        DWORD code = 0;
        if (::GetExitCodeProcess(process.get(), &code)) r.status = static_cast<int>(code);
    }
    r.out = read_file(base + "/stdout");
    r.err = read_file(base + "/stderr");
    std::filesystem::remove_all(path_of(base));
    return r;
}

} // namespace morvane::testing
