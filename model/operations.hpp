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

[[nodiscard]] frame* get_frame(document& doc, text name);
[[nodiscard]] sprite* get_sprite(document& doc, frame* parent, text index);
[[nodiscard]] colrect* get_colrect(document& doc, frame* parent, text name);
[[nodiscard]] point* get_point(document& doc, frame* parent, text name);
[[nodiscard]] character* get_character(document& doc, text name);
[[nodiscard]] variable* get_variable(document& doc, character* parent, text name);
[[nodiscard]] anim* get_anim(document& doc, character* parent, text name);
[[nodiscard]] anim_frame* get_anim_frame(document& doc, anim* parent, text index);
[[nodiscard]] sound* get_sound(document& doc, anim_frame* parent, text index);
[[nodiscard]] variable_change* get_variable_change(document& doc, anim_frame* parent, text name);
[[nodiscard]] charmap* new_charmap(document& doc, text name);
[[nodiscard]] map* get_map(document& doc, charmap* parent, text folder);

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

[[nodiscard]] int compare_frames(const frame* a, const frame* b) noexcept;
[[nodiscard]] int compare_sprites(const sprite* a, const sprite* b) noexcept;
[[nodiscard]] int compare_colrects(const colrect* a, const colrect* b) noexcept;
[[nodiscard]] int compare_points(const point* a, const point* b) noexcept;
[[nodiscard]] int compare_characters(const character* a, const character* b) noexcept;
[[nodiscard]] int compare_anims(const anim* a, const anim* b) noexcept;
[[nodiscard]] int compare_anim_frames(const anim_frame* a, const anim_frame* b) noexcept;
[[nodiscard]] int compare_sounds(const sound* a, const sound* b) noexcept;
[[nodiscard]] int compare_variable_changes(const variable_change* a,
                                           const variable_change* b) noexcept;
[[nodiscard]] int compare_variables(const variable* a, const variable* b) noexcept;
[[nodiscard]] int compare_charmaps(const charmap* a, const charmap* b) noexcept;
[[nodiscard]] int compare_maps(const map* a, const map* b) noexcept;

// Sort keys that agree with the orderings above (see sort_prefix), so that long
// lists sort mostly without reading their records: an absent key is 0, a
// present text is a marker byte, its first bytes (as many as the key holds)
// and its length, a present index its value.
[[nodiscard]] sort_prefix text_sort_prefix(text key) noexcept;
[[nodiscard]] sort_prefix index_sort_prefix(text index) noexcept;
inline sort_prefix frames_prefix(const frame* f) noexcept { return text_sort_prefix(f->name); }
inline sort_prefix sprites_prefix(const sprite* s) noexcept { return index_sort_prefix(s->index); }
inline sort_prefix colrects_prefix(const colrect* c) noexcept { return text_sort_prefix(c->name); }
inline sort_prefix points_prefix(const point* p) noexcept { return text_sort_prefix(p->name); }
inline sort_prefix characters_prefix(const character* c) noexcept {
    return text_sort_prefix(c->name);
}
inline sort_prefix sounds_prefix(const sound* s) noexcept { return text_sort_prefix(s->index); }
inline sort_prefix variable_changes_prefix(const variable_change* v) noexcept {
    return text_sort_prefix(v->name);
}
inline sort_prefix charmaps_prefix(const charmap* c) noexcept { return text_sort_prefix(c->name); }

[[nodiscard]] int frames_equal(const frame* a, const frame* b) noexcept;
[[nodiscard]] int sprites_equal(const sprite* a, const sprite* b) noexcept;
[[nodiscard]] int colrects_equal(const colrect* a, const colrect* b) noexcept;
[[nodiscard]] int points_equal(const point* a, const point* b) noexcept;
[[nodiscard]] int characters_equal(const character* a, const character* b) noexcept;
[[nodiscard]] int anims_equal(const anim* a, const anim* b) noexcept;
[[nodiscard]] int anim_frames_equal(const anim_frame* a, const anim_frame* b) noexcept;
[[nodiscard]] int sounds_equal(const sound* a, const sound* b) noexcept;
[[nodiscard]] int variable_changes_equal(const variable_change* a,
                                         const variable_change* b) noexcept;
[[nodiscard]] int variables_equal(const variable* a, const variable* b) noexcept;
[[nodiscard]] int charmaps_equal(const charmap* a, const charmap* b) noexcept;
[[nodiscard]] int maps_equal(const map* a, const map* b) noexcept;

} // namespace morvane
