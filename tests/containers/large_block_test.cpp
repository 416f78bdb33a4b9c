#include "containers/large_block.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <memory_resource>

namespace morvane {
namespace {

// Small and huge-page-sized blocks are usable to their last byte and released
// by the matching deallocation (the sanitizer build checks the pairing).
TEST(large_block, blocks_of_every_size_are_whole_and_released_in_kind) {
    for (const std::size_t size :
         {std::size_t{1}, std::size_t{4096}, std::size_t{2} << 20U, (std::size_t{5} << 20U) + 3}) {
        large_block block = allocate_large_block(size);
        ASSERT_NE(block, nullptr);
        std::memset(block.get(), 0x5A, size);
        EXPECT_EQ(block[size - 1], 0x5A);
    }
}

TEST(large_block, arena_upstream_serves_any_size_and_alignment) {
    large_block_resource upstream;
    std::pmr::monotonic_buffer_resource arena(64, &upstream);
    for (int i = 0; i < 40; ++i) {
        void* p = arena.allocate(std::size_t{1} << (i % 23), alignof(std::max_align_t));
        std::memset(p, i, std::size_t{1} << (i % 23));
    }
    void* aligned = upstream.allocate(3 << 20, 4096);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(aligned) % 4096, 0U);
    upstream.deallocate(aligned, 3 << 20, 4096);
    EXPECT_TRUE(upstream.is_equal(large_block_resource()));
    EXPECT_FALSE(upstream.is_equal(*std::pmr::new_delete_resource()));
}

} // namespace
} // namespace morvane
