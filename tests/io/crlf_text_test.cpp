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

// Pairs: the bytes as the file holds them, then the text the parser sees.
// Writing the text of the first ones stores their bytes again.
// clang-format off
const std::vector<std::string> both_ways = {
    "", "", "a\r\nb\r\n", "a\nb\n", "\r\n\r\n", "\n\n", "a\r\r\nb", "a\r\nb", "a\r", "a\r",
    "\x1a\x1a\r\n", "\x1a\x1a\n", "\x1a\r", "\x1a\r", "\x1a\r\n\0"s, "\x1a\n\0"s};
const std::vector<std::string> read_only = {
    "a\rb\nc", "a\rb\nc", "\r\r\n\n\r", "\r\n\n\r", "a\x1a", "a", "a\x1a\x1a\x1a", "a", "\x1a", "",
    "\r\n\x1a\x1a", "\n", "a\r\x1a", "a\r", "a\032b\032", "a\032b"};
// clang-format on

// Read at every split, and written in pieces of every size (also one larger
// than the sink's own block).
TEST(crlf_text, line_feeds_and_end_marks_at_any_split_of_reads_and_writes) {
    for (const auto* pairs : {&both_ways, &read_only})
        for (std::size_t i = 0; i < pairs->size(); i += 2)
            for (const std::size_t step : {1U, 2U, 3U, 64U})
                for (const std::size_t max : {1U, 2U, 5U, 4096U}) {
                    testing::scripted_source stored((*pairs)[i], {step, {}});
                    crlf_text_source source(stored);
                    std::string text, block(max, '\0');
                    while (const std::size_t n = source.read(block.data(), max))
                        text.append(block.data(), n);
                    EXPECT_EQ(text, (*pairs)[i + 1]) << ::testing::PrintToString((*pairs)[i])
                                                     << " step " << step << " max " << max;
                }
    memory_source three("a\r\n");
    EXPECT_EQ(crlf_text_source(three).size_hint(), 3U) << "the stored size bounds the text";
    std::vector<std::string> pairs = both_ways;
    pairs.insert(pairs.end(), {"", ""});
    for (int i = 0; i < 300000; ++i) pairs.end()[-2] += "line\r\n", pairs.back() += "line\n";
    for (std::size_t i = 0; i < pairs.size(); i += 2) {
        const std::string &stored = pairs[i], &text = pairs[i + 1];
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
