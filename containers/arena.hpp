#pragma once
// A monotonic arena: many small objects carved from a few big blocks, all freed
// together when the arena goes away. Nothing is freed one by one.

#include "containers/large_block.hpp"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace morvane {

class arena {
  public:
    // Blocks double from `first_block`; those after the first are at least
    // `min_later_block` bytes.
    explicit arena(std::size_t first_block = 64 * 1024, std::size_t min_later_block = 0) noexcept
        : next_block_(first_block), min_later_block_(min_later_block) {}
    arena(const arena&) = delete;
    arena& operator=(const arena&) = delete;

    // Uninitialised storage of `bytes` bytes aligned to `alignment` (a power of
    // two no larger than the blocks' own alignment). Throws std::bad_alloc.
    [[nodiscard]] void* allocate(std::size_t bytes, std::size_t alignment) {
        const std::size_t skip =
            (alignment - reinterpret_cast<std::uintptr_t>(next_)) & (alignment - 1);
        if (next_ == nullptr || bytes + skip > static_cast<std::size_t>(end_ - next_))
            return allocate_in_new_block(bytes, alignment);
        char* at = next_ + skip;
        next_ = at + bytes;
        return at;
    }
    // Grows the latest allocation, `at` of `bytes` bytes, by `more` bytes where
    // it lies; false (nothing changed) when something came after it or the
    // block has no room left.
    [[nodiscard]] bool extend(const void* at, std::size_t bytes, std::size_t more) noexcept {
        if (next_ == nullptr || static_cast<const char*>(at) + bytes != next_ ||
            more > static_cast<std::size_t>(end_ - next_))
            return false;
        next_ += more;
        return true;
    }

  private:
    void* allocate_in_new_block(std::size_t bytes, std::size_t alignment);

    std::vector<large_block> blocks_;
    char* next_ = nullptr;
    char* end_ = nullptr;
    std::size_t next_block_;
    std::size_t min_later_block_;
};

// A handle for containers that may draw from an arena: with one, storage comes
// from it and is never given back; without, from the free store.
class arena_allocator {
  public:
    constexpr arena_allocator() noexcept = default;
    constexpr explicit arena_allocator(arena* a) noexcept : arena_(a) {}

    template <class T> [[nodiscard]] T* allocate() {
        if (arena_ != nullptr) return static_cast<T*>(arena_->allocate(sizeof(T), alignof(T)));
        return std::allocator<T>().allocate(1);
    }
    template <class T> void deallocate(T* object) noexcept {
        if (arena_ == nullptr) std::allocator<T>().deallocate(object, 1);
    }

  private:
    arena* arena_ = nullptr;
};

} // namespace morvane
