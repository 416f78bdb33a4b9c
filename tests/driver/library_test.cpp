// The public library through its header alone: results, outcomes, streams,
// and conversions running side by side on several threads.

#include <morvane/morvane.hpp>

#include "support/run_program.hpp"

#include <gtest/gtest.h>

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

TEST(library, converts_bytes_and_streams_to_the_same_text) {
    const auto from_bytes = morvane::convert(example_old);
    EXPECT_EQ(from_bytes.status, outcome::success);
    EXPECT_TRUE(from_bytes.ok());
    EXPECT_EQ(from_bytes.text, example_new);

    std::istringstream in(example_old);
    const auto from_stream = morvane::convert(in);
    EXPECT_EQ(from_stream.status, outcome::success);
    EXPECT_EQ(from_stream.text, example_new);

    EXPECT_EQ(morvane::convert(" \r\n\t").text, "");
    EXPECT_TRUE(morvane::convert("").ok());
}

TEST(library, a_malformed_project_is_a_parse_failure_with_no_text) {
    const auto r = morvane::convert("[frame] [name] idle; [sprite] !");
    EXPECT_EQ(r.status, outcome::parse_failure);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.text, "");
}

TEST(library, unreadable_streams_are_read_failures) {
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
}

TEST(library, exhausted_memory_while_reading_is_out_of_memory) {
    failing_buf<std::bad_alloc> starving("[frame]");
    std::istream in(&starving);
    in.exceptions(std::ios::badbit); // let the allocation failure through
    const auto r = morvane::convert(in);
    EXPECT_EQ(r.status, outcome::out_of_memory);
    EXPECT_EQ(morvane::describe(r.status), "Out of Memory");
}

TEST(library, a_stream_that_throws_at_its_end_still_converts) {
    std::istringstream in("[frame] [name] idle; !");
    in.exceptions(std::ios::failbit | std::ios::eofbit);
    const auto r = morvane::convert(in);
    EXPECT_EQ(r.status, outcome::success);
    EXPECT_EQ(r.text, "[frame idle]\n");
}

TEST(library, converter_reports_the_parse_before_writing_and_writes_once) {
    morvane::converter run;
    std::ostringstream before;
    EXPECT_EQ(run.write(before), outcome::success);
    EXPECT_EQ(before.str(), "") << "nothing parsed, nothing written";

    std::istringstream in(example_old);
    ASSERT_EQ(run.parse(in), outcome::success);
    std::ostringstream out;
    EXPECT_EQ(run.write(out), outcome::success);
    EXPECT_EQ(out.str(), example_new);
    std::ostringstream again;
    EXPECT_EQ(run.write(again), outcome::success);
    EXPECT_EQ(again.str(), "");

    EXPECT_EQ(run.parse("[frame] [name] a; !"), outcome::success);
    EXPECT_EQ(run.parse("[frame] [name] b; !"), outcome::success);
    std::ostringstream replaced;
    EXPECT_EQ(run.write(replaced), outcome::success);
    EXPECT_EQ(replaced.str(), "[frame b]\n") << "a new parse replaces the last one";

    EXPECT_EQ(run.parse("[frame] [name] c;"), outcome::parse_failure);
    std::ostringstream failed;
    EXPECT_EQ(run.write(failed), outcome::success);
    EXPECT_EQ(failed.str(), "");

    morvane::converter moved = std::move(run);
    EXPECT_EQ(moved.parse("[frame]!"), outcome::success);
}

TEST(library, converter_reads_and_writes_c_streams_and_reports_write_failures) {
    std::FILE* in = std::tmpfile();
    ASSERT_NE(in, nullptr);
    std::fputs(example_old.c_str(), in);
    std::rewind(in);
    morvane::converter run;
    EXPECT_EQ(run.parse(in), outcome::success);
    std::fclose(in);

    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(run.write(out), outcome::success);
    std::rewind(out);
    std::string written(example_new.size() + 1, '\0');
    written.resize(std::fread(written.data(), 1, written.size(), out));
    std::fclose(out);
    EXPECT_EQ(written, example_new);

    std::ostringstream bad;
    bad.setstate(std::ios::badbit);
    ASSERT_EQ(run.parse("[frame] [name] idle; !"), outcome::success);
    EXPECT_EQ(run.write(bad), outcome::write_failure);

    if (std::FILE* full = std::fopen("/dev/full", "w")) {
        ASSERT_EQ(run.parse("[frame] [name] idle; !"), outcome::success);
        EXPECT_EQ(run.write(full), outcome::write_failure);
        std::fclose(full);
    }
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
