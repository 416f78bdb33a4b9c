// The engine under small rules written here: backtracking, refill, recorded
// actions and the dropping of consumed input; and the action log's number
// coding. The grammar itself is checked end to end by the case files and the
// property test.

#include "parser/engine.hpp"
#include "parser/log_codec.hpp"

#include <gtest/gtest.h>

#include <string>

namespace morvane {
namespace {

enum : engine::action_id { record_a, record_b };

// An engine running rules written here, recording which actions ran.
struct toy : engine {
    toy() : engine(char_class{}) {}
    std::string ran;

    template <class Rule> int parse_more(Rule rule) {
        return yyparsefrom(rule, [this](action_id id, std::string_view) { ran += "AB"[id]; });
    }
};

// ( "a" {A} "x" / "a" {B} "y" )* "!": a failed alternative forgets what it
// recorded, a failed parse runs nothing however much was recorded, and what a
// parse consumed is dropped while the rest stays for the next one.
TEST(engine, backtracking_forgets_actions_and_consumed_input_is_dropped) {
    toy e;
    auto rule = [&e] {
        for (;;) {
            const auto m = e.save();
            if (e.match_char('a') && (e.yyDo(record_a), e.match_char('x'))) continue;
            e.restore(m);
            if (e.match_char('a') && (e.yyDo(record_b), e.match_char('y'))) continue;
            e.restore(m);
            return e.match_char('!');
        }
    };
    std::string input = "axay!";
    for (int i = 0; i < 5000; ++i) input += "ax";
    input += "ay!!";
    memory_source source(input);
    e.set_input(source);
    EXPECT_EQ(e.parse_more(rule), 1);
    EXPECT_EQ(e.ran, "AB");
    EXPECT_EQ(e.parse_more(rule), 1);
    EXPECT_EQ(e.ran.size(), 5003U);
    EXPECT_EQ(e.buffered(), "!");
    EXPECT_EQ(e.parse_more([&e] { return e.yyDo(record_a), e.match_char('x'); }), 0);
    EXPECT_EQ(e.ran.size(), 5003U) << "a failed parse runs no action";
    EXPECT_EQ(e.parse_more([&e] { return e.match_any() && e.match_end(); }), 1);
    EXPECT_EQ(e.buffered(), "");
}

// A capture recorded with the action that takes it replays as the two actions,
// in order, with the captured bytes: short and long captures, near and far
// from the one before, between captures recorded the plain way.
TEST(engine, a_recorded_capture_replays_as_its_value_then_the_taking_action) {
    struct capturing : engine {
        capturing() : engine(char_class::of("\x01-\x03")) {}
        std::string ran;
    } e;
    const std::string input = "ab" + std::string(20000, 'x') + "cd!";
    memory_source source(input);
    e.set_input(source);
    const auto rule = [&e, &input] {
        if (!e.yymatchString("ab")) return false;
        e.record_capture(3, 0, 2, 9);
        e.begin_capture();
        while (e.peek() == 'x' && e.match_any()) {
        }
        e.end_capture();
        e.yyDo(1);
        e.record_capture(2, input.size() - 3, input.size() - 1, 127);
        e.record_capture(1, 1, 20002, 4);
        return e.yymatchString("cd!");
    };
    EXPECT_EQ(e.yyparsefrom(rule,
                            [&e](engine::action_id id, std::string_view captured) {
                                e.ran += std::to_string(id) + ":" +
                                         std::to_string(captured.size()) + ":" +
                                         std::string(captured.substr(0, 2)) + " ";
                            }),
              1);
    EXPECT_EQ(e.ran, "3:2:ab 9:0: 1:20000:xx 2:2:cd 127:0: 1:20001:bx 4:0: ");
}

// The log's number coding at the sizes that matter: one-byte values, the 32-bit
// boundaries where int and unsigned positions would break, and the 64-bit ends.
TEST(log_codec, round_trips_every_size_and_signed_distance) {
    const std::uint64_t values[] = {
        0,          1,          127,         128,           16383,          16384,     0x7FFFFFFF,
        0x80000000, 0xFFFFFFFF, 0x100000000, 0x123456789AB, UINT64_MAX - 1, UINT64_MAX};
    for (const std::uint64_t v : values) {
        char bytes[log_codec::max_varint_bytes];
        std::size_t n = 0;
        log_codec::put_varint(v, bytes, n);
        ASSERT_LE(n, log_codec::max_varint_bytes);
        const auto* p = reinterpret_cast<const unsigned char*>(bytes);
        EXPECT_EQ(log_codec::get_varint(p), v);
        EXPECT_EQ(p, reinterpret_cast<const unsigned char*>(bytes) + n);
        for (const std::uint64_t from : {std::uint64_t{0}, std::uint64_t{5}, v / 2, UINT64_MAX})
            EXPECT_EQ(log_codec::unzigzag(from, log_codec::zigzag(from, v)), v);
    }
    EXPECT_EQ(log_codec::zigzag(10, 9), 1U) << "short distances take one byte";
}

} // namespace
} // namespace morvane
