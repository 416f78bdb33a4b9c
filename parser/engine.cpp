#include "parser/engine.hpp"

#include <algorithm>
#include <array>
#include <cstring>

namespace morvane {
namespace {

constexpr std::size_t first_buffer = 1024;
constexpr std::size_t first_log = 4096;
constexpr std::size_t min_read = 64 * 1024;

constexpr std::array<char, 256> all_bytes = [] {
    std::array<char, 256> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i);
    return bytes;
}();

} // namespace

void byte_buffer::reserve(std::size_t wanted, std::size_t keep) {
    if (wanted <= capacity_) return;
    const std::size_t grown = std::max({wanted, capacity_ * 2, first_buffer});
    auto fresh = allocate_large_block(grown);
    if (keep != 0) std::memcpy(fresh.get(), data_.get(), keep);
    data_ = std::move(fresh);
    capacity_ = grown;
}

const char& engine::literal_byte(char c) noexcept {
    return all_bytes[static_cast<unsigned char>(c)];
}

void engine::set_up() {
    yybuf_.reserve(first_buffer, 0);
    yythunks_.reserve(first_log, 0);
    yylimit = yypos = 0;
    yybuf_.data()[0] = '\0';
}

bool engine::yyrefill() {
    if (at_end_ || input_ == nullptr) return false;
    // Room for the rest of an input of known size (and one byte more, so that
    // the read that finds its end needs no growth); otherwise for a large read.
    // One byte more is kept for the NUL after the bytes read.
    std::size_t room = min_read;
    if (expected_limit_) room = yylimit < *expected_limit_ ? *expected_limit_ - yylimit + 1 : 1;
    ++room;
    if (yybuf_.capacity() - yylimit < room) yybuf_.reserve(yylimit + room, yylimit);
    const std::size_t n = input_->read(yybuf_.data() + yylimit, yybuf_.capacity() - yylimit - 1);
    if (n == 0) {
        at_end_ = true;
        return false;
    }
    yylimit += n;
    yybuf_.data()[yylimit] = '\0';
    return true;
}

bool engine::match_string_at_end(std::string_view literal) {
    const std::size_t start = yypos;
    std::size_t i = 0;
    for (; i < literal.size(); ++i) {
        if (!available() || yybuf_.data()[yypos] != literal[i]) break;
        ++yypos;
    }
    if (i == literal.size()) return true;
    yypos = start;
    if (tracking_) fail_at(start, {literal, true});
    return false;
}

void engine::grow_log() {
    yythunks_.reserve(yythunkpos + 1 + 2 * log_codec::max_varint_bytes, yythunkpos);
}

void engine::reserve_log() {
    // A log takes a few bytes per statement, a fraction of the input's size;
    // reserving that at once (untouched memory costs nothing) avoids copying a
    // large log each time it would double.
    if (expected_limit_) yythunks_.reserve(std::max(first_log, *expected_limit_ / 4), 0);
}

void engine::release_log() noexcept {
    // A large log is not kept for the next parse: the document it built
    // outlives it, and would otherwise share the memory with it.
    if (yythunks_.capacity() > 16 * first_log) yythunks_ = byte_buffer();
}

void engine::drop_consumed() {
    const std::size_t remaining = yylimit - yypos;
    if (remaining != 0 && yypos != 0) std::memmove(yybuf_.data(), yybuf_.data() + yypos, remaining);
    yylimit = remaining;
    yybuf_.data()[yylimit] = '\0';
    yybegin = yybegin > yypos ? yybegin - yypos : 0;
    yyend = yyend > yypos ? yyend - yypos : 0;
    yypos = 0;
    yythunkpos = 0;
}

large_block engine::take_input() noexcept {
    yylimit = yypos = yybegin = yyend = 0;
    return yybuf_.release();
}

void engine::fail_at(std::size_t pos, expectation what) {
    if (pos > furthest_ || expected_.empty()) {
        furthest_ = pos;
        expected_.clear();
    }
    if (pos == furthest_ && std::find(expected_.begin(), expected_.end(), what) == expected_.end())
        expected_.push_back(what);
}

} // namespace morvane
