#pragma once
// The twelve record types of a project, in three trees rooted at the document's
// frame, character and charmap lists. Fields keep their declaration order; a
// record's lists point to its children, which live in the document's arena.

#include "containers/list.hpp"
#include "model/text.hpp"

#include <array>
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

    [[nodiscard]] text angle() const noexcept { return get(sprite_field::angle); }
    [[nodiscard]] text color() const noexcept { return get(sprite_field::color); }
    [[nodiscard]] text height() const noexcept { return get(sprite_field::height); }
    [[nodiscard]] text image() const noexcept { return get(sprite_field::image); }
    [[nodiscard]] text ink() const noexcept { return get(sprite_field::ink); }
    [[nodiscard]] text opacity() const noexcept { return get(sprite_field::opacity); }
    [[nodiscard]] text width() const noexcept { return get(sprite_field::width); }
    [[nodiscard]] text x() const noexcept { return get(sprite_field::x); }
    [[nodiscard]] text x_flip() const noexcept { return get(sprite_field::x_flip); }
    [[nodiscard]] text y() const noexcept { return get(sprite_field::y); }
    [[nodiscard]] text y_flip() const noexcept { return get(sprite_field::y_flip); }

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
            const std::uint64_t at = layout_ >> (4 * F) & absent;
            if (at != absent)
                visit(std::integral_constant<sprite_field, static_cast<sprite_field>(F)>{},
                      values_[at]);
            visit_from<F + 1>(visit);
        }
    }
    [[nodiscard]] std::uint64_t slot(sprite_field f) const noexcept {
        return layout_ >> (4 * static_cast<unsigned>(f)) & absent;
    }
    void set_slot(sprite_field f, std::uint64_t at) noexcept {
        const unsigned shift = 4 * static_cast<unsigned>(f);
        layout_ = (layout_ & ~(absent << shift)) | at << shift;
    }
    [[nodiscard]] std::size_t count() const noexcept { return layout_ >> count_shift & 0xF; }
    [[nodiscard]] std::size_t capacity() const noexcept { return layout_ >> capacity_shift & 0xF; }
    void set_count(std::size_t n) noexcept {
        layout_ = (layout_ & ~(absent << count_shift)) | std::uint64_t{n} << count_shift;
    }
    void set_capacity(std::size_t n) noexcept {
        layout_ = (layout_ & ~(absent << capacity_shift)) | std::uint64_t{n} << capacity_shift;
    }

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

} // namespace morvane
