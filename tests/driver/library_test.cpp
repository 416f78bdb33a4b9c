// The public library: results and outcomes for bytes, streams and C streams;
// where the checker says a file breaks; inputs and outputs failing partway; and
// conversions side by side on several threads.

#include <morvane/morvane.hpp>

#include "driver/conversion.hpp"
#include "support/convert.hpp"
#include "support/run_program.hpp"
#include "support/sources.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <new>
#include <sstream>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

namespace {

using morvane::outcome;
using morvane::testing::read_file;

const std::string example_old = read_file(std::string(MORVANE_EXAMPLES) + "/project.old");
const std::string example_new = read_file(std::string(MORVANE_EXAMPLES) + "/project.new");

// Hands out its bytes, then fails the way a broken device or exhausted memory
// would: by throwing from underflow.
template <class Failure> class failing_buf : public std::streambuf {
  public:
    explicit failing_buf(std::string bytes) : bytes_(std::move(bytes)) {
        setg(bytes_.data(), bytes_.data(), bytes_.data() + bytes_.size());
    }

  protected:
    int_type underflow() override { throw Failure(); }

  private:
    std::string bytes_;
};

struct device_error {};

TEST(library, converts_bytes_and_streams_with_the_right_outcome) {
    EXPECT_EQ(morvane::convert(example_old).text, example_new);
    std::istringstream in(example_old);
    const auto from_stream = morvane::convert(in);
    EXPECT_TRUE(from_stream.ok());
    EXPECT_EQ(from_stream.text, example_new);
    EXPECT_TRUE(morvane::convert("").ok());
    EXPECT_EQ(morvane::convert(" \r\n\t").text, "");

    const auto broken = morvane::convert("[frame] [name] idle; [sprite] !");
    EXPECT_EQ(broken.status, outcome::parse_failure);
    EXPECT_FALSE(broken.ok());
    EXPECT_EQ(broken.text, "");

    std::istringstream throws_at_end("[frame] [name] idle; !");
    throws_at_end.exceptions(std::ios::failbit | std::ios::eofbit);
    EXPECT_EQ(morvane::convert(throws_at_end).text, "[frame idle]\n");
}

TEST(library, unreadable_inputs_and_exhausted_memory_are_reported) {
    std::ifstream missing("/nonexistent/morvane/project.old");
    EXPECT_EQ(morvane::convert(missing).status, outcome::read_failure);
    failing_buf<device_error> broken("[frame] [name] idle; !");
    std::istream in(&broken);
    EXPECT_EQ(morvane::convert(in).status, outcome::read_failure);
    EXPECT_EQ(morvane::check(in).status, outcome::read_failure);
    // A directory opens as a stream on some systems but has no bytes to give.
    if (std::FILE* dir = std::fopen("/", "r")) {
        morvane::converter run;
        EXPECT_EQ(run.parse(dir), outcome::read_failure);
        std::fclose(dir);
    }

    failing_buf<std::bad_alloc> starving("[frame]");
    std::istream starved(&starving);
    starved.exceptions(std::ios::badbit); // let the allocation failure through
    EXPECT_EQ(morvane::convert(starved).status, outcome::out_of_memory);
    EXPECT_EQ(morvane::describe(outcome::out_of_memory), "Out of Memory");
}

TEST(library, converter_reports_the_parse_before_writing_and_writes_once) {
    morvane::converter run;
    std::ostringstream nothing;
    EXPECT_EQ(run.write(nothing), outcome::success);
    std::istringstream in(example_old);
    ASSERT_EQ(run.parse(in), outcome::success);
    std::ostringstream out;
    EXPECT_EQ(run.write(out), outcome::success);
    EXPECT_EQ(run.write(nothing), outcome::success);
    EXPECT_EQ(run.parse("[frame] [name] a; !"), outcome::success);
    EXPECT_EQ(run.parse("[frame] [name] b; !"), outcome::success);
    std::ostringstream replaced;
    EXPECT_EQ(run.write(replaced), outcome::success);
    EXPECT_EQ(run.parse("[frame] [name] c;"), outcome::parse_failure);
    EXPECT_EQ(run.write(nothing), outcome::success);
    EXPECT_EQ(nothing.str(), "") << "nothing parsed, written already, or a failed parse";
    EXPECT_EQ(out.str(), example_new);
    EXPECT_EQ(replaced.str(), "[frame b]\n") << "a new parse replaces the last one";
    morvane::converter moved = std::move(run);
    EXPECT_EQ(moved.parse("[frame]!"), outcome::success);
    std::ostringstream bad;
    bad.setstate(std::ios::badbit);
    EXPECT_EQ(moved.write(bad), outcome::write_failure);
}

// The case files hold where the checker places each failure; here, what the
// library's result carries besides.
TEST(check, results_carry_offset_line_column_and_what_was_expected) {
    std::istringstream in("[frame]\r\n[name] 1;");
    const auto r = morvane::check(in);
    ASSERT_EQ(r.status, outcome::parse_failure);
    ASSERT_TRUE(r.error.has_value());
    EXPECT_EQ(r.error->offset, 16U);
    EXPECT_EQ(r.error->line, 2U);
    EXPECT_EQ(r.error->column, 8U);
    EXPECT_EQ(r.error->expected, (std::vector<std::string>{"a name"}));
    EXPECT_EQ(r.error->message(), "expected a name");
    EXPECT_TRUE(morvane::check("[frame] [name] idle; !").ok());
}

// A project whose output reaches the sink in several large blocks.
std::string frames_with_long_paths(std::size_t frames, std::size_t path_bytes) {
    std::string s;
    for (std::size_t i = 0; i < frames; ++i)
        s += "[frame] [name] f" + std::to_string(i) + "; [sprite] [image] " +
             std::string(path_bytes, 'p') + "; [x] 1; ! !\n";
    return s;
}

TEST(io_faults, a_read_error_anywhere_ends_the_parse_with_an_empty_document) {
    const std::string input = frames_with_long_paths(2, 10);
    for (const std::size_t at : {std::size_t{0}, std::size_t{1}, std::size_t{20}, input.size()}) {
        morvane::conversion run;
        morvane::testing::scripted_source source(
            input, {.chunk = input.size(), .claimed_size = {}, .fail_at = at});
        EXPECT_THROW(static_cast<void>(run.parse(source)), morvane::read_error) << at;
        EXPECT_TRUE(run.doc().frame_list.empty()) << at;
    }
}

// A file truncated, extended or rewritten while it is read converts exactly the
// bytes that were read, in whatever pieces they came.
TEST(io_faults, a_file_changing_while_read_converts_exactly_the_bytes_read) {
    const std::string_view whole = example_old;
    const std::string twice = example_old + example_old;
    std::string rewritten = example_old;
    std::replace(rewritten.begin(), rewritten.end(), 'a', 'b');
    std::vector<std::string_view> read_now{twice, rewritten};
    for (const std::size_t cut :
         {std::size_t{0}, std::size_t{1}, whole.size() / 3, whole.rfind('!') + 1, whole.size() - 1})
        read_now.push_back(whole.substr(0, cut));
    for (const std::string_view now : read_now) {
        for (const std::size_t chunk : {std::size_t{7}, std::size_t{1} << 20U}) {
            morvane::testing::scripted_source source(now, {chunk, whole.size()});
            EXPECT_EQ(morvane::testing::convert(source), morvane::testing::convert(now))
                << now.size() << " bytes read, " << chunk << " at a time";
        }
    }
}

// Takes bytes until its n-th write (0: never), or until it is flushed, then fails.
class failing_sink : public morvane::output_sink {
  public:
    failing_sink(std::size_t fail_on_write, bool fail_on_flush)
        : writes_left_(fail_on_write), fail_on_flush_(fail_on_flush) {}
    void write(std::string_view bytes) override {
        ++writes;
        if (writes_left_-- == 1) throw morvane::write_error("disk full");
        taken.append(bytes);
    }
    void flush() override {
        if (fail_on_flush_) throw morvane::write_error("disk full");
    }
    std::string taken;
    std::size_t writes = 0;

