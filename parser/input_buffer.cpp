#include "parser/input_buffer.hpp"

#include <algorithm>
#include <cstring>

namespace morvane {
namespace {

constexpr std::size_t first_buffer = 1024;
// When the size of the input is unknown (a pipe, a terminal), bytes are read
// in blocks of this size.
constexpr std::size_t unknown_size_block = 64 * 1024;

} // namespace

void input_buffer::set_input(input_source& in) {
    input_ = &in;
    at_end_ = false;
    // When the size is known, the buffer is sized once for all of it.
    expected_limit_.reset();
    if (const auto left = in.size_hint())
        expected_limit_ = yylimit_ + static_cast<std::size_t>(*left);
}

void input_buffer::set_up() {
    if (bytes_.capacity() == 0) {
        bytes_.reserve(first_buffer, 0);
        yylimit_ = 0;
    }
    end_with_slack();
}

void input_buffer::end_with_slack() noexcept { std::memset(bytes_.data() + yylimit_, 0, slack); }

bool input_buffer::yyrefill() {
    if (at_end_ || input_ == nullptr) return false;
    // Reads the rest of an input of known size, and one byte more, so that the
    // read that finds its end needs no growth: past that size, the room left
    // is read first. Otherwise (when the file grew meanwhile, or its size is
    // unknown) one block. Never more: an input that never ends is read at
    // most one block past where it fails.
    const std::size_t spare = bytes_.capacity() - yylimit_ - slack;
    std::size_t room = spare != 0 ? std::min(spare, unknown_size_block) : unknown_size_block;
    if (expected_limit_ && yylimit_ < *expected_limit_) room = *expected_limit_ - yylimit_ + 1;
    // The slack moves with the bytes: a read that finds the end leaves it as it is.
    if (spare < room) bytes_.reserve(yylimit_ + room + slack, yylimit_ + slack);
    const std::size_t n = input_->read(bytes_.data() + yylimit_, room);
    if (n == 0) {
        at_end_ = true;
        return false;
    }
    yylimit_ += n;
    end_with_slack();
    return true;
}

void input_buffer::read_rest(std::size_t pieces) {
    if (at_end_ || input_ == nullptr || !expected_limit_ || yylimit_ >= *expected_limit_) return;
    // Room for one byte more, as yyrefill leaves, for the read that finds the end.
    const std::size_t n = *expected_limit_ - yylimit_;
    if (bytes_.capacity() - yylimit_ - slack <= n)
        bytes_.reserve(yylimit_ + n + 1 + slack, yylimit_ + slack);
    yylimit_ += input_->read_in_pieces(bytes_.data() + yylimit_, n, pieces);
    end_with_slack();
}

void input_buffer::drop(std::size_t consumed) noexcept {
    const std::size_t remaining = yylimit_ - consumed;
    if (remaining != 0 && consumed != 0)
        std::memmove(bytes_.data(), bytes_.data() + consumed, remaining);
    // The slack is written by the next set_up: written here, it would overwrite
    // the first bytes of an input that was consumed whole, which take() hands over.
    yylimit_ = remaining;
}

large_block input_buffer::take() noexcept {
    yylimit_ = 0;
    return bytes_.release();
}

} // namespace morvane
