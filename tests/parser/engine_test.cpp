// The engine under small rules written here: backtracking, captures, refill,
// recorded actions and the dropping of consumed input.

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
    EXPECT_EQ(e.yypos, 1U);
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
    EXPECT_EQ(e.yypos, 0U);
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

} // namespace
} // namespace morvane
