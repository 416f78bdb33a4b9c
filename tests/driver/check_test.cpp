// Where the checker says a file breaks: line and byte column of the furthest
// position the grammar reached, and what it would have accepted there.

#include <morvane/morvane.hpp>

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

using morvane::outcome;

struct located {
    std::uint64_t line;
    std::uint64_t column;
    std::string message;
    bool operator==(const located&) const = default;
};

std::ostream& operator<<(std::ostream& os, const located& l) {
    return os << l.line << ":" << l.column << ": " << l.message;
}

located where(std::string_view input) {
    const auto r = morvane::check(input);
    if (r.status != outcome::parse_failure || !r.error) return {0, 0, "no syntax error"};
    return {r.error->line, r.error->column, r.error->message()};
}

const std::string frame_keywords = R"(expected "colrect", "name", "point" or "sprite")";

TEST(check, well_formed_files_have_no_error) {
    for (std::string_view ok :
         {"", " \n", "[frame]!", "[frame] [name] idle; [sprite] [x] 1; ! !"}) {
        const auto r = morvane::check(ok);
        EXPECT_EQ(r.status, outcome::success) << ok;
        EXPECT_FALSE(r.error.has_value()) << ok;
    }
}

TEST(check, every_kind_of_line_end_counts_one_line) {
    for (std::string eol : {"\n", "\r\n", "\r"}) {
        const std::string input =
            "[frame]" + eol + "  [name] idle;" + eol + "  [sprit] !" + eol + "!";
        EXPECT_EQ(where(input), (located{3, 4, frame_keywords})) << testing::PrintToString(eol);
    }
    // "\r\n", "\n", "\r" and "\r\n" again: four line ends, then "[" and the keyword.
    EXPECT_EQ(where("[frame]!\r\n\n\r\r\n[fram]!"),
              (located{5, 2, R"(expected "char", "charmap" or "frame")"}));
}

TEST(check, a_position_on_a_line_end_is_the_column_of_its_first_byte) {
    // Blanks before ";" belong to a folder, so a line end there ends the statement.
    for (std::string eol : {"\n", "\r\n", "\r"}) {
        const std::string input = "[charmap] [map] [folder] body" + eol + "; ! !";
        EXPECT_EQ(where(input), (located{1, 30, R"(expected ";")"})) << testing::PrintToString(eol);
    }
}

TEST(check, the_end_of_input_is_just_past_the_last_byte) {
    EXPECT_EQ(where("[frame] [name] idle;"), (located{1, 21, R"(expected "!" or "[")"}));
    EXPECT_EQ(where("["), (located{1, 2, R"(expected "char", "charmap" or "frame")"}));
    for (std::string eol : {"\n", "\r\n", "\r"})
        EXPECT_EQ(where("[frame]" + eol), (located{2, 1, R"(expected "!" or "[")"}))
            << testing::PrintToString(eol);
    EXPECT_EQ(where("[frame]! x"), (located{1, 10, R"(expected "[" or end of input)"}));
    EXPECT_EQ(where("[frame] [sprite] [image] a.png"), (located{1, 31, R"(expected ";")"}));
}

TEST(check, a_value_that_breaks_off_is_reported_where_it_stops) {
    EXPECT_EQ(where("[frame] [sprite] [x] 12.5; ! !"),
              (located{1, 24, R"(expected ";" or a digit)"}));
    EXPECT_EQ(where("[frame] [sprite] [x] -y; ! !"),
              (located{1, 23, R"(expected ";" or a digit)"}));
    EXPECT_EQ(where("[frame] [sprite] [x] high; ! !"),
              (located{1, 22, R"(expected ";" or a number)"}));
    EXPECT_EQ(where("[frame] [name] idle-walk; !"), (located{1, 20, R"(expected ";")"}));
    EXPECT_EQ(where("[frame] [name] 1dle; !"), (located{1, 16, "expected a name"}));
    EXPECT_EQ(where("[frame] [name ] idle; !"), (located{1, 14, R"(expected "]")"}));
}

TEST(check, errors_deep_in_nested_blocks_are_found_there) {
    EXPECT_EQ(where("[char] [anim] [frame] [sound] [volum] 3; ! ! ! !"),
              (located{1, 32, R"(expected "name" or "volume")"}));
    // A sound without its "!": its statements end at "[duration]".
    EXPECT_EQ(where("[char]\n [anim]\n  [frame]\n   [sound]\n    [name] s;\n   [duration] 5;\n"
                    "  !\n !\n!\n"),
              (located{6, 5, R"(expected "name" or "volume")"}));
    EXPECT_EQ(where("[frame] [sprit] ! !"), (located{1, 10, frame_keywords}));
}

TEST(check, columns_count_bytes) {
    // "é" takes two bytes, so the "z" after it is one column further right.
    EXPECT_EQ(where("[frame] [sprite] [image] \xc3\xa9.png; [z] 1; ! !"),
              (located{1, 35,
                       R"(expected "angle", "color", "height", "image", "ink", "opacity", )"
                       R"("width", "x", "x flip", "y" or "y flip")"}));
    EXPECT_EQ(where("\t[frme]!"), (located{1, 3, R"(expected "char", "charmap" or "frame")"}));
}

TEST(check, streams_give_the_same_answer_as_bytes) {
    std::istringstream in("[frame]\n[name] 1;");
    const auto r = morvane::check(in);
    ASSERT_EQ(r.status, outcome::parse_failure);
    ASSERT_TRUE(r.error.has_value());
    EXPECT_EQ(r.error->line, 2U);
    EXPECT_EQ(r.error->column, 8U);
    EXPECT_EQ(r.error->offset, 15U);
    EXPECT_EQ(r.error->expected, (std::vector<std::string>{"a name"}));
}

} // namespace
