#pragma once
// A growable block of bytes whose contents are never zero-filled: the parser's
// input and its action log, which fill what they use themselves.

#include "containers/large_block.hpp"

#include <cstddef>
#include <utility>

namespace morvane {

class byte_buffer {
  public:
    [[nodiscard]] char* data() noexcept { return data_.get(); }
    [[nodiscard]] const char* data() const noexcept { return data_.get(); }
    [[nodiscard]] std::size_t capacity() const noexcept { return capacity_; }
    // Grows to at least `wanted` bytes, doubling, keeping the first `keep` bytes.
    // Throws std::bad_alloc.
    void reserve(std::size_t wanted, std::size_t keep);
    [[nodiscard]] large_block release() noexcept {
        capacity_ = 0;
        return std::move(data_);
    }

  private:
    large_block data_;
    std::size_t capacity_ = 0;
};

} // namespace morvane
