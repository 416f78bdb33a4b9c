#pragma once
// The actions that the old-format rules record. They run only after the whole
// input has matched, in the order recorded, and build the document through the
// builder: value actions push the captured text, statement actions pop it into
// a field of the record under their block's cursor, block actions create
// records and set or clear cursors.

#include "model/builder.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace morvane {

// clang-format off
enum class action : std::uint8_t {
    text_1, num_1, file_1,
    head_position,
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

// head_position is no action of the grammar: recorded before a block's first
// action, only when positions are asked for, it carries where that block's
// keyword stands and runs nothing.

// The value rules' actions: each puts its captured text on the text stack,
// where the statement's action that follows takes it. They are the most
// frequent actions, so they are called directly rather than by address.
inline void yy_1_text(builder& b, std::string_view captured) { b.push(b.doc.borrow(captured)); }
inline void yy_1_num(builder& b, std::string_view captured) { b.push(b.doc.borrow(captured)); }
inline void yy_1_file(builder& b, std::string_view captured) { b.push(b.doc.borrow(captured)); }

using action_function = void (*)(builder&, std::string_view captured);
// The action functions, indexed by action id.
extern const std::array<action_function, static_cast<std::size_t>(action::count)> action_functions;

inline void run_action(builder& b, std::uint8_t id, std::string_view captured) {
    switch (static_cast<action>(id)) {
    case action::text_1:
        return yy_1_text(b, captured);
    case action::num_1:
        return yy_1_num(b, captured);
    case action::file_1:
        return yy_1_file(b, captured);
    default:
        return action_functions[id](b, captured);
    }
}

} // namespace morvane
