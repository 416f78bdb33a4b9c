#include "writer/text_output.hpp"

#include <algorithm>
#include <cstring>

namespace morvane {
namespace {

constexpr std::size_t block_size = std::size_t{1} << 20U;

} // namespace

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
