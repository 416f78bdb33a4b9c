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
// The sprite statements' actions: the i-th stores into the field of
// sprite_statements[i] (model/sprite_statements.hpp).
#define MORVANE_SPRITE_STATEMENT_ACTIONS(X)                                                   \
    X(sprite_block, 2) X(sprite_block, 3) X(sprite_block, 4) X(sprite_block, 5)               \
    X(sprite_block, 6) X(sprite_block, 7) X(sprite_block, 8) X(sprite_block, 9)               \
    X(sprite_block, 10) X(sprite_block, 11) X(sprite_block, 12)
// clang-format on

// Every action in id order: X(rule, n) is the n-th action of rule, whose id is
// action::rule_n and whose function is yy_n_rule. The value rules' actions come
// first, since the log holds their ids in two bits. X(head, position) is no
// action of the grammar: recorded before a block's first action, only when
// positions are asked for, it carries where that block's keyword stands and
// runs nothing.
// clang-format off
#define MORVANE_ACTIONS(X)                                                                    \
    X(text, 1) X(num, 1) X(file, 1)                                                           \
    X(head, position)                                                                         \
    X(block, 1) X(block, 2) X(block, 3)                                                       \
    X(character_block, 1) X(character_block, 2) X(character_block, 3) X(character_block, 4)   \
    X(variable_block, 1) X(variable_block, 2) X(variable_block, 3)                            \
    X(charmap_block, 1) X(charmap_block, 2)                                                   \
    X(map_block, 1) X(map_block, 2) X(map_block, 3)                                           \
    X(frame_block, 1) X(frame_block, 2)                                                       \
    X(collision_rect_block, 1) X(collision_rect_block, 2) X(collision_rect_block, 3)          \
    X(collision_rect_block, 4) X(collision_rect_block, 5) X(collision_rect_block, 6)          \
    X(collision_rect_block, 7) X(collision_rect_block, 8)                                     \
    X(point_block, 1) X(point_block, 2) X(point_block, 3) X(point_block, 4) X(point_block, 5) \
    X(sprite_block, 1) MORVANE_SPRITE_STATEMENT_ACTIONS(X)                                    \
    X(animation_block, 1) X(animation_block, 2) X(animation_block, 3)                         \
    X(anim_frame_block, 1) X(anim_frame_block, 2) X(anim_frame_block, 3)                      \
    X(anim_frame_block, 4) X(anim_frame_block, 5)                                             \
    X(sound_block, 1) X(sound_block, 2) X(sound_block, 3)                                     \
    X(variable_change_block, 1) X(variable_change_block, 2) X(variable_change_block, 3)
// clang-format on

#define MORVANE_ACTION_ID(rule, n) rule##_##n,
enum class action : std::uint8_t { MORVANE_ACTIONS(MORVANE_ACTION_ID) count };
#undef MORVANE_ACTION_ID

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
