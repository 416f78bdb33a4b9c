#include "large_block.hpp"

#include <algorithm>
#include <cstdint>
#include <new>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

namespace morvane {
namespace {

void advise_huge_pages([[maybe_unused]] void* block, [[maybe_unused]] std::size_t bytes) noexcept {
#if defined(MADV_HUGEPAGE)
    // Only a hint; a refusal changes nothing but speed.
    (void)::madvise(block, bytes, MADV_HUGEPAGE);
#endif
}

bool is_large(std::size_t bytes) noexcept { return bytes >= huge_page_bytes; }
std::size_t rounded(std::size_t bytes) noexcept {
    return (bytes + huge_page_bytes - 1) & ~(huge_page_bytes - 1);
}

char* allocate_large(std::size_t bytes) {
    void* block = ::operator new (rounded(bytes), std::align_val_t{huge_page_bytes});
    advise_huge_pages(block, rounded(bytes));
    return static_cast<char*>(block);
}

void release_large(char* block) noexcept {
    ::operator delete (block, std::align_val_t{huge_page_bytes});
}

} // namespace

char* discard_pages(char* from, [[maybe_unused]] char* to) noexcept {
#if defined(MADV_DONTNEED)
    constexpr std::uintptr_t page = 4096;
    const auto first = (reinterpret_cast<std::uintptr_t>(from) + page - 1) & ~(page - 1);
    const auto last = reinterpret_cast<std::uintptr_t>(to) & ~(page - 1);
    if (last <= first) return from;
    // Only a hint about memory we still own: a refusal changes nothing but memory use.
    (void)::madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
    return from + (last - reinterpret_cast<std::uintptr_t>(from));
#else
    return from;
#endif
}

large_block allocate_large_block(std::size_t bytes) {
    char* block =
        is_large(bytes) ? allocate_large(bytes) : static_cast<char*>(::operator new(bytes));
    return large_block(block, large_block_deleter(bytes));
}

void release_large_block(char* block, std::size_t bytes) noexcept {
    if (is_large(bytes))
        release_large(block);
    else
        ::operator delete(block);
}

} // namespace morvane
