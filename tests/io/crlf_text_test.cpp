// Text stored with CR LF line ends, read and written through the decorators
// that Windows builds put over files opened in text mode: every split of the
// stored bytes across reads and writes gives the same text.

#include "io/crlf_text.hpp"
#include "support/sources.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace morvane {
namespace {

using namespace std::string_literals;

std::string read_text(std::string_view stored, std::size_t step, std::size_t max) {
    testing::scripted_source source(stored, {step, {}});
    crlf_text_source text(source);
    std::string out;
    std::vector<char> block(max);
    while (const std::size_t n = text.read(block.data(), max)) out.append(block.data(), n);
    return out;
}

// Pairs: the bytes as the file holds them, then the text the parser sees.
// clang-format off
const std::vector<std::string> line_ends_and_marks = {
    "", "", "a\r\nb", "a\nb", "a\rb\nc", "a\rb\nc",
    "\r\r\n\n\r", "\r\n\n\r", "\r\n\r\n", "\n\n", "a\r", "a\r",
    "a\x1a", "a", "a\x1a\x1a\x1a", "a", "\x1a", "",
    "\r\n\x1a\x1a", "\n", "a\r\x1a", "a\r", "a\032b\032", "a\032b",
    "\x1a\x1a\r\n", "\x1a\x1a\n", "\x1a\r", "\x1a\r", "\0\r\n\0"s, "\0\n\0"s,
};
// clang-format on

TEST(crlf_text_source, pairs_become_line_feeds_and_end_marks_go_at_any_split) {
    for (std::size_t i = 0; i < line_ends_and_marks.size(); i += 2)
        for (const std::size_t step : {1U, 2U, 3U, 64U})
            for (const std::size_t max : {1U, 2U, 5U, 4096U})
                EXPECT_EQ(read_text(line_ends_and_marks[i], step, max), line_ends_and_marks[i + 1])
                    << ::testing::PrintToString(line_ends_and_marks[i]) << " step " << step
                    << " max " << max;
    memory_source stored("a\r\n");
    EXPECT_EQ(crlf_text_source(stored).size_hint(), 3U) << "the stored size bounds the text";
}

// Also one write larger than the sink's own block.
TEST(crlf_text_sink, every_line_feed_is_stored_as_a_pair_and_nothing_else_changes) {
    // Pairs: the bytes as the file holds them, then the text written.
    std::vector<std::string> written = {
        "a\r\nb\r\n", "a\nb\n",      "\r\n\r\n",  "\n\n", "a\r\r\nb", "a\r\nb", "\r",
        "\r",         "\x1a\r\n\0"s, "\x1a\n\0"s, "",     "",         "",       ""};
    for (int i = 0; i < 300000; ++i) {
        written[written.size() - 2] += "line\r\n";
        written.back() += "line\n";
    }
    for (std::size_t i = 0; i < written.size(); i += 2) {
        const std::string &stored = written[i], &text = written[i + 1];
        for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, text.size()}) {
            std::string out;
            string_sink file(out);
            crlf_text_sink sink(file);
            for (std::size_t at = 0; at < text.size(); at += piece)
                sink.write(std::string_view(text).substr(at, piece));
            EXPECT_TRUE(out == stored) << stored.size() << " bytes, piece " << piece;
        }
    }
}

} // namespace
} // namespace morvane
