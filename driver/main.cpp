// morvane-convert OLD NEW: converts one old-format project file to the new format.
// Every message goes to the standard error stream; nothing to standard output.

#include "io/command_platform.hpp"
#include "io/interruption.hpp"

#include <morvane/morvane.hpp>

#include <cstdio>
#include <filesystem>

namespace {

using morvane::platform::file_path;
using morvane::platform::interruption_guard;
using morvane::platform::is_directory;
using morvane::platform::open_file;
using morvane::platform::print_message;

constexpr const char* banner = "Reverse MorvaNE file conversion utility v1.0\n"
                               "Copyright (c) the morvane-convert authors\n"
                               "\n";

// Two paths that name one file (the same path, another path to it, a link).
bool same_file(const char* a, const char* b) {
    std::error_code ec;
    return std::filesystem::equivalent(file_path(a), file_path(b), ec) && !ec;
}

void close(std::FILE*& file) {
    if (file != nullptr) std::fclose(file);
    file = nullptr;
}

int out_of_memory() {
    const std::string_view message = morvane::describe(morvane::outcome::out_of_memory);
    print_message("ERROR: %.*s\n", static_cast<int>(message.size()), message.data());
    return 1;
}

// Parses and writes with both files open; the output closes through the
// guard. Returns the exit status.
int convert_files(std::FILE* input, std::FILE* output, interruption_guard& interruption,
                  const char* in_path, const char* out_path) {
    using morvane::outcome;
    morvane::converter run;
    const outcome parsed = run.parse(input);
    if (parsed == outcome::read_failure) {
        print_message("Unable to read file '%s'.\n", in_path);
        return 1;
    }
    if (parsed == outcome::out_of_memory) return out_of_memory();
    std::fputs(parsed == outcome::success ? "Success!\n" : "Failure.\n", stderr);
    const outcome written = run.write(output);
    if (written == outcome::out_of_memory) return out_of_memory();
    // A write that failed, the last flush and close included, leaves the
    // output empty, as after a failed parse.
    if (!interruption.close(written == outcome::success)) {
        print_message("Unable to write file '%s'.\n", out_path);
        return 1;
    }
    return parsed == outcome::success ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    // First, while this is the only thread. An output still open when main
    // returns belongs to a run that failed: the guard empties it.
    interruption_guard interruption;
    morvane::platform::command_line args(argc, argv);
    argc = args.argc();
    argv = args.argv();
    if (argc != 3) {
        std::fputs(banner, stderr);
        print_message("Usage: %s <old morvane file> <new morvane file>\n",
                      argv[0] != nullptr ? argv[0] : "morvane-convert");
        return 1;
    }
    const char* in_path = argv[1];
    const char* out_path = argv[2];

    // Opening the output first would empty the input when both name one file.
    if (same_file(in_path, out_path)) {
        print_message("Unable to open file '%s' for output.\n", out_path);
        return 1;
    }

    // Both opens happen before either is looked at, so the output is created
    // (or emptied) even when the input is missing.
    std::FILE* input = open_file(in_path, "r");
    std::FILE* output = open_file(out_path, "w");
    if (output != nullptr) interruption.open(output, file_path(out_path));
    if (input != nullptr && is_directory(in_path)) close(input);

    int status = 1;
    if (input == nullptr) {
        print_message("Unable to open file '%s' for input.\n", in_path);
        if (output == nullptr) print_message("Unable to open file '%s' for output.\n", out_path);
    } else if (output == nullptr) {
        print_message("Unable to open file '%s' for output.\n", out_path);
    } else {
        status = convert_files(input, output, interruption, in_path, out_path);
    }
    close(input);
    return status;
}
