#include "io/crlf_text.hpp"

#include "writer/output.hpp"

#include <algorithm>
#include <cstring>
#include <utility>

namespace morvane {
namespace {

constexpr char eof_mark = '\x1a';
constexpr std::size_t block_size = output_block_size;

bool special(char c) noexcept { return c == '\r' || c == eof_mark; }

} // namespace

std::size_t crlf_text_source::read(char* dst, std::size_t max) {
    std::size_t n = 0;
    while (n < max) {
        if (decided_) {
            const auto k = static_cast<std::size_t>(std::min<std::uint64_t>(held_count_, max - n));
            std::memset(dst + n, held_, k);
            n += k;
            held_count_ -= k;
            decided_ = held_count_ != 0;
            continue;
        }
        if (at_ == filled_ && !stored_ended_) {
            if (block_ == nullptr) block_ = allocate_large_block(block_size);
            filled_ = stored_.read(block_.get(), block_size);
            at_ = 0;
            stored_ended_ = filled_ == 0;
        }
        if (at_ == filled_) {
            // The end: a CR there is data; 0x1A bytes there are the marker.
            if (held_count_ == 0 || held_ == eof_mark) break;
            decided_ = true;
            continue;
        }
        const char c = block_[at_];
        // A CR before an LF goes: the LF goes on as an ordinary byte.
        if (held_count_ != 0 && held_ == '\r' && c == '\n') held_count_ = 0;
        // Any other byte after a CR, and any but 0x1A after a run of 0x1A,
        // makes what is held data.
        if (held_count_ != 0 && (held_ == '\r' || c != eof_mark)) {
            decided_ = true;
            continue;
        }
        if (special(c)) {
            held_ = c;
            ++held_count_;
            ++at_;
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
        // Room for a byte more than the pair CR LF, so that each round moves on.
        if (block_size - used_ < 3) spill();
        const std::size_t n = std::min({bytes.find('\n'), bytes.size(), block_size - used_ - 2});
        std::memcpy(block_.get() + used_, bytes.data(), n);
        used_ += n;
        bytes.remove_prefix(n);
        if (bytes.empty() || bytes[0] != '\n') continue;
        block_[used_++] = '\r';
        block_[used_++] = '\n';
        bytes.remove_prefix(1);
    }
    spill();
}

void crlf_text_sink::spill() {
    // Emptied before the write: after a failed write, nothing of it is sent again.
    if (used_ != 0) stored_.write(std::string_view(block_.get(), std::exchange(used_, 0)));
}

} // namespace morvane
