// morvane-convert OLD NEW: converts one old-format project file to the new format.
// Every message goes to the standard error stream; nothing to standard output.

#include "io/command_platform.hpp"
#include "io/interruption.hpp"

#include <morvane/morvane.hpp>

#include <cstdio>
#include <filesystem>
#include <thread>

namespace {

using morvane::platform::file_path;
using morvane::platform::interruption_guard;
using morvane::platform::open_file;
using morvane::platform::print_message;

constexpr const char* banner = "Reverse MorvaNE file conversion utility v1.0\n"
                               "Copyright (c) the morvane-convert authors\n"
                               "\n";

// Says that a file did not open, read or write ("Unable to open file 'x' for
// input.") and returns the exit status of a failed run.
int unable(const char* verb, const char* path, const char* use = "") {
    print_message("Unable to %s file '%s'%s.\n", verb, path, use);
    return 1;
}

int out_of_memory() {
    const std::string_view message = morvane::describe(morvane::outcome::out_of_memory);
    print_message("ERROR: %.*s\n", static_cast<int>(message.size()), message.data());
    return 1;
}

// The output, emptied on a thread of its own while the input is read and
// parsed: freeing the pages of a large file that it held takes a while
// (realistic 100 MiB written over its last output: opening with emptying took
// 15 to 30 ms; the whole run 0.287 s with the emptying beside the parse, 0.314
// before it, medians of 15 interleaved runs). Nothing is written to the output
// before emptied() has returned true.
class output_file {
  public:
    explicit output_file(const char* path) : file_(morvane::platform::open_output(path)) {
        if (file_ != nullptr)
            emptying_ = std::jthread([this] { emptied_ = morvane::platform::empty_output(file_); });
    }
    [[nodiscard]] std::FILE* get() const noexcept { return file_; }
    // Waits for the emptying (the join orders emptied_); false when it failed.
    [[nodiscard]] bool emptied() {
        if (emptying_.joinable()) emptying_.join();
        return emptied_;
    }

  private:
    std::FILE* file_;
    bool emptied_ = true;
    std::jthread emptying_; // last: joined before the rest goes
};

// Parses and writes with both files open; the output closes through the
// guard. Returns the exit status.
int convert_files(std::FILE* input, output_file& output, interruption_guard& interruption,
                  const char* in_path, const char* out_path) {
    using morvane::outcome;
    morvane::converter run;
    const outcome parsed = run.parse(input);
    if (!output.emptied()) return unable("open", out_path, " for output");
    if (parsed == outcome::read_failure) return unable("read", in_path);
    if (parsed == outcome::out_of_memory) return out_of_memory();
    std::fputs(parsed == outcome::success ? "Success!\n" : "Failure.\n", stderr);
    const outcome written = run.write(output.get());
    if (written == outcome::out_of_memory) return out_of_memory();
    // A write that failed, the last flush and close included, leaves the
    // output empty, as after a failed parse.
    if (!interruption.close(written == outcome::success)) return unable("write", out_path);
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

    // Opening the output first would empty the input when both paths name one
    // file (the same path, another path to it, a link).
    std::error_code ec;
    if (std::filesystem::equivalent(file_path(in_path), file_path(out_path), ec) && !ec)
        return unable("open", out_path, " for output");

    // Both opens happen before either is looked at, so the output is created
    // (or emptied) even when the input is missing or a directory.
    std::FILE* input = morvane::platform::is_directory(in_path) ? nullptr : open_file(in_path, "r");
    output_file output(out_path);
    if (output.get() != nullptr) interruption.open(output.get(), file_path(out_path));
    if (input == nullptr) unable("open", in_path, " for input");
    if (output.get() == nullptr) unable("open", out_path, " for output");
    const int status = input != nullptr && output.get() != nullptr
                           ? convert_files(input, output, interruption, in_path, out_path)
                           : 1;
    if (input != nullptr) std::fclose(input);
    return status;
}
