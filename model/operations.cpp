#include "model/operations.hpp"

#include "containers/compare_string.hpp"
#include "model/error.hpp"

#include <algorithm>
#include <cstring>
#include <limits>

namespace morvane {
namespace {

int compare_keys(text a, text b) noexcept {
    if (!a.present() || !b.present())
        return static_cast<int>(a.present()) - static_cast<int>(b.present());
    return string_compare(a.view(), b.view());
}

int keys_equal(text a, text b) noexcept { return compare_keys(a, b) == 0 ? 1 : 0; }

template <class R>
R* attach(document& doc, list<R>* parent_list, void (*set_key)(R&, text), text key) {
    R* record = doc.make<R>();
    set_key(*record, key);
    if (parent_list != nullptr && list_append(*parent_list, record) == nullptr)
        error(error_out_of_memory);
    return record;
}

// The shared find-or-create: search a present key with the record's equality,
// else create, key it and append.
template <class R, class Equal>
R* find_or_create(document& doc, list<R>* parent_list, text key, void (*set_key)(R&, text),
                  Equal equal) {
    if (parent_list != nullptr && key.present() && !parent_list->empty()) {
        R probe = [&] {
            if constexpr (std::is_constructible_v<R, allocator>)
                return R(doc.alloc());
            else
                return R{};
        }();
        set_key(probe, key);
        if (auto* found = list_find_data(*parent_list, equal, &probe)) return found->data;
    }
    return attach(doc, parent_list, set_key, key);
}

template <class R> void set_name(R& r, text t) { r.name = t; }
template <class R> void set_index(R& r, text t) { r.index = t; }
void set_folder(map& r, text t) { r.folder = t; }

} // namespace

frame* get_frame(document& doc, text name) {
    return find_or_create(doc, &doc.frame_list, name, set_name<frame>, frames_equal);
}
sprite* get_sprite(document& doc, frame* parent, text index) {
    return find_or_create(doc, parent ? &parent->sprites : nullptr, index, set_index<sprite>,
                          sprites_equal);
}
colrect* get_colrect(document& doc, frame* parent, text name) {
    return find_or_create(doc, parent ? &parent->colrects : nullptr, name, set_name<colrect>,
                          colrects_equal);
}
point* get_point(document& doc, frame* parent, text name) {
    return find_or_create(doc, parent ? &parent->points : nullptr, name, set_name<point>,
                          points_equal);
}
character* get_character(document& doc, text name) {
    return find_or_create(doc, &doc.character_list, name, set_name<character>, characters_equal);
}
variable* get_variable(document& doc, character* parent, text name) {
    return find_or_create(doc, parent ? &parent->variables : nullptr, name, set_name<variable>,
                          variables_equal);
}
anim* get_anim(document& doc, character* parent, text name) {
    return find_or_create(doc, parent ? &parent->anims : nullptr, name, set_name<anim>,
                          anims_equal);
}
anim_frame* get_anim_frame(document& doc, anim* parent, text index) {
    return find_or_create(doc, parent ? &parent->anim_frames : nullptr, index,
                          set_index<anim_frame>, anim_frames_equal);
}
sound* get_sound(document& doc, anim_frame* parent, text index) {
    return find_or_create(doc, parent ? &parent->sounds : nullptr, index, set_index<sound>,
                          sounds_equal);
}
variable_change* get_variable_change(document& doc, anim_frame* parent, text name) {
    return find_or_create(doc, parent ? &parent->variable_changes : nullptr, name,
                          set_name<variable_change>, variable_changes_equal);
}
charmap* new_charmap(document& doc, text name) {
    return find_or_create(doc, &doc.charmap_list, name, set_name<charmap>, charmaps_equal);
}
map* get_map(document& doc, charmap* parent, text folder) {
    return find_or_create(doc, parent ? &parent->maps : nullptr, folder, set_folder, maps_equal);
}

sprite* new_sprite(document& doc, frame* parent, text index) {
    return attach(doc, parent ? &parent->sprites : nullptr, set_index<sprite>, index);
}
anim_frame* new_anim_frame(document& doc, anim* parent, text index) {
    return attach(doc, parent ? &parent->anim_frames : nullptr, set_index<anim_frame>, index);
}
sound* new_sound(document& doc, anim_frame* parent, text index) {
    return attach(doc, parent ? &parent->sounds : nullptr, set_index<sound>, index);
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
    // Indices order by their values alone, which the key holds whole.
    sort_prefix p;
    p.complete = true;
    if (!index.present()) return p;
    // The value with its sign bit flipped orders as an unsigned number.
    p.words[0] = 1;
    p.words[1] = static_cast<std::uint64_t>(index_value(index)) ^ (std::uint64_t{1} << 63U);
    return p;
}

int compare_sprites(const sprite* a, const sprite* b) noexcept {
    if (!a->index.present() || !b->index.present()) return compare_keys(a->index, b->index);
    const std::int64_t x = index_value(a->index);
    const std::int64_t y = index_value(b->index);
    return x < y ? -1 : (x > y ? 1 : 0);
}
int sprites_equal(const sprite* a, const sprite* b) noexcept {
    return compare_sprites(a, b) == 0 ? 1 : 0;
}

int compare_frames(const frame* a, const frame* b) noexcept {
    return compare_keys(a->name, b->name);
}
int compare_colrects(const colrect* a, const colrect* b) noexcept {
    return compare_keys(a->name, b->name);
}
int compare_points(const point* a, const point* b) noexcept {
    return compare_keys(a->name, b->name);
}
int compare_characters(const character* a, const character* b) noexcept {
    return compare_keys(a->name, b->name);
}
int compare_anims(const anim* a, const anim* b) noexcept { return compare_keys(a->name, b->name); }
int compare_anim_frames(const anim_frame* a, const anim_frame* b) noexcept {
    return compare_keys(a->index, b->index);
}
int compare_sounds(const sound* a, const sound* b) noexcept {
    return compare_keys(a->index, b->index);
}
int compare_variable_changes(const variable_change* a, const variable_change* b) noexcept {
    return compare_keys(a->name, b->name);
}
int compare_variables(const variable* a, const variable* b) noexcept {
    return compare_keys(a->name, b->name);
}
int compare_charmaps(const charmap* a, const charmap* b) noexcept {
    return compare_keys(a->name, b->name);
}
int compare_maps(const map* a, const map* b) noexcept { return compare_keys(a->folder, b->folder); }

int frames_equal(const frame* a, const frame* b) noexcept { return keys_equal(a->name, b->name); }
int colrects_equal(const colrect* a, const colrect* b) noexcept {
    return keys_equal(a->name, b->name);
}
int points_equal(const point* a, const point* b) noexcept { return keys_equal(a->name, b->name); }
int characters_equal(const character* a, const character* b) noexcept {
    return keys_equal(a->name, b->name);
}
int anims_equal(const anim* a, const anim* b) noexcept { return keys_equal(a->name, b->name); }
int anim_frames_equal(const anim_frame* a, const anim_frame* b) noexcept {
    return keys_equal(a->index, b->index);
}
int sounds_equal(const sound* a, const sound* b) noexcept { return keys_equal(a->index, b->index); }
int variable_changes_equal(const variable_change* a, const variable_change* b) noexcept {
    return keys_equal(a->name, b->name);
}
int variables_equal(const variable* a, const variable* b) noexcept {
    return keys_equal(a->name, b->name);
}
int charmaps_equal(const charmap* a, const charmap* b) noexcept {
    return keys_equal(a->name, b->name);
}
int maps_equal(const map* a, const map* b) noexcept { return keys_equal(a->folder, b->folder); }

} // namespace morvane