  private:
    std::size_t writes_left_;
    bool fail_on_flush_;
};

TEST(io_faults, a_sink_failing_at_any_write_or_at_the_flush_fails_the_write) {
    const std::string input = frames_with_long_paths(3, 3U << 19U);
    const auto write_into = [&input](failing_sink& sink) {
        morvane::conversion run;
        morvane::memory_source source(input);
        EXPECT_TRUE(run.parse(source));
        run.write(sink);
    };
    failing_sink whole(0, false);
    write_into(whole);
    ASSERT_GE(whole.writes, 3U) << "the output must reach the sink in several writes";
    for (const std::size_t failing_write : {std::size_t{1}, whole.writes / 2 + 1, whole.writes}) {
        failing_sink sink(failing_write, false);
        EXPECT_THROW(write_into(sink), morvane::write_error) << failing_write;
        EXPECT_TRUE(whole.taken.starts_with(sink.taken)) << failing_write;
        EXPECT_LT(sink.taken.size(), whole.taken.size());
    }
    failing_sink at_flush(0, true);
    EXPECT_THROW(write_into(at_flush), morvane::write_error) << "the final flush";
    EXPECT_EQ(at_flush.taken, whole.taken) << "every byte was handed over before the flush";
}

// Each thread converts and checks inputs of its own, many times over, and
// compares every result with what its input must give.
TEST(library, conversions_on_several_threads_each_get_their_own_result) {
    constexpr int threads = 6;
    constexpr int rounds = 40;
    std::vector<std::string> failures(threads);
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([t, &failures] {
            for (int r = 0; r < rounds; ++r) {
                const std::string name = "f" + std::to_string(t) + "_" + std::to_string(r);
                std::string input = "[frame] [name] " + name + ";";
                std::string expected = "[frame " + name + "]\n";
                for (int s = 0; s <= t; ++s) {
                    input += " [sprite] [x] " + std::to_string(r * 10 + s) + "; !";
                    expected +=
                        "sprite " + std::to_string(s) + " x=" + std::to_string(r * 10 + s) + "\n";
                }
                const auto converted = morvane::convert(input + " !");
                if (!converted.ok() || converted.text != expected)
                    failures[t] = "thread " + std::to_string(t) + " got " + converted.text;
                // Cut after the name's ";": the frame then lacks its "!".
                const auto checked = morvane::check(input.substr(0, 16 + name.size()));
                if (checked.status != outcome::parse_failure || !checked.error ||
                    checked.error->column != 17 + name.size())
                    failures[t] = "thread " + std::to_string(t) + " checked wrongly";
            }
        });
    }
    for (auto& th : pool) th.join();
    for (const auto& f : failures) EXPECT_EQ(f, "");
}

} // namespace
