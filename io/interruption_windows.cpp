// Windows: Ctrl-C, Ctrl-Break and closing the console reach a console control
// handler, which the system runs on a thread of its own, in ordinary thread
// context.

#include "io/interruption.hpp"

#include <fcntl.h>
#include <io.h>
#include <mutex>
#include <system_error>
#include <windows.h>

namespace morvane::platform {
namespace {

// Never destroyed (this runtime's mutex has work to do when destroyed), so
// that the handler may use it while the process exits.
watched_output& the_watched_output = *new watched_output;

BOOL WINAPI empty_output_and_end(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    watched().mutex.lock(); // never unlocked: the process ends here
    if (watched().file != nullptr) {
        // Not through the stdio lock: _lock_file, as MinGW-w64 provides it,
        // guesses where the runtime keeps a stream's lock, and under wine
        // guesses wrong. The runtime locks a descriptor for every write to it
        // instead: _dup2 waits for a write in flight, and sends every later
        // one to NUL. The file is emptied through a handle of its own.
        const int fd = ::_fileno(watched().file);
        const HANDLE process = ::GetCurrentProcess();
        HANDLE output = nullptr;
        if (::DuplicateHandle(process, reinterpret_cast<HANDLE>(::_get_osfhandle(fd)), process,
                              &output, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
            ::_dup2(::_open("NUL", _O_WRONLY), fd);
            ::SetFilePointerEx(output, LARGE_INTEGER{}, nullptr, FILE_BEGIN);
            ::SetEndOfFile(output);
        }
    }
    // Ended as Ctrl-C ends a process, but not by ExitProcess, which would
    // flush the runtime's buffers into the file.
    ::TerminateProcess(::GetCurrentProcess(), STATUS_CONTROL_C_EXIT);
    return TRUE;
}

} // namespace

watched_output& watched() { return the_watched_output; }

bool can_be_emptied(std::FILE* output) {
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(output)));
    return ::GetFileType(handle) == FILE_TYPE_DISK;
}

// Windows passes no Ctrl-C to the handlers of a process that ignores it (one
// started in a process group of its own, or by a parent that ignored it), so
// an ignored Ctrl-C stays ignored.
interruption_guard::interruption_guard() { ::SetConsoleCtrlHandler(empty_output_and_end, TRUE); }

} // namespace morvane::platform
