#pragma once
// A sprite's statements in the order the grammar tries them ("x flip" and
// "y flip" before "x" and "y", which begin them), each with the shape of its
// value and the field its action stores into. The grammar's sprite block, the
// sprite actions and the writer's sprite lines all come from this one table.

#include "model/records.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace morvane {

// The shape of a statement's value, and what may stand between it and its ";".
enum class statement_shape : std::uint8_t {
    name,       // text spacing
    number,     // num, which takes the white space after it itself
    file,       // file, which runs up to the ";"
    tight_text, // text: blanks before the ";" belong to the value
};

struct sprite_statement {
    std::string_view keyword;
    statement_shape shape;
    sprite_field field;
};

inline constexpr std::array<sprite_statement, static_cast<std::size_t>(sprite_field::count)>
    sprite_statements{{
        {"width", statement_shape::number, sprite_field::width},
        {"height", statement_shape::number, sprite_field::height},
        {"color", statement_shape::number, sprite_field::color},
        {"angle", statement_shape::number, sprite_field::angle},
        {"image", statement_shape::file, sprite_field::image},
        {"ink", statement_shape::tight_text, sprite_field::ink},
        {"opacity", statement_shape::number, sprite_field::opacity},
        {"x flip", statement_shape::number, sprite_field::x_flip},
        {"y flip", statement_shape::number, sprite_field::y_flip},
        {"x", statement_shape::number, sprite_field::x},
        {"y", statement_shape::number, sprite_field::y},
    }};

// The keyword of the statement that sets the field.
constexpr std::string_view sprite_keyword(sprite_field field) {
    for (const sprite_statement& s : sprite_statements)
        if (s.field == field) return s.keyword;
    throw "a sprite field that no statement sets";
}

} // namespace morvane
