// Machine faults: an input that opens but cannot be read, writes that fail at
// any point of the output (a mid-run block, the final flush), and outputs that
// cannot be created. None of them may ever pass for a success.

#include "driver/conversion.hpp"
#include "support/limited_run.hpp"
#include "support/run_program.hpp"
#include "support/text_lines.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using morvane::testing::read_file;
using morvane::testing::platform_text;
using morvane::testing::run_program;
using morvane::testing::run_program_with_file_limit;
using morvane::testing::scratch_dir;
using morvane::testing::write_file;

namespace morvane {
namespace {

// A project whose output reaches the sink in several large blocks: each frame
// holds a sprite with a long image path and a short line after it.
std::string frames_with_long_paths(std::size_t frames, std::size_t path_bytes) {
    std::string s;
    for (std::size_t i = 0; i < frames; ++i)
        s += "[frame] [name] f" + std::to_string(i) + "; [sprite] [image] " +
             std::string(path_bytes, 'p') + "; [x] 1; ! !\n";
    return s;
}

// The error stream without the complaints of a coverage build's profiler, whose
// data files fall under the same size limit.
[[maybe_unused]] std::string messages(const std::string& err) {
    std::string kept;
    std::size_t from = 0;
    while (from < err.size()) {
        std::size_t end = err.find('\n', from);
        end = end == std::string::npos ? err.size() : end + 1;
        const std::string line = err.substr(from, end - from);
        if (!line.starts_with("libgcov profiling error:")) kept += line;
        from = end;
    }
    return kept;
}

TEST(io_faults, unreadable_input_is_reported_and_leaves_an_empty_output) {
    // Opening the process's own memory works; reading offset 0 fails (EIO).
    if (!fs::exists("/proc/self/mem")) GTEST_SKIP() << "no /proc here";
    const std::string dir = scratch_dir("unreadable");
    write_file(dir + "/out.new", "old contents");
    const auto r = run_program(MORVANE_CONVERT, {"/proc/self/mem", dir + "/out.new"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, platform_text("Unable to read file '/proc/self/mem'.\n"));
    EXPECT_EQ(read_file(dir + "/out.new"), "");
}

TEST(io_faults, a_write_failing_anywhere_in_the_output_fails_the_run) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows has no per-process file size limit to make writes fail";
#else
    const std::string dir = scratch_dir("file-limit");
    const std::string input = dir + "/in.old";
    const std::string output = dir + "/out.new";
    write_file(input, frames_with_long_paths(1, 3U << 20U));

    // The limit's own effect first: with room for every byte the run succeeds.
    const auto full = run_program_with_file_limit(MORVANE_CONVERT, {input, output}, 1U << 30U);
    ASSERT_EQ(full.status, 0) << full.err;
    const std::uint64_t size = fs::file_size(output);
    ASSERT_GT(size, 1U << 20U) << "the output must not fit in one stream buffer";
    const auto exact = run_program_with_file_limit(MORVANE_CONVERT, {input, output}, size);
    EXPECT_EQ(exact.status, 0) << exact.err;

    // No room at all, the first block cut short, only the last bytes failing.
    for (const std::uint64_t limit : {std::uint64_t{0}, std::uint64_t{512 * 1024}, size - 1}) {
        const auto r = run_program_with_file_limit(MORVANE_CONVERT, {input, output}, limit);
        EXPECT_EQ(r.status, 1) << "limit " << limit;
        EXPECT_EQ(messages(r.err), "Success!\nUnable to write file '" + output + "'.\n")
            << "limit " << limit;
        EXPECT_EQ(r.out, "");
    }
#endif
}

// Gives the bytes of an input, then fails instead of reaching its end.
class failing_source : public input_source {
  public:
    failing_source(std::string_view bytes, std::size_t fail_at) : bytes_(bytes), left_(fail_at) {}
    std::size_t read(char* dst, std::size_t max) override {
        if (left_ == 0) throw read_error("device gone");
        const std::size_t n = std::min({max, left_, bytes_.size()});
        bytes_.copy(dst, n);
        bytes_.remove_prefix(n);
        left_ -= n;
        return n;
    }

  private:
    std::string_view bytes_;
    std::size_t left_;
};

TEST(io_faults, a_read_error_anywhere_ends_the_parse_with_an_empty_document) {
    const std::string input = "[frame] [name] idle; [sprite] [x] 5; ! !\n[char] [name] hero; !\n";
    for (const std::size_t at : {std::size_t{0}, std::size_t{1}, std::size_t{20}, input.size()}) {
        conversion run;
        failing_source source(input, at);
        EXPECT_THROW(static_cast<void>(run.parse(source)), read_error)
            << "after " << at << " bytes";
        EXPECT_TRUE(run.doc().frame_list.empty());
        EXPECT_TRUE(run.doc().character_list.empty());
    }
}

// Takes bytes until its n-th write, or until it is flushed, then fails.
class failing_sink : public output_sink {
  public:
    failing_sink(std::size_t fail_on_write, bool fail_on_flush)
        : writes_left_(fail_on_write), fail_on_flush_(fail_on_flush) {}
    void write(std::string_view bytes) override {
        if (writes_left_-- == 1) throw write_error("disk full");
        taken.append(bytes);
    }
    void flush() override {
        if (fail_on_flush_) throw write_error("disk full");
    }
    std::string taken;

  private:
    std::size_t writes_left_;
    bool fail_on_flush_;
};

// Counts the writes it is given.
class counting_sink : public string_sink {
  public:
    using string_sink::string_sink;
    void write(std::string_view bytes) override {
        ++writes;
        string_sink::write(bytes);
    }
    std::size_t writes = 0;
};

TEST(io_faults, a_sink_failing_at_any_write_or_at_the_flush_fails_the_write) {
    const std::string input = frames_with_long_paths(3, 3U << 19U);
    std::string expected;
    std::size_t writes = 0;
    {
        conversion run;
        memory_source source(input);
        ASSERT_TRUE(run.parse(source));
        counting_sink sink(expected);
        run.write(sink);
        writes = sink.writes;
    }
    ASSERT_GE(writes, 3U) << "the output must reach the sink in several writes";

    for (const std::size_t failing_write : {std::size_t{1}, writes / 2 + 1, writes}) {
        conversion run;
        memory_source source(input);
        ASSERT_TRUE(run.parse(source));
        failing_sink sink(failing_write, false);
        EXPECT_THROW(run.write(sink), write_error) << "write " << failing_write;
        EXPECT_TRUE(expected.starts_with(sink.taken)) << "write " << failing_write;
        EXPECT_LT(sink.taken.size(), expected.size());
    }
    conversion run;
    memory_source source(input);
    ASSERT_TRUE(run.parse(source));
    failing_sink sink(0, true);
    EXPECT_THROW(run.write(sink), write_error) << "the final flush";
    EXPECT_EQ(sink.taken, expected) << "every byte was handed over before the flush";
}

} // namespace
} // namespace morvane
