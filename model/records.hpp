#pragma once
// The twelve record types of a project, in three trees rooted at the document's
// frame, character and charmap lists. Fields keep their declaration order; a
// record's lists point to its children, which live in the document's arena.

#include "containers/list.hpp"
#include "model/text.hpp"

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace morvane {

using allocator = arena_allocator;

// A sprite's fields, in the order its lines are written.
enum class sprite_field : std::uint8_t {
    angle,
    color,
    height,
    image,
    ink,
    opacity,
    width,
    x,
    x_flip,
    y,
    y_flip,
    count
};

// Most sprites set only a few of their eleven fields, and a frame may hold
// millions of them, so a sprite keeps only the values it was given, one after
// another in the order they came, in an array in the document's arena; four
// bits a field say where its value is. Setting a field the sprite lacks grows
// that array where it lies when nothing was allocated after it, as while the
// sprite's own statements run, and moves it otherwise. Against eleven text
// fields (bench/ledger.sh), peak memory: sprites-in-one-frame 1M 123,920 KiB
// with, 181,312 without; realistic 100 MiB 211,016 with, 221,240 without;
// instructions: realistic 10 MiB 256.2M with, 262.6M without.
class sprite {
  public:
    text index; // key: "0", "1", ... within its frame

    [[nodiscard]] bool has(sprite_field f) const noexcept { return slot(f) != absent; }
    // The field's value; absent when it was never given.
    [[nodiscard]] text get(sprite_field f) const noexcept {
        return has(f) ? values_[slot(f)] : text();
    }
    // Gives the field a value (an absent one removes it). Draws from the arena;
    // throws std::bad_alloc.
    void set(sprite_field f, text value, arena& storage);

    // Calls visit(field, value) for each present field, in field order; the
    // field comes as a std::integral_constant, so that each call is
    // expanded for its own field.
    template <class Visit> void for_each_present(Visit&& visit) const { visit_from<0>(visit); }

  private:
    static constexpr unsigned fields = static_cast<unsigned>(sprite_field::count);
    // layout_ holds, four bits each: every field's slot in values_ (or
    // `absent`), then how many values there are, then how many fit.
    static constexpr std::uint64_t absent = 0xF;
    static constexpr unsigned count_shift = 4 * fields;
    static constexpr unsigned capacity_shift = count_shift + 4;
    static_assert(fields < absent && capacity_shift + 4 <= 64);
    static constexpr std::uint64_t no_values = (std::uint64_t{1} << count_shift) - 1;

    void remove(sprite_field f) noexcept;
    // Moves the values to a new array with room for more.
    void move_values(arena& storage);

    template <unsigned F, class Visit> void visit_from(Visit& visit) const {
        if constexpr (F < fields) {
            const std::uint64_t at = nibble(4 * F);
            if (at != absent)
                visit(std::integral_constant<sprite_field, static_cast<sprite_field>(F)>{},
                      values_[at]);
            visit_from<F + 1>(visit);
        }
    }
    // The four bits of layout_ from `shift` up.
    [[nodiscard]] std::uint64_t nibble(unsigned shift) const noexcept {
        return layout_ >> shift & absent;
    }
    void set_nibble(unsigned shift, std::uint64_t value) noexcept {
        layout_ = (layout_ & ~(absent << shift)) | value << shift;
    }
    static constexpr unsigned slot_shift(sprite_field f) { return 4 * static_cast<unsigned>(f); }
    [[nodiscard]] std::uint64_t slot(sprite_field f) const noexcept {
        return nibble(slot_shift(f));
    }
    [[nodiscard]] std::size_t count() const noexcept { return nibble(count_shift); }
    [[nodiscard]] std::size_t capacity() const noexcept { return nibble(capacity_shift); }

    text* values_ = nullptr;           // the present fields' values
    std::uint64_t layout_ = no_values; // slots, count and capacity, as above
};

struct colrect {
    text name; // key
    text color, x, y, width, height, value;
};

struct point {
    text name; // key
    text type, x, y;
};

struct frame {
    explicit frame(allocator a) : sprites(a), colrects(a), points(a) {}
    text name; // key
    list<sprite> sprites;
    list<colrect> colrects;
    list<point> points;
};

struct sound {
    text index; // key: "0", "1", ... within its animation frame
    text name, volume;
};

struct variable_change {
    text name; // key
    text value;
};

struct anim_frame {
    explicit anim_frame(allocator a) : sounds(a), variable_changes(a) {}
    text index; // key: "0", "1", ... within its animation
    text name, duration;
    list<sound> sounds;
    list<variable_change> variable_changes;
};

struct anim {
    explicit anim(allocator a) : anim_frames(a) {}
    text name; // key
    list<anim_frame> anim_frames;
};

struct variable {
    text name; // key
    text default_value;
};

struct character {
    explicit character(allocator a) : variables(a), anims(a) {}
    text name; // key
    list<variable> variables;
    list<anim> anims;
};

struct map {
    text folder; // key
    text display;
};

struct charmap {
    explicit charmap(allocator a) : maps(a) {}
    text name; // key
    list<map> maps;
};

// Every keyed record type with the plural that names its operations and, for
// one that lives in another record's list of that plural name, the parent's
// type. The frames, characters and charmaps are the document's root lists.
#define MORVANE_KEYED_RECORDS(X)                                                                   \
    X(frame, frames)                                                                               \
    X(sprite, sprites, frame)                                                                      \
    X(colrect, colrects, frame)                                                                    \
    X(point, points, frame)                                                                        \
    X(character, characters)                                                                       \
    X(variable, variables, character)                                                              \
    X(anim, anims, character)                                                                      \
    X(anim_frame, anim_frames, anim)                                                               \
    X(sound, sounds, anim_frame)                                                                   \
    X(variable_change, variable_changes, anim_frame)                                               \
    X(charmap, charmaps)                                                                           \
    X(map, maps, charmap)

// A record's key: the field that find-or-create searches and the ordering
// compares. Keys order as texts, except sprites', which order by their index
// values.
template <class R> inline constexpr text R::*key_of = &R::name;
template <> inline constexpr text sprite::*key_of<sprite> = &sprite::index;
template <> inline constexpr text anim_frame::*key_of<anim_frame> = &anim_frame::index;
template <> inline constexpr text sound::*key_of<sound> = &sound::index;
template <> inline constexpr text map::*key_of<map> = &map::folder;
template <class R> inline constexpr bool ordered_by_value = std::is_same_v<R, sprite>;

} // namespace morvane
