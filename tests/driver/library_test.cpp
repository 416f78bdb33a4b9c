// The public library: results and outcomes for bytes, streams and C streams;
// what the checker's result carries; inputs failing or changing partway; and
// conversions side by side on several threads.

#include <morvane/morvane.hpp>

#include "driver/conversion.hpp"
#include "support/convert.hpp"
#include "support/run_program.hpp"
#include "support/sources.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <new>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

using morvane::check;
using morvane::convert;
using morvane::outcome;
using morvane::testing::read_file;

const std::string example_old = read_file(std::string(MORVANE_EXAMPLES) + "/project.old");
const std::string example_new = read_file(std::string(MORVANE_EXAMPLES) + "/project.new");

struct out_of_memory : std::bad_alloc {
    explicit out_of_memory(const char*) {}
};

// Hands out its bytes, then throws from underflow, as a broken device or
// exhausted memory would.
template <class Failure> struct failing_buf : std::streambuf {
    explicit failing_buf(std::string& bytes) {
        setg(bytes.data(), bytes.data(), bytes.data() + bytes.size());
    }
    int_type underflow() override { throw Failure("gone"); }
};

// A "kind number" line for each kind of record, as examples/project.counts
// holds the example's counts for the page's test too.
std::string counts_text(const morvane::project_counts& c) {
    const std::uint64_t n[] = {c.characters, c.animations, c.animation_frames,     c.frames,
                               c.sprites,    c.points,     c.collision_rectangles, c.charmaps};
    const char* kinds[] = {"characters", "animations", "animation_frames",     "frames",
                           "sprites",    "points",     "collision_rectangles", "charmaps"};
    std::string text;
    for (int k = 0; k < 8; ++k) text += std::string(kinds[k]) + " " + std::to_string(n[k]) + "\n";
    return text;
}

TEST(library, every_kind_of_input_gives_its_outcome_text_and_counts) {
    std::string head = "[frame]";
    failing_buf<std::range_error> broken(head);
    failing_buf<out_of_memory> starving(head), starving_too(head);
    std::istream broken_in(&broken), starved_in(&starving), starved_too(&starving_too);
    starved_in.exceptions(std::ios::badbit); // lets the allocation failure through
    starved_too.exceptions(std::ios::badbit);
    std::istringstream throws_at_end("[frame] [name] idle; !"), whole(example_old);
    throws_at_end.exceptions(std::ios::failbit | std::ios::eofbit);
    std::ifstream missing("/nonexistent/morvane/project.old");
    const std::string counted = read_file(std::string(MORVANE_EXAMPLES) + "/project.counts");
    const std::string none = counts_text({});
    const auto both = [](std::string_view in) { return std::pair(convert(in), check(in)); };
    struct row {
        std::pair<morvane::conversion_result, morvane::check_result> got; // the same input checked
        outcome status;
        std::string text, counts;
    };
    const row rows[] = {
        {both(example_old), outcome::success, example_new, counted},
        {std::pair(convert(whole), check(example_old)), outcome::success, example_new, counted},
        {both(""), outcome::success, "", none},
        {both(" \r\n\t"), outcome::success, "", none},
        {both("[frame] [name] idle; [sprite] !"), outcome::parse_failure, "", none},
        {std::pair(convert(throws_at_end), check(throws_at_end.str())), outcome::success,
         "[frame idle]\n", counts_text({0, 0, 0, 1})},
        // Apart where the example's counts agree: characters and points, animation
        // frames and sprites, collision rectangles and charmaps.
        {both("[char] [anim] [frame] ! ! ! [frame] [point] ! [point] ! [colrect] ! !"),
         outcome::success, "[char /anim ]\n[frame ]\n", counts_text({1, 1, 1, 1, 0, 2, 1, 0})},
        // These fail again when read again; a stream that ran out of memory is bad after.
        {std::pair(convert(missing), check(missing)), outcome::read_failure, "", none},
        {std::pair(convert(broken_in), check(broken_in)), outcome::read_failure, "", none},
        {std::pair(convert(starved_in), check(starved_too)), outcome::out_of_memory, "", none},
    };
    for (const auto& [both_results, status, text, counts] : rows) {
        const auto& [got, checked] = both_results;
        EXPECT_EQ(got.status, status) << morvane::describe(status);
        EXPECT_EQ(checked.status, status) << morvane::describe(status);
        EXPECT_EQ(checked.error.has_value(), status == outcome::parse_failure);
        const bool ok = status == outcome::success;
        EXPECT_TRUE(got.ok() == ok && checked.ok() == ok) << morvane::describe(status);
        EXPECT_TRUE(got.text == text) << morvane::describe(status);
        EXPECT_EQ(counts_text(got.counts), counts) << morvane::describe(status);
    }
    EXPECT_EQ(morvane::describe(outcome::out_of_memory), "Out of Memory");
}

