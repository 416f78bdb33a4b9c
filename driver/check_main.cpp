// morvane-check FILE...: parses each old-format file without converting it.
// A file that parses prints nothing; one that does not prints one line,
// FILE:LINE:COLUMN: expected ..., at the furthest point the grammar reached.
// Every message goes to the standard error stream. Exit status 0 when every
// file parsed, 1 otherwise.

#include "io/command_platform.hpp"

#include <morvane/morvane.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

using morvane::platform::print_message;

void report(const char* path, std::string_view what) {
    print_message("%s: %.*s\n", path, static_cast<int>(what.size()), what.data());
}

bool is_directory(const char* path) {
    std::error_code ec;
    return std::filesystem::is_directory(morvane::platform::file_path(path), ec);
}

// Checks one file and reports what is wrong with it. True when it parsed.
bool check_file(const char* path) {
    if (is_directory(path)) {
        report(path, "unable to read file: it is a directory");
        return false;
    }
    // Read as text, as the converter reads it, so that both see the same
    // bytes where the platform stores text differently.
    std::FILE* file = morvane::platform::open_file(path, "r");
    if (file == nullptr) {
        report(path, std::string("unable to open file: ") + std::strerror(errno));
        return false;
    }
    errno = 0;
    const morvane::check_result result = morvane::check(file);
    const int read_errno = errno;
    std::fclose(file);
    switch (result.status) {
    case morvane::outcome::success:
        return true;
    case morvane::outcome::parse_failure: {
        const morvane::syntax_error& e = *result.error;
        const std::string message = e.message();
        print_message("%s:%llu:%llu: %s\n", path, static_cast<unsigned long long>(e.line),
                      static_cast<unsigned long long>(e.column), message.c_str());
        return false;
    }
    case morvane::outcome::read_failure:
        report(path, std::string("unable to read file") +
                         (read_errno != 0 ? std::string(": ") + std::strerror(read_errno) : ""));
        return false;
    default:
        report(path, morvane::describe(result.status));
        return false;
    }
}

} // namespace

int main(int argc, char** argv) {
    morvane::platform::command_line args(argc, argv);
    argc = args.argc();
    argv = args.argv();
    if (argc < 2) {
        print_message("Usage: %s FILE...\n", argv[0] != nullptr ? argv[0] : "morvane-check");
        return 1;
    }
    bool all_parsed = true;
    for (int i = 1; i < argc; ++i) all_parsed = check_file(argv[i]) && all_parsed;
    return all_parsed ? 0 : 1;
}
