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
// millions of them, so a sprite keeps only the values it was given: one bit per
// field says which are present, and their values follow one another in field
// order in an array in the document's arena. Setting a field the sprite lacks
// grows that array where it lies when nothing was allocated after it, as while
// the sprite's own statements run, and moves it otherwise.
class sprite {
  public:
    text index; // key: "0", "1", ... within its frame

    [[nodiscard]] bool has(sprite_field f) const noexcept { return (present_ & bit(f)) != 0; }
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
    template <class Visit> void for_each_present(Visit&& visit) const {
        visit_from<0>(values_, visit);
    }

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
    template <unsigned F, class Visit> void visit_from(const text* value, Visit& visit) const {
        if constexpr (F < static_cast<unsigned>(sprite_field::count)) {
            if ((present_ >> F & 1U) != 0)
                visit(std::integral_constant<sprite_field, static_cast<sprite_field>(F)>{},
                      *value++);
            visit_from<F + 1>(value, visit);
        }
    }
    static constexpr std::uint16_t bit(sprite_field f) noexcept {
        return static_cast<std::uint16_t>(1U << static_cast<unsigned>(f));
    }
    // How many bits are set, counted a byte at a time from a table: the
    // targets we build for may lack a population-count instruction, and the
    // library's fallback is a call.
    static constexpr std::array<std::uint8_t, 256> bits_in = [] {
        std::array<std::uint8_t, 256> n{};
        for (std::size_t i = 1; i < n.size(); ++i)
            n[i] = static_cast<std::uint8_t>(n[i / 2] + (i & 1U));
        return n;
    }();
    [[nodiscard]] static std::size_t count_bits(std::uint16_t bits) noexcept {
        return std::size_t{bits_in[bits & 0xFFU]} + bits_in[bits >> 8U];
    }
    // Where the field's value is (or would go) in values_.
    [[nodiscard]] std::size_t slot(sprite_field f) const noexcept {
        return count_bits(static_cast<std::uint16_t>(present_ & (bit(f) - 1U)));
    }

    text* values_ = nullptr;    // the present fields' values, in field order
    std::uint16_t present_ = 0; // one bit per field
    std::uint8_t capacity_ = 0; // how many values values_ has room for
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
