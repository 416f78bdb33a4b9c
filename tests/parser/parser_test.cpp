// The engine under small rules written here: refill, recorded actions and the
// dropping of consumed input, and the action log's entries. The grammar itself,
// and reading an endless device, are checked end to end by the case files and
// the property test.

#include "parser/engine.hpp"

#include <gtest/gtest.h>

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
    EXPECT_EQ(1, e.parse_more([&] {
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
    }));
    EXPECT_TRUE(e.ran == recorded) << "replayed " << e.ran.size() << " of " << recorded.size();
    EXPECT_EQ(e.buffered(), "!");
    e.ran.clear();
    EXPECT_EQ(e.parse_more([&e] { return e.yyDo(0), e.match('x'); }), 0);
    EXPECT_EQ(e.ran, "") << "a failed parse runs no action";
    EXPECT_EQ(e.parse_more([&e] { return e.match('!') && e.at().end("end"); }), 1);
    EXPECT_EQ(e.buffered(), "");
}

} // namespace
} // namespace morvane
