#include "parser/engine.hpp"

#include <algorithm>
#include <array>
#include <cstring>

namespace morvane {
namespace {

constexpr std::size_t first_buffer = 1024;
constexpr std::size_t first_log = 4096;
constexpr std::size_t min_read = 64 * 1024;
constexpr std::size_t max_varint = 10;

constexpr std::array<char, 256> all_bytes = [] {
    std::array<char, 256> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i);
    return bytes;
}();

} // namespace

void byte_buffer::reserve(std::size_t wanted, std::size_t keep) {
    if (wanted <= capacity_) return;
    const std::size_t grown = std::max({wanted, capacity_ * 2, first_buffer});
    auto fresh = std::make_unique_for_overwrite<char[]>(grown);
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
}

bool engine::yyrefill() {
    if (at_end_ || input_ == nullptr) return false;
    // Size the buffer for the whole input at once when its size is known, and
    // otherwise leave room for a large read.
    std::size_t wanted = yylimit + min_read;
    if (const auto hint = input_->size_hint(); hint && yylimit == 0)
        wanted = std::max<std::size_t>(wanted, static_cast<std::size_t>(*hint) + 1);
    if (yybuf_.capacity() < wanted) yybuf_.reserve(wanted, yylimit);
    const std::size_t n = input_->read(yybuf_.data() + yylimit, yybuf_.capacity() - yylimit);
    if (n == 0) {
        at_end_ = true;
        return false;
    }
    yylimit += n;
    return true;
}

bool engine::yymatchString(std::string_view literal) {
    const std::size_t start = yypos;
    if (yylimit - yypos >= literal.size()) {
        if (literal.empty() ||
            std::memcmp(yybuf_.data() + yypos, literal.data(), literal.size()) == 0) {
            yypos += literal.size();
            return true;
        }
    } else {
        std::size_t i = 0;
        for (; i < literal.size(); ++i) {
            if (!available() || yybuf_.data()[yypos] != literal[i]) break;
            ++yypos;
        }
        if (i == literal.size()) return true;
        yypos = start;
    }
    if (tracking_) fail_at(start, {literal, true});
    return false;
}

void engine::log_varint(std::uint64_t v, char* at, std::size_t& n) noexcept {
    while (v >= 0x80U) {
        at[n++] = static_cast<char>(v | 0x80U);
        v >>= 7U;
    }
    at[n++] = static_cast<char>(v);
}

void engine::yyDo(action_id action) {
    if (yythunks_.capacity() - yythunkpos < 1 + 2 * max_varint)
        yythunks_.reserve(yythunkpos + 1 + 2 * max_varint, yythunkpos);
    char* log = yythunks_.data();
    log[yythunkpos++] = static_cast<char>(action);
    if (text_actions_.contains(action)) {
        log_varint(yybegin, log, yythunkpos);
        log_varint(yyend > yybegin ? yyend - yybegin : 0, log, yythunkpos);
    }
}

void engine::drop_consumed() noexcept {
    const std::size_t remaining = yylimit - yypos;
    if (remaining != 0) std::memmove(yybuf_.data(), yybuf_.data() + yypos, remaining);
    yylimit = remaining;
    yybegin = yybegin > yypos ? yybegin - yypos : 0;
    yyend = yyend > yypos ? yyend - yypos : 0;
    yypos = 0;
    yythunkpos = 0;
}

std::unique_ptr<char[]> engine::take_input() noexcept {
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
