#include "model/operations.hpp"

#include "containers/compare_string.hpp"
#include "model/error.hpp"

#include <algorithm>
#include <cstring>
#include <limits>

namespace morvane {
namespace {

// The ordering of R's keys (see key_of and ordered_by_value).
template <class R> int compare_keys(text a, text b) noexcept {
    if (!a.present() || !b.present())
        return static_cast<int>(a.present()) - static_cast<int>(b.present());
    if constexpr (ordered_by_value<R>) {
        const std::int64_t x = index_value(a);
        const std::int64_t y = index_value(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    return string_compare(a.view(), b.view());
}

template <class R> R* attach(document& doc, list<R>* parent_list, text key) {
    R* record = doc.make<R>();
    record->*key_of<R> = key;
    if (parent_list != nullptr && list_append(*parent_list, record) == nullptr)
        error(error_out_of_memory);
    return record;
}

template <class R> R* find_or_create(document& doc, list<R>* parent_list, text key) {
    if (parent_list != nullptr && key.present())
        for (R* record : *parent_list)
            if (compare_keys<R>(record->*key_of<R>, key) == 0) return record;
    return attach(doc, parent_list, key);
}

} // namespace

#define MORVANE_DEFINE_RECORD_OPERATIONS(R, Rs, ...)                                               \
    __VA_OPT__(R* get_##R(document& doc, __VA_ARGS__* parent, text key) {                          \
        return find_or_create(doc, parent ? &parent->Rs : nullptr, key);                           \
    })                                                                                             \
    int compare_##Rs(const R* a, const R* b) noexcept {                                            \
        return compare_keys<R>(a->*key_of<R>, b->*key_of<R>);                                      \
    }                                                                                              \
    int Rs##_equal(const R* a, const R* b) noexcept { return compare_##Rs(a, b) == 0 ? 1 : 0; }
MORVANE_KEYED_RECORDS(MORVANE_DEFINE_RECORD_OPERATIONS)
#undef MORVANE_DEFINE_RECORD_OPERATIONS

frame* get_frame(document& doc, text name) { return find_or_create(doc, &doc.frame_list, name); }
character* get_character(document& doc, text name) {
    return find_or_create(doc, &doc.character_list, name);
}
charmap* new_charmap(document& doc, text name) {
    return find_or_create(doc, &doc.charmap_list, name);
}

sprite* new_sprite(document& doc, frame* parent, text index) {
    return attach(doc, parent ? &parent->sprites : nullptr, index);
}
anim_frame* new_anim_frame(document& doc, anim* parent, text index) {
    return attach(doc, parent ? &parent->anim_frames : nullptr, index);
}
sound* new_sound(document& doc, anim_frame* parent, text index) {
    return attach(doc, parent ? &parent->sounds : nullptr, index);
}

std::int64_t index_value(text index) noexcept {
    const std::string_view s = index.view();
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    constexpr std::int64_t limit = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        const int digit = s[i] - '0';
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    return negative ? -value : value;
}

sort_prefix text_sort_prefix(text key) noexcept {
    sort_prefix p;
    p.complete = true;
    if (!key.present()) return p;
    // A marker byte, then the text's first bytes in order, unsigned, padded
    // with zeros, then its length: a shorter text that begins a longer one
    // gets a smaller key, as string_compare orders. A text too long to be
    // held marks the length byte with its largest value and leaves ties
    // between such texts to their ordering.
    constexpr std::size_t held = 22;
    const std::string_view s = key.view();
    unsigned char bytes[held + 2] = {1};
    if (!s.empty()) std::memcpy(bytes + 1, s.data(), std::min(held, s.size()));
    p.complete = s.size() <= held;
    bytes[held + 1] = static_cast<unsigned char>(p.complete ? s.size() : 0xFF);
    for (std::size_t w = 0; w < p.words.size(); ++w)
        for (std::size_t i = 0; i < 8; ++i) p.words[w] = p.words[w] << 8U | bytes[8 * w + i];
    return p;
}

sort_prefix index_sort_prefix(text index) noexcept {
    // Indices order by their values alone, which the key holds whole: after
    // the marker, the value with its sign bit flipped, which orders as an
    // unsigned number.
    if (!index.present()) return {{}, true};
    return {{1, static_cast<std::uint64_t>(index_value(index)) ^ (std::uint64_t{1} << 63U)}, true};
}

} // namespace morvane
