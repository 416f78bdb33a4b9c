#pragma once
// Find-or-create, orderings and equalities of the document records.
//
// Find-or-create: with a present key, the parent's list is searched with the
// record's equality and the first match is returned. Otherwise (or when nothing
// matches) a new record with that key and everything else absent or empty is
// appended to the parent's list (to the root list for frames, characters and
// charmaps); without a parent it is returned unattached. Memory exhaustion ends
// the conversion through error(): a record is never silently dropped.
//
// Orderings return a negative, zero or positive int. A record whose key is
// absent sorts before every record with a present key and ties with another
// such record.

#include "containers/list_sort.hpp"
#include "model/document.hpp"

#include <cstdint>

namespace morvane {

// Find-or-create in the document's root lists.
[[nodiscard]] frame* get_frame(document& doc, text name);
[[nodiscard]] character* get_character(document& doc, text name);
[[nodiscard]] charmap* new_charmap(document& doc, text name);

// Appends a new sprite, animation frame or sound without searching. For the
// builder, whose counters make every generated index new within its parent, so
// the search of the get_ operation could never find anything.
[[nodiscard]] sprite* new_sprite(document& doc, frame* parent, text index);
[[nodiscard]] anim_frame* new_anim_frame(document& doc, anim* parent, text index);
[[nodiscard]] sound* new_sound(document& doc, anim_frame* parent, text index);

// The decimal value of an index text: leading white space, an optional sign,
// then digits up to the first other byte; no digits count as 0. Saturates
// instead of overflowing.
[[nodiscard]] std::int64_t index_value(text index) noexcept;

// Sort keys that agree with the orderings (see sort_prefix), so that long
// lists sort mostly without reading their records: an absent key is 0, a
// present text is a marker byte, its first bytes (as many as the key holds)
// and its length, a present index its value.
[[nodiscard]] sort_prefix text_sort_prefix(text key) noexcept;
[[nodiscard]] sort_prefix index_sort_prefix(text index) noexcept;

// For each keyed record type R with plural Rs (records.hpp): get_R, the
// find-or-create of one in its parent (for those that have one); compare_Rs,
// the ordering; Rs_equal, 1 where the ordering ties and 0 elsewhere; and
// Rs_prefix, the sort key.
#define MORVANE_DECLARE_RECORD_OPERATIONS(R, Rs, ...)                                              \
    __VA_OPT__([[nodiscard]] R* get_##R(document& doc, __VA_ARGS__* parent, text key);)            \
    [[nodiscard]] int compare_##Rs(const R* a, const R* b) noexcept;                               \
    [[nodiscard]] int Rs##_equal(const R* a, const R* b) noexcept;                                 \
    [[nodiscard]] inline sort_prefix Rs##_prefix(const R* r) noexcept {                            \
        if constexpr (ordered_by_value<R>) return index_sort_prefix(r->*key_of<R>);                \
        return text_sort_prefix(r->*key_of<R>);                                                    \
    }
MORVANE_KEYED_RECORDS(MORVANE_DECLARE_RECORD_OPERATIONS)
#undef MORVANE_DECLARE_RECORD_OPERATIONS

} // namespace morvane
