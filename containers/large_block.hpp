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

// The size from which a block is aligned and advised as above.
inline constexpr std::size_t huge_page_bytes = std::size_t{2} << 20U;

// Releases a block of allocate_large_block, which needs its size.
class large_block_deleter {
  public:
    large_block_deleter() = default;
    explicit large_block_deleter(std::size_t bytes) noexcept : bytes_(bytes) {}
    void operator()(char* block) const noexcept;

  private:
    std::size_t bytes_ = 0;
};

using large_block = std::unique_ptr<char[], large_block_deleter>;

// Uninitialised storage of at least `bytes` bytes. Throws std::bad_alloc.
[[nodiscard]] large_block allocate_large_block(std::size_t bytes);
// Releases a block that allocate_large_block(bytes) gave and that was then
// released from its large_block.
void release_large_block(char* block, std::size_t bytes) noexcept;

inline void large_block_deleter::operator()(char* block) const noexcept {
    release_large_block(block, bytes_);
}

// A std::allocator for big scratch arrays: those of 2 MiB and more are large
// blocks, backed by huge pages where the platform allows. For the sort's
// position tree, realistic 100 MiB: 3,904 page faults in all against 4,928
// with std::allocator, and the tree built in 1 to 8 ms against 12 to 13. For
// the sort's other arrays as well: 2,630 page faults against 3,489, 0.232 s
// against 0.252 (medians of 21 interleaved runs), peak 215,532 KiB against
// 214,836.
// (Blocks mapped on their own and unmapped when released lowered that peak by
// 1.4 MB, but cost 13% more CPU on sounds-in-one-anim-frame 1M, where the free
// store hands freed blocks out again: 0.286 s against 0.253, 15 runs.)
template <class T> struct large_allocator {
    using value_type = T;
    large_allocator() noexcept = default;
    template <class U> explicit large_allocator(const large_allocator<U>& /*other*/) noexcept {}
    [[nodiscard]] T* allocate(std::size_t n) {
        return reinterpret_cast<T*>(allocate_large_block(n * sizeof(T)).release());
    }
    void deallocate(T* p, std::size_t n) noexcept {
        release_large_block(reinterpret_cast<char*>(p), n * sizeof(T));
    }
    bool operator==(const large_allocator& /*other*/) const noexcept { return true; }
};

// Gives the whole pages within [from, to) back to the system, keeping the block
// itself: a page given back reads as zeros when next touched, and costs memory
// again only then. Where the platform lacks the call, nothing is given back.
// Returns where the pages given back end (the start of the page that holds
// `to`, or `from` when none lies wholly within), which is where a caller that
// gives back a block front to back continues.
[[nodiscard]] char* discard_pages(char* from, char* to) noexcept;

} // namespace morvane
