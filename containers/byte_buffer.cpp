#include "containers/byte_buffer.hpp"

#include <algorithm>
#include <cstring>

namespace morvane {

void byte_buffer::reserve(std::size_t wanted, std::size_t keep) {
    constexpr std::size_t smallest = 1024;
    if (wanted <= capacity_) return;
    const std::size_t grown = std::max({wanted, capacity_ * 2, smallest});
    auto fresh = allocate_large_block(grown);
    if (keep != 0) std::memcpy(fresh.get(), data_.get(), keep);
    data_ = std::move(fresh);
    capacity_ = grown;
}

} // namespace morvane
