// The executables run as users and scripts run them, on the case files.
//   cases/NAME: the converter on input.old gives exactly expected.new, its
//     stderr and status; the checker with --warnings gives the same verdict,
//     with exactly the line of expected.check where the input does not
//     convert and else exactly the lines of expected.warnings (none when the
//     case has no such file). (The checker without --warnings is silent on a
//     file that converts with warnings: cli/check-one-line-per-broken-file-in-order.)
//     The library on the input's bytes gives the same, on several threads.
//   cli/NAME: the command line in `command` (program, then one argument a line)
//     gives expected.stderr, expected.status and expected.stdout (nothing when
//     absent), and leaves expected.output in $D/out.new; $D is a scratch copy of
//     cli/files, plus hard.old, a hard link to in.old. Neither the input nor any
//     other file there changes.
//
// Where text files end lines with CR LF, the output file and standard error
// hold each LF as that pair, so a case's expected files apply with that change
// alone. Where that is not the whole story (an input whose CR LF pairs lie
// inside a value, or that ends in 0x1A bytes) the case holds the exact bytes in
// expected.windows.new, .stderr, .status or .check, and says why in windows.why.

#include "support/run_program.hpp"

#include <morvane/morvane.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <future>
#include <sstream>

namespace fs = std::filesystem;
using namespace morvane::testing;

