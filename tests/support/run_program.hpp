#pragma once
// Runs a program the way a user or a script would, with standard input closed,
// and collects its exit status and both output streams; and small file helpers.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::testing {

struct run_result {
    int status = -1; // the exit status, or -1 when the program ended on a signal
    std::string out;
    std::string err;
    int signal = 0; // the signal that ended the program (POSIX only), or 0
};

struct run_options {
    // Caps the size of every file the program writes, so that its writes fail
    // as they do on a full disk (the limit's signal is ignored).
    std::optional<std::uint64_t> max_file_bytes{};
    // Caps the program's address space, so that its allocations fail as they do
    // when memory runs out.
    std::optional<std::uint64_t> max_address_bytes{};
    // Called with the program's process id while it runs (POSIX only), before
    // its standard output is read: the program may write no more than a pipe
    // holds there meanwhile.
    std::function<void(int pid)> while_running{};
};

run_result run_program(const std::string& program, const std::vector<std::string>& args,
                       const run_options& options = {});

// Text as this platform stores it: where text files end lines with CR LF, each
// LF of a text stream (an output file, standard error) is that pair.
inline std::string platform_text(std::string_view lines) {
    std::string stored(lines);
#if defined(_WIN32)
    for (std::size_t at = 0; (at = stored.find('\n', at)) != std::string::npos; at += 2)
        stored.insert(at, 1, '\r');
#endif
    return stored;
}

// Names are UTF-8 here whatever the platform's own encoding of file names.
std::filesystem::path path_of(const std::string& utf8);
std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
// A fresh empty directory for one test.
std::string scratch_dir(const std::string& name);

} // namespace morvane::testing
