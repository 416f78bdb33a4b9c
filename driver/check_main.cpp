// morvane-check [--warnings] FILE...: parses each old-format file without
// converting it. A file that parses prints nothing, or with --warnings one line
// per place where the conversion drops, merges or leaves out what it holds,
// FILE:LINE:COLUMN: warning: ...; one that does not prints one line,
// FILE:LINE:COLUMN: expected ..., at the furthest point the grammar reached.
// Every message goes to the standard error stream, but --help and --version
// answer on standard output. Exit status 0 when every file parsed, 1 otherwise.

#include "io/command_platform.hpp"

#include <morvane/morvane.hpp>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using morvane::platform::print_message;

// Says what is wrong with a file, "PATH: WHAT" or "PATH: WHAT: DETAIL", and
// returns false, as check_file does then.
bool report(const char* path, std::string_view what, const char* detail = nullptr) {
    print_message("%s: %.*s%s%s\n", path, static_cast<int>(what.size()), what.data(),
                  detail != nullptr ? ": " : "", detail != nullptr ? detail : "");
    return false;
}

constexpr const char* help =
    "Usage: %s [--warnings] FILE...\n"
    "Says where old-format project files stop being well formed.\n"
    "\n"
    "  --warnings  also say, for a file that parses, where the conversion\n"
    "              drops, merges or leaves out something the file holds\n"
    "  --help      print this help and exit\n"
    "  --version   print the version and exit\n"
    "  --          take every later argument as a file name\n";

void print_position(const char* path, std::uint64_t line, std::uint64_t column, const char* what,
                    const std::string& message) {
    print_message("%s:%llu:%llu: %s%s\n", path, static_cast<unsigned long long>(line),
                  static_cast<unsigned long long>(column), what, message.c_str());
}

// Checks one file and reports what is wrong with it. True when it parsed.
bool check_file(const char* path, const morvane::options& how) {
    using morvane::outcome;
    if (morvane::platform::is_directory(path))
        return report(path, "unable to read file", "it is a directory");
    // Read as text, as the converter reads it, so that both see the same
    // bytes where the platform stores text differently.
    std::FILE* file = morvane::platform::open_file(path, "r");
    if (file == nullptr) return report(path, "unable to open file", std::strerror(errno));
    errno = 0;
    const morvane::check_result result = morvane::check(file, how);
    const int read_errno = errno;
    std::fclose(file);
    switch (result.status) {
    case outcome::success:
        for (const morvane::warning& w : result.warnings)
            print_position(path, w.line, w.column, "warning: ", w.message);
        return true;
    case outcome::parse_failure:
        print_position(path, result.error->line, result.error->column, "", result.error->message());
        return false;
    case outcome::read_failure:
        return report(path, "unable to read file",
                      read_errno != 0 ? std::strerror(read_errno) : nullptr);
    default:
        return report(path, morvane::describe(result.status));
    }
}

} // namespace

int main(int argc, char** argv) {
    morvane::platform::command_line args(argc, argv);
    argc = args.argc();
    argv = args.argv();
    const char* name = argv[0] != nullptr ? argv[0] : "morvane-check";
    morvane::options how;
    int first_file = 1;
    for (; first_file < argc; ++first_file) {
        const std::string_view arg = argv[first_file];
        if (arg == "--") {
            ++first_file;
            break;
        }
        if (arg.size() < 2 || arg[0] != '-') break; // a file, "-" included
        if (arg == "--warnings") {
            how.warnings = true;
        } else if (arg == "--help") {
            std::printf(help, name);
            return 0;
        } else if (arg == "--version") {
            std::printf("morvane-check %s\n", MORVANE_VERSION);
            return 0;
        } else {
            print_message("%s: unknown option '%s'; see %s --help\n", name, argv[first_file], name);
            return 1;
        }
    }
    if (first_file == argc) {
        print_message("Usage: %s FILE...\n", name);
        return 1;
    }
    bool all_parsed = true;
    for (int i = first_file; i < argc; ++i) all_parsed = check_file(argv[i], how) && all_parsed;
    return all_parsed ? 0 : 1;
}
