// The engine under small rules written here: refill, recorded actions and the
// dropping of consumed input; the action log's entries; and reads on demand. The grammar itself is
// checked end to end by the case files and the property test.

#include "driver/conversion.hpp"
#include "parser/engine.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace morvane {
namespace {

// An engine running rules written here, recording which actions ran.
struct toy : engine {
    std::string ran;

    bool match(char ch) {
        cursor c = at();
        return c.literal(ch) && (advance(c), true);
    }
    template <class Rule> int parse_more(Rule rule) {
        return yyparsefrom(rule, [this](std::uint8_t id, std::string_view captured) {
            ran += std::to_string(id) + ":" + std::string(captured.substr(0, 2)) + " ";
        });
    }
};

// Statements replay as their value's action with the captured bytes, then
// their own, between actions recorded alone (captures near and far, forward
// and back), also from a log of several MiB, whose pages go back to the system
// while it replays; a failed parse runs nothing; what a parse consumed is
// dropped while the rest stays for the next one. Backtracking is the case files'.
TEST(engine, replays_what_matched_in_order_and_keeps_what_was_not_consumed) {
    toy e;
    const std::string input = "ab" + std::string(20000, 'z') + "!!";
    memory_source source(input);
    e.set_input(source);
    std::string recorded = "3:ab 9: 5: 2:z! 127: 1:bz 4: ";
    EXPECT_EQ(e.parse_more([&] {
        cursor c = e.at();
        c.skip_to('!');
        e.record_statement(c, 3, {0, 2}, 9);
        e.yyDo(5);
        e.record_statement(c, 2, {input.size() - 3, input.size() - 1}, 127);
        e.record_statement(c, 1, {1, 20003}, 4);
        for (std::size_t i = 0; i < 500'000; ++i) {
            e.record_statement(c, 1, {i % 3, i % 3 + 1}, 127);
            e.yyDo(6);
            recorded += "1:" + input.substr(i % 3, 1) + " 127: 6: ";
        }
        return e.match('!');
    }),
              1);
    EXPECT_TRUE(e.ran == recorded) << "replayed " << e.ran.size() << " of " << recorded.size();
    EXPECT_EQ(e.buffered(), "!");
    e.ran.clear();
    EXPECT_EQ(e.parse_more([&e] { return e.yyDo(0), e.match('x'); }), 0);
    EXPECT_EQ(e.ran, "") << "a failed parse runs no action";
    EXPECT_EQ(e.parse_more([&e] { return e.match('!') && e.at().end("end"); }), 1);
    EXPECT_EQ(e.buffered(), "");
}

// Positions and lengths beyond 4 GiB go through the log whole.
TEST(action_log, numbers_beyond_32_bits_round_trip) {
    for (const std::uint64_t v : {std::uint64_t{1} << 32U, std::uint64_t{UINT64_MAX}}) {
        char bytes[log_coding::max_varint_bytes];
        std::size_t n = 0;
        log_coding::put_varint(v, bytes, n);
        const auto* p = reinterpret_cast<const unsigned char*>(bytes);
        EXPECT_EQ(log_coding::get_varint(p), v);
        EXPECT_EQ(log_coding::unzigzag(0, log_coding::zigzag(0, v)), v);
    }
}

// Valid frames, then a byte that can't follow, then that byte without end, as
// from a device that never stops: the parse fails there, having read at most
// one block past it.
TEST(engine, an_input_that_never_ends_fails_where_a_byte_cannot_match) {
    struct endless : input_source {
        std::string start;
        std::size_t given = 0;
        std::size_t read(char* dst, std::size_t max) override {
            for (std::size_t i = 0; i < max; ++i, ++given)
                dst[i] = given < start.size() ? start[given] : 'x';
            return max;
        }
    } in;
    while (in.start.size() < 300'000) in.start += "[frame] [name] a; [sprite] [x] 1; ! !\n";
    conversion run;
    run.track_failures(true);
    EXPECT_FALSE(run.parse(in));
    EXPECT_EQ(run.parser().furthest_failure(), in.start.size());
    EXPECT_LE(in.given, in.start.size() + 64 * 1024);
}

} // namespace
} // namespace morvane
