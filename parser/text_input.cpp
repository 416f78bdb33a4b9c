#include "parser/text_input.hpp"

#include <algorithm>
#include <cstring>

namespace morvane {
namespace {

constexpr char eof_mark = '\x1a';
constexpr std::size_t block_size = std::size_t{1} << 20U;

bool special(char c) noexcept { return c == '\r' || c == eof_mark; }

} // namespace

bool crlf_text_source::refill() {
    if (stored_ended_) return false;
    if (block_ == nullptr) block_ = allocate_large_block(block_size);
    filled_ = stored_.read(block_.get(), block_size);
    at_ = 0;
    stored_ended_ = filled_ == 0;
    return !stored_ended_;
}

std::size_t crlf_text_source::read(char* dst, std::size_t max) {
    std::size_t n = 0;
    while (n < max) {
        // Bytes already known to be data go out first, in the order they came.
        if (cr_kept_) {
            dst[n++] = '\r';
            cr_kept_ = false;
            continue;
        }
        if (marks_kept_ != 0) {
            const auto k = static_cast<std::size_t>(std::min<std::uint64_t>(marks_kept_, max - n));
            std::memset(dst + n, eof_mark, k);
            n += k;
            marks_kept_ -= k;
            continue;
        }
        if (at_ == filled_ && !refill()) {
            // The end: a CR there is data; 0x1A bytes there are the marker.
            marks_held_ = 0;
            if (!cr_held_) break;
            cr_held_ = false;
            cr_kept_ = true;
            continue;
        }
        const char c = block_[at_];
        if (cr_held_) {
            cr_held_ = false;
            if (c == '\n') {
                dst[n++] = '\n';
                ++at_;
            } else {
                cr_kept_ = true;
            }
            continue;
        }
        if (marks_held_ != 0 && c != eof_mark) {
            marks_kept_ = marks_held_;
            marks_held_ = 0;
            continue;
        }
        if (special(c)) {
            ++at_;
            if (c == '\r')
                cr_held_ = true;
            else
                ++marks_held_;
            continue;
        }
        // The common case: a run of ordinary bytes.
        const std::size_t room = std::min(max - n, filled_ - at_);
        std::size_t run = 1;
        while (run < room && !special(block_[at_ + run])) ++run;
        std::memcpy(dst + n, block_.get() + at_, run);
        n += run;
        at_ += run;
    }
    return n;
}

} // namespace morvane
