// The public library: results, outcomes and counts for streams; the converter
// in two steps; inputs failing or changing partway. (The e2e cases run it on
// bytes too, on several threads at once.)

#include <morvane/morvane.hpp>

#include "driver/conversion.hpp"
#include "support/convert.hpp"
#include "support/run_program.hpp"
#include "support/sources.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <fstream>
#include <new>
#include <sstream>
#include <stdexcept>
#include <tuple>

namespace {

using namespace morvane;
using morvane::testing::read_file;

const std::string example_old = read_file(std::string(MORVANE_EXAMPLES) + "/project.old");
const std::string example_new = read_file(std::string(MORVANE_EXAMPLES) + "/project.new");

// Hands out its bytes, then throws from underflow, as a broken device or
// exhausted memory would.
struct failing_buf : std::streambuf {
    failing_buf(std::string& bytes, std::exception_ptr failure) : failure_(std::move(failure)) {
        setg(bytes.data(), bytes.data(), bytes.data() + bytes.size());
    }
    int_type underflow() override { std::rethrow_exception(failure_); }
    std::exception_ptr failure_;
};

// The example's counts, which examples/project.counts holds for the page's test
// too: a "kind number" line for each field of project_counts, in order.
morvane::project_counts example_counts() {
    std::istringstream lines(read_file(std::string(MORVANE_EXAMPLES) + "/project.counts"));
    std::string kind;
    std::uint64_t n[8]{};
    for (std::uint64_t& count : n) lines >> kind >> count;
    return {n[0], n[1], n[2], n[3], n[4], n[5], n[6], n[7]};
}

TEST(library, every_kind_of_input_gives_its_outcome_text_and_counts) {
    std::string head = "[frame]";
    const auto out_of_memory = std::make_exception_ptr(std::bad_alloc());
    failing_buf broken(head, std::make_exception_ptr(std::range_error("gone")));
    failing_buf starving(head, out_of_memory), starving_too(head, out_of_memory);
    std::istream broken_in(&broken), starved_in(&starving), starved_too(&starving_too);
    starved_in.exceptions(std::ios::badbit); // lets the allocation failure through
    starved_too.exceptions(std::ios::badbit);
    std::istringstream throws_at_end("[frame] [name] idle; !"), whole(example_old);
    throws_at_end.exceptions(std::ios::failbit | std::ios::eofbit);
    std::ifstream missing("/nonexistent/morvane/project.old");
    using counts = morvane::project_counts;
    const auto both = [](std::string_view in) { return std::pair(convert(in), check(in)); };
    // What an input gives converted and checked, and what it must give.
    using results = std::pair<morvane::conversion_result, morvane::check_result>;
    const std::tuple<results, outcome, std::string, counts> rows[] = {
        {std::pair(convert(whole), check(example_old)), outcome::success, example_new,
         example_counts()},
        {std::pair(convert(throws_at_end), check(throws_at_end.str())), outcome::success,
         "[frame idle]\n", counts{0, 0, 0, 1}},
        // Apart where the example's counts agree: characters and points, animation
        // frames and sprites, collision rectangles and charmaps.
        {both("[char] [anim] [frame] ! ! ! [frame] [point] ! [point] ! [colrect] ! !"),
         outcome::success, "[char /anim ]\n[frame ]\n", counts{1, 1, 1, 1, 0, 2, 1, 0}},
        // These fail again when read again; a stream that ran out of memory is bad after.
        {std::pair(convert(missing), check(missing)), outcome::read_failure, "", counts{}},
        {std::pair(convert(broken_in), check(broken_in)), outcome::read_failure, "", counts{}},
        {std::pair(convert(starved_in), check(starved_too)), outcome::out_of_memory, "", counts{}},
    };
    for (const auto& [both_results, status, text, counted] : rows) {
        const auto& [got, checked] = both_results;
        const bool ok = status == outcome::success;
        EXPECT_EQ(std::tuple(got.status, checked.status, got.ok(), checked.ok(), checked.error),
                  std::tuple(status, status, ok, ok, std::nullopt))
            << morvane::describe(status);
        EXPECT_TRUE(got.text == text && got.counts == counted) << morvane::describe(status);
    }
    EXPECT_EQ(morvane::describe(static_cast<outcome>(5)), "Unknown") << "no outcome";
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

} // namespace
