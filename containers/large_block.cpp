#include "large_block.hpp"

#include <algorithm>
#include <new>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

namespace morvane {
namespace {

constexpr std::size_t huge_page = std::size_t{2} << 20U;

void advise_huge_pages([[maybe_unused]] void* block, [[maybe_unused]] std::size_t bytes) noexcept {
#if defined(MADV_HUGEPAGE)
    // Only a hint; a refusal changes nothing but speed.
    (void)::madvise(block, bytes, MADV_HUGEPAGE);
#endif
}

bool is_large(std::size_t bytes) noexcept { return bytes >= huge_page; }
std::size_t rounded(std::size_t bytes) noexcept {
    return (bytes + huge_page - 1) & ~(huge_page - 1);
}

// The alignment a block of this size and requested alignment is allocated with.
std::size_t block_alignment(std::size_t bytes, std::size_t alignment) noexcept {
    return is_large(bytes) ? std::max(alignment, huge_page) : alignment;
}

void* allocate_aligned(std::size_t bytes, std::size_t alignment) {
    if (alignment <= __STDCPP_DEFAULT_NEW_ALIGNMENT__) return ::operator new(bytes);
    return ::operator new (bytes, std::align_val_t{alignment});
}

void deallocate_aligned(void* block, std::size_t alignment) noexcept {
    if (alignment <= __STDCPP_DEFAULT_NEW_ALIGNMENT__)
        ::operator delete(block);
    else
        ::operator delete (block, std::align_val_t{alignment});
}

void release_allocated(char* block, std::size_t alignment) noexcept {
    deallocate_aligned(block, alignment);
}

void* allocate_advised(std::size_t bytes, std::size_t alignment) {
    if (!is_large(bytes)) return allocate_aligned(bytes, alignment);
    void* block = allocate_aligned(rounded(bytes), block_alignment(bytes, alignment));
    advise_huge_pages(block, rounded(bytes));
    return block;
}

} // namespace

large_block allocate_large_block(std::size_t bytes) {
    const std::size_t alignment = block_alignment(bytes, 1);
    return large_block(static_cast<char*>(allocate_advised(bytes, alignment)),
                       large_block_deleter(release_allocated, alignment));
}

} // namespace morvane
