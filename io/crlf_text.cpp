#include "io/crlf_text.hpp"

#include "writer/output.hpp"

#include <algorithm>
#include <cstring>

namespace morvane {
namespace {

constexpr char eof_mark = '\x1a';
constexpr std::size_t block_size = output_block_size;

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

void crlf_text_sink::write(std::string_view bytes) {
    if (block_ == nullptr) block_ = allocate_large_block(block_size);
    while (!bytes.empty()) {
        const std::size_t line = std::min(bytes.find('\n'), bytes.size());
        put(bytes.substr(0, line));
        if (line == bytes.size()) break;
        put("\r\n");
        bytes.remove_prefix(line + 1);
    }
    spill();
}

void crlf_text_sink::put(std::string_view bytes) {
    while (!bytes.empty()) {
        if (used_ == block_size) spill();
        const std::size_t n = std::min(bytes.size(), block_size - used_);
        std::memcpy(block_.get() + used_, bytes.data(), n);
        used_ += n;
        bytes.remove_prefix(n);
    }
}

void crlf_text_sink::spill() {
    const std::size_t n = used_;
    used_ = 0; // after a failed write, nothing of it is sent again
    if (n != 0) stored_.write(std::string_view(block_.get(), n));
}

} // namespace morvane
