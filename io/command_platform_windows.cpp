// Windows: the command line arrives in UTF-16, and files are opened by UTF-16
// names so that any name a user types works, whatever the system's ANSI code
// page.

#include "io/command_platform.hpp"

#include <cstdarg>
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

} // namespace

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
}

std::FILE* open_file(const char* name, const char* mode) {
    return ::_wfopen(to_utf16(name).c_str(), to_utf16(mode).c_str());
}

// Opened in mode "w", the file is emptied at once.
std::FILE* open_output(const char* name) { return open_file(name, "w"); }

bool empty_output(std::FILE* /*output*/) { return true; }

std::filesystem::path file_path(const char* name) { return to_utf16(name); }

void print_message(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);

    // A console takes UTF-16: bytes written to it are decoded in its code
    // page, which is seldom UTF-8. Files and pipes get UTF-8 as a text stream.
    const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (err == INVALID_HANDLE_VALUE || err == nullptr || !::GetConsoleMode(err, &mode)) {
        std::fwrite(text.data(), 1, text.size(), stderr);
        return;
    }
    std::string lines;
    for (const char c : text) {
        if (c == '\n') lines += '\r';
        lines += c;
    }
    const std::wstring wide = to_utf16(lines);
    std::fflush(stderr);
    DWORD written = 0;
    ::WriteConsoleW(err, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

} // namespace morvane::platform
