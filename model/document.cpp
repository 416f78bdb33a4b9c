#include "model/document.hpp"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <new>

namespace morvane {

document::document() = default;

text document::copy(std::string_view bytes) {
    // Texts carry their length: no terminator is stored.
    char* storage = static_cast<char*>(arena_.allocate(bytes.size(), 1));
    if (!bytes.empty()) std::memcpy(storage, bytes.data(), bytes.size());
    return borrow(std::string_view(storage, bytes.size()));
}

text document::borrow_long(std::string_view bytes) {
    auto* wide = new (arena_.allocate(sizeof(long_text), alignof(long_text)))
        long_text{bytes.data() != nullptr ? bytes.data() : "", bytes.size()};
    return text::of_long(wide);
}

text document::index_text(std::int64_t n) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    return copy(std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

void sprite::set(sprite_field f, text value, arena& storage) {
    const std::size_t at = slot(f);
    const std::size_t count = count_bits(present_);
    if (has(f)) {
        if (value.present()) {
            values_[at] = value;
            return;
        }
        // Removed: the values after it move down.
        for (std::size_t i = at; i + 1 < count; ++i) values_[i] = values_[i + 1];
        present_ = static_cast<std::uint16_t>(present_ & ~bit(f));
        return;
    }
    if (!value.present()) return;
    if (count == capacity_) {
        if (values_ != nullptr && storage.extend(values_, count * sizeof(text), sizeof(text))) {
            new (values_ + count) text();
            ++capacity_;
        } else {
            // The first value gets room for itself; an array that had to move
            // gets room for two more, so that it rarely moves again.
            const std::size_t room =
                count == 0 ? 1
                           : std::min<std::size_t>(count + 2,
                                                   static_cast<std::size_t>(sprite_field::count));
            auto* moved = static_cast<text*>(storage.allocate(room * sizeof(text), alignof(text)));
            for (std::size_t i = 0; i < count; ++i) new (moved + i) text(values_[i]);
            for (std::size_t i = count; i < room; ++i) new (moved + i) text();
            values_ = moved;
            capacity_ = static_cast<std::uint8_t>(room);
        }
    }
    for (std::size_t i = count; i > at; --i) values_[i] = values_[i - 1];
    values_[at] = value;
    present_ = static_cast<std::uint16_t>(present_ | bit(f));
}

void document::retain(large_block buffer) { retained_.push_back(std::move(buffer)); }

} // namespace morvane
