// Text stored with CR LF line ends, read and written through the decorators
// that Windows builds put over files opened in text mode: every split of the
// stored bytes across reads and writes gives the same text.

#include "parser/text_input.hpp"
#include "support/sources.hpp"
#include "writer/text_output.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace morvane {
namespace {

using namespace std::string_literals;

std::string read_text(std::string_view stored, std::size_t step, std::size_t max) {
    testing::trickle_source source(stored, step);
    crlf_text_source text(source);
    std::string out;
    std::vector<char> block(max);
    while (const std::size_t n = text.read(block.data(), max)) out.append(block.data(), n);
    return out;
}

struct pair {
    std::string stored; // as the file holds it
    std::string text;   // as the parser sees it
};

const std::vector<pair> line_ends_and_marks = {
    {"", ""},
    {"a\r\nb", "a\nb"},
    {"a\rb\nc", "a\rb\nc"},
    {"\r\r\n\n\r", "\r\n\n\r"},
    {"\r\n\r\n", "\n\n"},
    {"a\r", "a\r"},
    {"a\x1a", "a"},
    {"a\x1a\x1a\x1a", "a"},
    {"\x1a", ""},
    {"\r\n\x1a\x1a", "\n"},
    {"a\r\x1a", "a\r"},
    {"a\x1a"
     "b\x1a",
     "a\x1a"
     "b"},
    {"\x1a\x1a\r\n", "\x1a\x1a\n"},
    {"\x1a\r", "\x1a\r"},
    {"\0\r\n\0"s, "\0\n\0"s},
};

TEST(crlf_text_source, pairs_become_line_feeds_and_end_marks_go_at_any_split) {
    for (const auto& [stored, text] : line_ends_and_marks)
        for (const std::size_t step : {1U, 2U, 3U, 64U})
            for (const std::size_t max : {1U, 2U, 5U, 4096U})
                EXPECT_EQ(read_text(stored, step, max), text)
                    << ::testing::PrintToString(stored) << " step " << step << " max " << max;
}

TEST(crlf_text_source, long_runs_cross_its_own_blocks) {
    const std::string marks(3U << 20U, '\x1a');
    EXPECT_EQ(read_text(marks + "x", 1U << 20U, 1000), marks + "x");
    EXPECT_EQ(read_text("x" + marks, 4096, 1U << 22U), "x");
    std::string pairs;
    for (int i = 0; i < 1 << 20; ++i) pairs += "\r\n";
    EXPECT_EQ(read_text(pairs + "\r", 4095, 1U << 22U), std::string(1U << 20U, '\n') + "\r");
}

TEST(crlf_text_source, the_stored_size_bounds_the_text) {
    memory_source stored("a\r\n");
    EXPECT_EQ(crlf_text_source(stored).size_hint(), 3U);
}

TEST(crlf_text_sink, every_line_feed_is_stored_as_a_pair_and_nothing_else_changes) {
    const std::vector<pair> written = {
        {"a\r\nb\r\n", "a\nb\n"},     {"\r\n\r\n", "\n\n"},
        {"a\r\r\nb", "a\r\nb"},       {"\r", "\r"},
        {"\x1a\r\n\0"s, "\x1a\n\0"s}, {"", ""},
    };
    for (const auto& [stored, text] : written)
        for (const std::size_t piece : {1U, 2U, 7U}) {
            std::string out;
            string_sink file(out);
            crlf_text_sink sink(file);
            for (std::size_t at = 0; at < text.size(); at += piece) {
                sink.write(std::string_view(text).substr(at, piece));
                const auto done = static_cast<std::ptrdiff_t>(std::min(at + piece, text.size()));
                const auto pairs = std::count(text.begin(), text.begin() + done, '\n');
                EXPECT_EQ(static_cast<std::ptrdiff_t>(out.size()), done + pairs) << "held back";
            }
            EXPECT_EQ(out, stored) << ::testing::PrintToString(text) << " piece " << piece;
        }
}

TEST(crlf_text_sink, one_write_larger_than_its_block) {
    std::string text;
    for (int i = 0; i < 300000; ++i) text += "line\n";
    std::string out;
    string_sink file(out);
    crlf_text_sink(file).write(text);
    std::string stored;
    for (int i = 0; i < 300000; ++i) stored += "line\r\n";
    EXPECT_EQ(out, stored);
}

} // namespace
} // namespace morvane
