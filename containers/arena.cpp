#include "containers/arena.hpp"

#include <algorithm>

namespace morvane {

void* arena::allocate_in_new_block(std::size_t bytes, std::size_t alignment) {
    // Blocks double, so a document of any size needs only a few dozen of them.
    const std::size_t size = std::max(next_block_, bytes + alignment);
    blocks_.reserve(blocks_.size() + 1);
    blocks_.push_back(allocate_large_block(size));
    next_block_ = std::max(size * 2, min_later_block_);
    next_ = blocks_.back().get();
    end_ = next_ + size;
    return allocate(bytes, alignment);
}

} // namespace morvane
