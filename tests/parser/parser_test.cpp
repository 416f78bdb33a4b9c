// The engine under small rules written here: backtracking, captures, refill,
// recorded actions and the dropping of consumed input; the grammar's character
// classes and the action log's number coding. The grammar itself is checked end
// to end by the case files and the property test.

#include "parser/engine.hpp"
#include "parser/grammar.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace morvane {
namespace {

enum : engine::action_id { record_a, record_b, capture };

struct toy : engine {
    toy()
        : engine([] {
              char_class c;
              c.add(capture);
              return c;
          }()) {}

    std::vector<std::string> ran;

    template <class Rule> int parse(std::string_view input, Rule rule) {
        memory_source source(input);
        set_input(source);
        return parse_more(rule);
    }
    template <class Rule> int parse_more(Rule rule) {
        return yyparsefrom(rule, [this](action_id id, std::string_view t) {
            if (id == record_a) {
                ran.emplace_back("A");
            } else if (id == record_b) {
                ran.emplace_back("B");
            } else {
                std::string captured(1, '<');
                captured.append(t);
                captured.push_back('>');
                ran.push_back(std::move(captured));
            }
        });
    }
};

TEST(engine, failed_alternatives_leave_no_actions) {
    toy e;
    // ( "a" {A} "x" / "a" {B} "y" ) !.
    auto rule = [&e] {
        const auto m = e.save();
        if (e.match_char('a')) {
            e.yyDo(record_a);
            if (e.match_char('x')) return e.match_end();
        }
        e.restore(m);
        if (e.match_char('a')) {
            e.yyDo(record_b);
            if (e.match_char('y')) return e.match_end();
        }
        e.restore(m);
        return false;
    };
    EXPECT_EQ(e.parse("ay", rule), 1);
    EXPECT_EQ(e.ran, std::vector<std::string>{"B"});
}

TEST(engine, a_failed_start_rule_runs_nothing_however_much_was_recorded) {
    toy e;
    // ( "a" {A} )* "!"
    auto rule = [&e] {
        while (e.match_char('a')) e.yyDo(record_a);
        return e.match_char('!');
    };
    EXPECT_EQ(e.parse(std::string(5000, 'a'), rule), 0);
    EXPECT_TRUE(e.ran.empty());
    EXPECT_EQ(e.parse(std::string(5000, 'a') + "!", rule), 1);
    EXPECT_EQ(e.ran.size(), 5000U);
}

TEST(engine, long_empty_and_high_byte_captures_arrive_whole) {
    toy e;
    // < [a-z\x80-\xff]* > {capture} !.
    auto rule = [&e] {
        e.begin_capture();
        while (e.available() && e.peek() != '!') e.match_any();
        e.end_capture();
        e.yyDo(capture);
        return e.match_char('!') && e.match_end();
    };
    const std::string big(300000, 'q');
    EXPECT_EQ(e.parse(big + "!", rule), 1);
    ASSERT_EQ(e.ran.size(), 1U);
    EXPECT_EQ(e.ran[0], "<" + big + ">");
    e.ran.clear();
    EXPECT_EQ(e.parse("!", rule), 1);
    EXPECT_EQ(e.ran, std::vector<std::string>{"<>"});
    e.ran.clear();
    const std::string odd("\0\x80\xff", 3);
    EXPECT_EQ(e.parse(odd + "!", rule), 1);
    EXPECT_EQ(e.ran, std::vector<std::string>{"<" + odd + ">"});
}

TEST(engine, a_literal_running_into_the_end_fails_where_it_began) {
    toy e;
    memory_source source("xab");
    e.set_input(source);
    ASSERT_TRUE(e.match_char('x'));
    EXPECT_FALSE(e.yymatchString("abc"));
    EXPECT_TRUE(e.yymatchString(""));
    EXPECT_TRUE(e.yymatchString("ab"));
    EXPECT_TRUE(e.match_end());
}

TEST(engine, consumed_input_is_dropped_and_the_rest_kept_for_the_next_parse) {
    toy e;
    memory_source source("abcd");
    e.set_input(source);
    auto two = [&e] { return e.match_any() && e.match_any(); };
    EXPECT_EQ(e.parse_more(two), 1);
    EXPECT_EQ(e.buffered(), "cd");
    EXPECT_EQ(e.parse_more(two), 1);
    EXPECT_EQ(e.parse_more(two), 0);
}

TEST(engine, classes_hold_exactly_their_members) {
    using namespace old_format_classes;
    EXPECT_EQ(space_bytes.count(), 4);
    EXPECT_EQ(text_first.count(), 54);
    EXPECT_EQ(text_rest.count(), 66) << "65 name bytes and the blank";
    EXPECT_EQ(digits.count(), 10);
    EXPECT_TRUE(text_rest.contains('\\'));
    EXPECT_FALSE(text_first.contains('0'));
    for (unsigned v = 128; v < 256; ++v) {
        const auto b = static_cast<unsigned char>(v);
        EXPECT_FALSE(space_bytes.contains(b) || text_first.contains(b) || text_rest.contains(b) ||
                     digits.contains(b));
    }
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
    EXPECT_EQ(log_codec::zigzag(10, 10), 0U);
    EXPECT_EQ(log_codec::zigzag(10, 9), 1U);
    EXPECT_EQ(log_codec::zigzag(10, 11), 2U);
    std::size_t n = 0;
    char one[1];
    log_codec::put_varint(100, one, n);
    EXPECT_EQ(n, 1U) << "short distances take one byte";
}

} // namespace
} // namespace morvane
