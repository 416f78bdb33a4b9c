// Windows: text files end lines with CR LF, the command line arrives in UTF-16,
// and files are opened by UTF-16 names so that any name a user types works,
// whatever the system's ANSI code page.

#include "driver/platform.hpp"

#include <fcntl.h>
#include <io.h>
#include <string_view>
#include <windows.h>

#include <shellapi.h>

namespace morvane::platform {
namespace {

std::string to_utf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int n =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, narrow.data(), n, nullptr, nullptr);
    return narrow;
}

std::wstring to_utf16(std::string_view narrow) {
    if (narrow.empty()) return {};
    const int size = static_cast<int>(narrow.size());
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, narrow.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, narrow.data(), size, wide.data(), n);
    return wide;
}

bool is_console(HANDLE handle) {
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && ::GetConsoleMode(handle, &mode);
}

} // namespace

bool take_over_text_mode(std::FILE* file) {
    const int fd = ::_fileno(file);
    if (fd < 0) return false;
    std::fflush(file);
    const int previous = ::_setmode(fd, _O_BINARY);
    return previous != -1 && previous != _O_BINARY;
}

command_line::command_line(int argc, char** argv) {
    int count = 0;
    if (LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i) arguments_.push_back(to_utf8(wide[i]));
        ::LocalFree(static_cast<HLOCAL>(wide));
    } else {
        arguments_.assign(argv, argv + argc);
    }
    for (std::string& a : arguments_) pointers_.push_back(a.data());
    pointers_.push_back(nullptr);

    // Messages carry file names in UTF-8; a console shows them as such only
    // in its UTF-8 code page. The user's code page comes back at the end.
    if (is_console(::GetStdHandle(STD_ERROR_HANDLE))) {
        const UINT previous = ::GetConsoleOutputCP();
        if (previous != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) console_code_page_ = previous;
    }
}

command_line::~command_line() {
    if (console_code_page_ != 0) ::SetConsoleOutputCP(console_code_page_);
}

std::FILE* open_file(const char* name, const char* mode) {
    return ::_wfopen(to_utf16(name).c_str(), to_utf16(mode).c_str());
}

std::filesystem::path file_path(const char* name) { return to_utf16(name); }

} // namespace morvane::platform
