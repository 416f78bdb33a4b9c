#pragma once
// The actions that the old-format rules record. They run only after the whole
// input has matched, in the order recorded, and build the document through the
// builder: value actions push the captured text, statement actions pop it into
// a field of the record under their block's cursor, block actions create
// records and set or clear cursors.

#include "model/builder.hpp"
#include "parser/char_class.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace morvane {

// clang-format off
enum class action : std::uint8_t {
    text_1, num_1, file_1,
    block_1, block_2, block_3,
    character_block_1, character_block_2, character_block_3, character_block_4,
    variable_block_1, variable_block_2, variable_block_3,
    charmap_block_1, charmap_block_2,
    map_block_1, map_block_2, map_block_3,
    frame_block_1, frame_block_2,
    collision_rect_block_1, collision_rect_block_2, collision_rect_block_3,
    collision_rect_block_4, collision_rect_block_5, collision_rect_block_6,
    collision_rect_block_7, collision_rect_block_8,
    point_block_1, point_block_2, point_block_3, point_block_4, point_block_5,
    sprite_block_1, sprite_block_2, sprite_block_3, sprite_block_4, sprite_block_5,
    sprite_block_6, sprite_block_7, sprite_block_8, sprite_block_9, sprite_block_10,
    sprite_block_11, sprite_block_12,
    animation_block_1, animation_block_2, animation_block_3,
    anim_frame_block_1, anim_frame_block_2, anim_frame_block_3, anim_frame_block_4,
    anim_frame_block_5,
    sound_block_1, sound_block_2, sound_block_3,
    variable_change_block_1, variable_change_block_2, variable_change_block_3,
    count
};
// clang-format on

static_assert(static_cast<int>(action::text_1) == 0 && static_cast<int>(action::num_1) == 1 &&
                  static_cast<int>(action::file_1) == 2,
              "the value actions come first");
static_assert(static_cast<int>(action::count) <= 128,
              "a log entry marks a statement's action with the high bit of its id");

// The actions that receive the captured text.
inline constexpr char_class text_actions = [] {
    char_class c;
    c.add(static_cast<unsigned char>(action::text_1));
    c.add(static_cast<unsigned char>(action::num_1));
    c.add(static_cast<unsigned char>(action::file_1));
    return c;
}();

using action_function = void (*)(builder&, std::string_view captured);
// The action functions, indexed by action id.
extern const std::array<action_function, static_cast<std::size_t>(action::count)> action_functions;

inline void run_action(builder& b, std::uint8_t id, std::string_view captured) {
    // Every value action pushes the captured text; as the most frequent
    // actions, they are done here rather than through a call by address.
    if (id <= static_cast<std::uint8_t>(action::file_1)) {
        b.push(b.doc.borrow(captured));
        return;
    }
    action_functions[id](b, captured);
}

} // namespace morvane
