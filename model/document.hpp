#pragma once
// One converted project: the three root lists, the arenas that hold every record,
// list entry and generated text, and the input buffers that values point into.
// Everything is released together when the document goes away.

#include "containers/arena.hpp"
#include "containers/large_block.hpp"
#include "model/records.hpp"

#include <cstdint>
#include <memory>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

namespace morvane {

class document {
  public:
    document() = default;
    document(const document&) = delete;
    document& operator=(const document&) = delete;

    [[nodiscard]] allocator alloc() noexcept { return allocator(&arena_); }
    // The arena itself, for records that size their own storage.
    [[nodiscard]] arena& storage() noexcept { return arena_; }

    // A new record in the arena. Records are never destroyed one by one: the
    // arena's release frees them, their list entries and their texts at once.
    template <class R> [[nodiscard]] R* make() {
        void* storage = arena_.allocate(sizeof(R), alignof(R));
        if constexpr (std::is_constructible_v<R, allocator>)
            return new (storage) R(alloc());
        else
            return new (storage) R();
    }

    // A present text of the bytes, which must outlive the document (they are in
    // a retained input buffer or in the arena). Any length.
    [[nodiscard]] text borrow(std::string_view bytes) {
        if (text::fits_short(bytes)) [[likely]]
            return text(bytes);
        return borrow_long(bytes);
    }
    // A present text holding a copy of the bytes.
    [[nodiscard]] text copy(std::string_view bytes);
    // The decimal text of n, as generated for sprite, animation-frame and sound indices.
    [[nodiscard]] text index_text(std::int64_t n);
    // Keeps an input buffer alive for as long as the document, so values can point into it.
    void retain(large_block buffer) { retained_.push_back(std::move(buffer)); }
    // Appends the root lists of `later` to these, each in order, and keeps what
    // its records are made of for as long as this document.
    void append(std::unique_ptr<document> later);

  private:
    [[nodiscard]] text borrow_long(std::string_view bytes);

    // Before the lists below, which allocate from it. Past its first block it
    // goes straight to huge pages, rather than through blocks of 128 KiB to
    // 1 MiB whose 4 KiB pages each cost a fault (about 480 per document).
    // Medians of interleaved runs, against doubling from 64 KiB: realistic
    // 100 MiB 0.311 s against 0.328 (21 runs; 3,488 page faults against 4,450;
    // peak 214,836 KiB against 214,620), sorted-frames 1M 0.114 against 0.120
    // (15), variables-in-one-character 1M 0.107 against 0.113 (21). The root
    // entries' arena below keeps doubling: its few MiB would leave most of a
    // huge page per document untouched (realistic 100 MiB peak 216,904 KiB).
    arena arena_{64 * 1024, huge_page_bytes};
    // The root lists' entries, side by side rather than among the records:
    // sorting and printing a root list walk it. Realistic 100 MiB: the frames
    // taken for printing in 6-10 ms against 16-19, peak 214,628 KiB against
    // 216,560, page faults 4,448 against 3,904 (its first blocks are small).
    arena root_entries_;
    std::vector<large_block> retained_;
    std::vector<std::unique_ptr<document>> appended_; // before the lists that link into them

  public:
    list<frame> frame_list{allocator(&root_entries_)};
    list<character> character_list{allocator(&root_entries_)};
    list<charmap> charmap_list{allocator(&root_entries_)};
};

} // namespace morvane
