#include "model/document.hpp"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <new>

namespace morvane {

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

void document::append(std::unique_ptr<document> later) {
    appended_.reserve(appended_.size() + 1);
    list_concat(frame_list, later->frame_list);
    list_concat(character_list, later->character_list);
    list_concat(charmap_list, later->charmap_list);
    appended_.push_back(std::move(later));
}

text document::index_text(std::int64_t n) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    return copy(std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

void sprite::set(sprite_field f, text value, arena& storage) {
    if (has(f)) {
        if (value.present())
            values_[slot(f)] = value;
        else
            remove(f);
        return;
    }
    if (!value.present()) return;
    const std::size_t n = count();
    if (n == capacity()) {
        if (values_ != nullptr && storage.extend(values_, n * sizeof(text), sizeof(text)))
            set_nibble(capacity_shift, n + 1);
        else
            move_values(storage);
    }
    new (values_ + n) text(value);
    // The field's slot was `absent`, all ones: this turns it into n.
    layout_ ^= (absent ^ n) << slot_shift(f);
    layout_ += std::uint64_t{1} << count_shift;
}

void sprite::remove(sprite_field f) noexcept {
    const std::size_t last = count() - 1;
    const std::uint64_t at = slot(f);
    // The last value moves into the removed one's slot.
    for (unsigned shift = 0; shift < count_shift; shift += 4)
        if (nibble(shift) == last) set_nibble(shift, at);
    values_[at] = values_[last];
    set_nibble(slot_shift(f), absent);
    set_nibble(count_shift, last);
}

void sprite::move_values(arena& storage) {
    // The first value gets room for itself; an array that had to move gets
    // room for two more, so that it rarely moves again.
    const std::size_t n = count();
    const std::size_t room = n == 0 ? 1 : std::min<std::size_t>(n + 2, fields);
    auto* moved = static_cast<text*>(storage.allocate(room * sizeof(text), alignof(text)));
    for (std::size_t i = 0; i < n; ++i) new (moved + i) text(values_[i]);
    values_ = moved;
    set_nibble(capacity_shift, room);
}

} // namespace morvane
