#pragma once
// Storage for the big buffers of a conversion: the input, the action log and the
// document's arena.
//
// A conversion touches a few times its input's size of fresh memory. Where every
// first touch of a 4 KiB page is costly (on virtual machines it can cost tens of
// microseconds, more than parsing the bytes on it), that alone would dominate a
// large conversion. Blocks of 2 MiB and more are therefore aligned to 2 MiB and,
// where the platform has the call, advised to be backed by huge pages. The advice
// is a hint: where it is missing or refused, the block works the same. Without
// it (bench/ledger.sh; realistic 1 GiB at a load average of 8 to 10 on 2 cores,
// user+system time, median of 3): 20.7 s against 12.7 s with it, at a peak of
// 2,050,200 KiB against 2,053,268; realistic 100 MiB peak 205,356 KiB against
// 211,016 with it; instructions unchanged.

#include <cstddef>
#include <memory>

namespace morvane {

// Releases a block the way it was obtained: by the function given with it,
// which receives the block and the alignment it was allocated with.
class large_block_deleter {
  public:
    using release_function = void (*)(char* block, std::size_t alignment) noexcept;

    large_block_deleter() = default;
    large_block_deleter(release_function release, std::size_t alignment) noexcept
        : release_(release), alignment_(alignment) {}
    void operator()(char* block) const noexcept {
        if (release_ != nullptr) release_(block, alignment_);
    }

  private:
    release_function release_ = nullptr;
    std::size_t alignment_ = 0;
};

using large_block = std::unique_ptr<char[], large_block_deleter>;

// Uninitialised storage of at least `bytes` bytes. Throws std::bad_alloc.
[[nodiscard]] large_block allocate_large_block(std::size_t bytes);

// Gives the whole pages within [from, to) back to the system, keeping the block
// itself: a page given back reads as zeros when next touched, and costs memory
// again only then. Where the platform lacks the call, nothing is given back.
// Returns where the pages given back end (the start of the page that holds
// `to`, or `from` when none lies wholly within), which is where a caller that
// gives back a block front to back continues.
[[nodiscard]] char* discard_pages(char* from, char* to) noexcept;

} // namespace morvane
