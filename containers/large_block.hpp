#pragma once
// Storage for the big buffers of a conversion: the input, the action log and the
// document's arena.
//
// A conversion touches a few times its input's size of fresh memory. Where every
// first touch of a 4 KiB page is costly (on virtual machines it can cost tens of
// microseconds, more than parsing the bytes on it), that alone would dominate a
// large conversion. Blocks of 2 MiB and more are therefore aligned to 2 MiB and,
// where the platform has the call, advised to be backed by huge pages. The advice
// is a hint: where it is missing or refused, the block works the same.

#include <cstddef>
#include <memory>

namespace morvane {

// Releases a block the way it was obtained: by the function given with it,
// which receives the block and the extent it was created with.
class large_block_deleter {
  public:
    using release_function = void (*)(char* block, std::size_t extent) noexcept;

    large_block_deleter() = default;
    large_block_deleter(release_function release, std::size_t extent) noexcept
        : release_(release), extent_(extent) {}
    void operator()(char* block) const noexcept {
        if (release_ != nullptr) release_(block, extent_);
    }

  private:
    release_function release_ = nullptr;
    std::size_t extent_ = 0;
};

using large_block = std::unique_ptr<char[], large_block_deleter>;

// Uninitialised storage of at least `bytes` bytes. Throws std::bad_alloc.
[[nodiscard]] large_block allocate_large_block(std::size_t bytes);

} // namespace morvane