namespace {

std::vector<std::string> names_in(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_directory() && entry.path().filename() != "files")
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string test_name(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

// A case's expected.WHAT, or its expected.windows.WHAT on Windows where the
// case has one; text as the platform stores it.
std::string expected_file(const std::string& dir, const std::string& what, bool text = true) {
#if defined(_WIN32)
    const std::string own = dir + "/expected.windows." + what;
    if (fs::exists(own)) return read_file(own);
#endif
    const std::string bytes = read_file(dir + "/expected." + what);
    return text ? platform_text(bytes) : bytes;
}

class converts : public ::testing::TestWithParam<std::string> {};

TEST_P(converts, exact_output_messages_and_status) {
    const std::string dir = std::string(MORVANE_CASES) + "/" + GetParam();
    const std::string out = scratch_dir("case-" + GetParam()) + "/out.new";
    const auto r = run_program(MORVANE_CONVERT, {dir + "/input.old", out});
    EXPECT_EQ(r.err, expected_file(dir, "stderr"));
    EXPECT_EQ(r.status, std::stoi(expected_file(dir, "status", false)));
    EXPECT_EQ(r.out, "") << "nothing may go to standard output";
    EXPECT_EQ(read_file(out), expected_file(dir, "new"));

    const auto checked = run_program(MORVANE_CHECK, {"--warnings", dir + "/input.old"});
    EXPECT_EQ(checked.status, r.status);
    const std::string path = platform_text(dir + "/");
    std::string said = r.status == 0 ? "" : path + expected_file(dir, "check");
    if (r.status == 0 && fs::exists(dir + "/expected.warnings")) {
        std::istringstream lines(expected_file(dir, "warnings", false));
        for (std::string line; std::getline(lines, line);)
            said += platform_text(path + line + "\n");
    }
    EXPECT_EQ(checked.err, said);
}

// A case's file converted by the library in parts, as the command reads it
// (in pieces at once), or "(failed)".
std::string converted_from_file(const std::string& path, unsigned threads) {
    morvane::converter run({.threads = threads, .min_part_bytes = 1});
    std::FILE* file = std::fopen(path.c_str(), "rb");
    const bool parsed = file != nullptr && run.parse(file) == morvane::outcome::success;
    if (file != nullptr) std::fclose(file);
    std::ostringstream out;
    return parsed && run.write(out) == morvane::outcome::success ? out.str() : "(failed)";
}

// A thread's run of the library over every case's bytes, from the case at
// `first` round to the one before it: convert and check give the case's
// verdict, convert its output (as stored where text is kept as it is), both
// the same warnings, and every place they name lies at its offset. (The checker
// prints the library's check of the file: its lines are the case's above.)
// The first case that differs, or "".
std::string library_differs(const std::vector<std::string>& names, std::size_t first) {
    const auto placed = [](const auto& at) { return at.offset == at.line_begin + at.column - 1; };
    for (std::size_t k = 0; k < names.size(); ++k) {
        const std::string dir =
            std::string(MORVANE_CASES) + "/" + names[(first + k) % names.size()];
        const std::string input = read_file(dir + "/input.old");
        const auto converted = morvane::convert(input, {.warnings = true});
        const auto checked = morvane::check(input, {.warnings = true});
        const bool ok = read_file(dir + "/expected.status") == "0\n";
        if (converted.ok() != ok || checked.ok() != ok || converted.warnings != checked.warnings ||
            converted.text != read_file(dir + "/expected.new") ||
            (checked.error && !placed(*checked.error)) ||
            !std::ranges::all_of(checked.warnings, placed))
            return dir;
        for (const unsigned threads : {1U, 2U, 3U, 8U}) {
            const auto split = morvane::convert(input, {.threads = threads, .min_part_bytes = 1});
            if (std::tie(split.status, split.text, split.counts) !=
                    std::tie(converted.status, converted.text, converted.counts) ||
                converted_from_file(dir + "/input.old", threads) !=
                    (converted.ok() ? converted.text : "(failed)"))
                return dir + " in parts on " + std::to_string(threads) + " threads";
        }
    }
    return "";
}

TEST(library, every_case_on_several_threads_at_once) {
    const std::vector<std::string> names = names_in(MORVANE_CASES);
    std::vector<std::future<std::string>> runs;
    for (std::size_t t = 0; t < 6; ++t)
        runs.push_back(std::async(std::launch::async, library_differs, std::cref(names),
                                  t * names.size() / 6));
    for (auto& run : runs) EXPECT_EQ(run.get(), "");
}

INSTANTIATE_TEST_SUITE_P(e2e, converts, ::testing::ValuesIn(names_in(MORVANE_CASES)), test_name);

std::string expand(std::string s, const std::string& dir) {
    const std::pair<std::string, std::string> names[] = {
        {"$D", dir}, {"$CONVERT", MORVANE_CONVERT}, {"$CHECK", MORVANE_CHECK}};
    for (const auto& [name, value] : names)
        for (std::size_t at; (at = s.find(name)) != std::string::npos;)
            s.replace(at, name.size(), value);
    return s;
}

class command_line : public ::testing::TestWithParam<std::string> {};

TEST_P(command_line, status_messages_and_files) {
    const std::string cases = std::string(MORVANE_CASES) + "/../cli/";
    const std::string want = cases + GetParam();
    const std::string dir = scratch_dir("cli-" + GetParam());
    fs::copy(cases + "files", dir);
    fs::create_hard_link(dir + "/in.old", dir + "/hard.old");
    std::istringstream lines(expand(read_file(want + "/command"), dir));
    std::vector<std::string> args; // the program, then its arguments
    for (std::string arg; std::getline(lines, arg);) {
        if (arg.starts_with("/dev/") || arg.starts_with("/proc/"))
            if (!fs::exists(arg)) GTEST_SKIP() << "no " << arg << " here";
        args.push_back(arg);
    }
    const auto r = run_program(args[0], {args.begin() + 1, args.end()});
    EXPECT_EQ(r.status, std::stoi(read_file(want + "/expected.status")));
    EXPECT_EQ(r.err, platform_text(expand(read_file(want + "/expected.stderr"), dir)));
    const std::string answer = want + "/expected.stdout";
    EXPECT_EQ(r.out, fs::exists(answer) ? platform_text(expand(read_file(answer), dir)) : "");
    for (const auto& file : fs::directory_iterator(cases + "files")) {
        const std::u8string name = file.path().filename().u8string(); // UTF-8 on every platform
        const std::string utf8(name.begin(), name.end());
        if (utf8 != "out.new") {
            EXPECT_EQ(read_file(dir + "/" + utf8), read_file(cases + "files/" + utf8));
        }
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 8)
        << "no file is created but the output";
    if (fs::exists(want + "/expected.output")) {
        EXPECT_EQ(read_file(dir + "/out.new"), platform_text(read_file(want + "/expected.output")));
    }
}

INSTANTIATE_TEST_SUITE_P(cli, command_line,
                         ::testing::ValuesIn(names_in(std::string(MORVANE_CASES) + "/../cli")),
                         test_name);

} // namespace