TEST(library, converter_reports_the_parse_before_writing_and_writes_once) {
    morvane::converter run;
    std::ostringstream out;
    std::istringstream in(example_old);
    EXPECT_EQ(run.write(out), outcome::success); // nothing parsed yet
    ASSERT_EQ(run.parse(in), outcome::success);
    EXPECT_EQ(run.write(out), outcome::success);
    EXPECT_EQ(run.write(out), outcome::success); // written already
    EXPECT_EQ(run.parse("[frame] [name] a; !"), outcome::success);
    EXPECT_EQ(run.parse("[frame] [name] b; !"), outcome::success);
    EXPECT_EQ(run.write(out), outcome::success);
    EXPECT_EQ(run.parse("[frame] [name] c;"), outcome::parse_failure);
    EXPECT_EQ(run.write(out), outcome::success);
    EXPECT_EQ(out.str(), example_new + "[frame b]\n")
        << "written once each; a new parse replaces the last; a failed one leaves nothing";
    morvane::converter moved = std::move(run);
    EXPECT_EQ(moved.parse("[frame]!"), outcome::success);
    out.setstate(std::ios::badbit);
    EXPECT_EQ(moved.write(out), outcome::write_failure);
}

// A file truncated, extended or rewritten while it is read (it claims the size
// it had when opened) converts exactly the bytes that were read; a read error
// anywhere ends the parse with nothing in the document.
TEST(io_faults, inputs_changing_or_failing_while_read) {
    const std::string_view whole = example_old;
    const std::string twice = example_old + example_old;
    std::string rewritten = example_old;
    std::replace(rewritten.begin(), rewritten.end(), 'a', 'b');
    std::vector<std::string_view> read_now{twice, rewritten};
    for (const std::size_t cut : {std::size_t{0}, std::size_t{1}, whole.size() / 3,
                                  whole.rfind('!') + 1, whole.size() - 1}) {
        read_now.push_back(whole.substr(0, cut));
        morvane::conversion run;
        morvane::testing::scripted_source failing(whole, {7, {}, cut});
        EXPECT_THROW(static_cast<void>(run.parse(failing)), morvane::read_error) << cut;
        EXPECT_TRUE(run.doc().frame_list.empty() && run.doc().character_list.empty());
    }
    for (const std::string_view now : read_now) {
        morvane::testing::scripted_source source(now, {std::size_t{1} << 20U, whole.size()});
        EXPECT_EQ(morvane::testing::convert(source), morvane::testing::convert(now)) << now.size();
    }
}

// Each thread converts and checks inputs of its own, many times over, and
// compares every result with what its input must give.
TEST(library, conversions_on_several_threads_each_get_their_own_result) {
    constexpr int threads = 6;
    std::vector<std::string> failures(threads);
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([t, &failures] {
            for (int r = 0; r < 40; ++r) {
                const std::string name = "f" + std::to_string(t) + "_" + std::to_string(r);
                const std::string input =
                    "[frame] [name] " + name + "; [sprite] [x] " + std::to_string(r) + "; !";
                if (morvane::convert(input + " !").text !=
                    "[frame " + name + "]\nsprite 0 x=" + std::to_string(r) + "\n")
                    failures[t] = "converted wrongly";
                // Cut after the name's ";": the frame then lacks its "!". (The case
                // files hold where the checker places failures; here, what its
                // result carries besides.)
                const auto checked = morvane::check(input.substr(0, 16 + name.size()));
                if (!checked.error || checked.error->offset != 16 + name.size() ||
                    checked.error->line != 1 || checked.error->column != 17 + name.size() ||
                    checked.error->message() != "expected \"!\" or \"[\"")
                    failures[t] = "checked wrongly";
            }
        });
    }
    for (auto& th : pool) th.join();
    for (const auto& f : failures) EXPECT_EQ(f, "");
}

} // namespace
