#pragma once
// Turns the engine's furthest failure into what a person editing the file needs:
// the line and column of the position, and the tokens that would fit there.

#include "parser/expectations.hpp"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

struct text_position {
    std::uint64_t line = 1;
    std::uint64_t column = 1;
    // The line's bytes, without the line end: [line_begin, line_end).
    std::uint64_t line_begin = 0;
    std::uint64_t line_end = 0;
    bool operator==(const text_position&) const = default;
};

// Lines and byte columns of offsets in text, asked for in increasing order and
// counted in one pass. "\n", "\r\n" and "\r" each end a line; an offset
// between the "\r" and "\n" of a pair counts as the start of the next line.
class line_counter {
  public:
    explicit line_counter(std::string_view text) noexcept : text_(text) {}
    // The 1-based line, column and line bytes of offset, which is not below
    // the last one asked.
    [[nodiscard]] text_position at(std::size_t offset) noexcept;

  private:
    std::string_view text_;
    std::size_t next_ = 0; // the first byte not yet counted
    bool after_cr_ = false;
    bool line_end_found_ = false;
    text_position at_;
};

// The 1-based line and byte column of offset in text.
[[nodiscard]] text_position position_of(std::string_view text, std::size_t offset);

// The expectations as a person reads them: literals quoted and sorted by their
// bytes, then the kinds of token, sorted, without repeats.
[[nodiscard]] std::vector<std::string> describe_expected(std::span<const expectation> expected);

// "expected A", "expected A or B", "expected A, B or C".
[[nodiscard]] std::string expected_message(std::span<const std::string> described);

} // namespace morvane
