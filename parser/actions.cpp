#include "parser/actions.hpp"

#include "model/operations.hpp"
#include "model/sprite_statements.hpp"

namespace morvane {
namespace {

using action_fn = action_function;

// Stores the popped text through the cursor; with no cursor nothing is popped.
template <class R> void store(builder& b, R* cursor, text R::*field) {
    if (cursor != nullptr) cursor->*field = b.pop();
}

void yy_position_head(builder&, std::string_view) {}

// Top-level blocks.
void yy_1_block(builder& b, std::string_view) { b.current_character = nullptr; }
void yy_2_block(builder& b, std::string_view) { b.current_frame = nullptr; }
void yy_3_block(builder& b, std::string_view) { b.current_charmap = nullptr; }

// Characters and their variables.
void yy_1_character_block(builder& b, std::string_view) {
    b.current_character = get_character(b.doc, text());
}
void yy_2_character_block(builder& b, std::string_view) {
    store(b, b.current_character, &character::name);
}
void yy_3_character_block(builder& b, std::string_view) { b.current_variable = nullptr; }
void yy_4_character_block(builder& b, std::string_view) { b.current_anim = nullptr; }

void yy_1_variable_block(builder& b, std::string_view) {
    b.current_variable = get_variable(b.doc, b.current_character, text());
}
void yy_2_variable_block(builder& b, std::string_view) {
    store(b, b.current_variable, &variable::name);
}
void yy_3_variable_block(builder& b, std::string_view) {
    store(b, b.current_variable, &variable::default_value);
}

// Charmaps and their maps.
void yy_1_charmap_block(builder& b, std::string_view) {
    b.current_charmap = new_charmap(b.doc, text());
}
void yy_2_charmap_block(builder& b, std::string_view) {
    store(b, b.current_charmap, &charmap::name);
}

void yy_1_map_block(builder& b, std::string_view) {
    b.current_map = get_map(b.doc, b.current_charmap, text());
}
void yy_2_map_block(builder& b, std::string_view) { store(b, b.current_map, &map::folder); }
void yy_3_map_block(builder& b, std::string_view) { store(b, b.current_map, &map::display); }

// Frames, collision rectangles and points.
void yy_1_frame_block(builder& b, std::string_view) {
    b.current_frame = get_frame(b.doc, text());
    b.sprite_count = 0;
}
void yy_2_frame_block(builder& b, std::string_view) { store(b, b.current_frame, &frame::name); }

void yy_1_collision_rect_block(builder& b, std::string_view) {
    b.current_colrect = get_colrect(b.doc, b.current_frame, text());
}
void yy_2_collision_rect_block(builder& b, std::string_view) {
    store(b, b.current_colrect, &colrect::name);
}
void yy_3_collision_rect_block(builder& b, std::string_view) {
    store(b, b.current_colrect, &colrect::x);
}
void yy_4_collision_rect_block(builder& b, std::string_view) {
    store(b, b.current_colrect, &colrect::y);
}
void yy_5_collision_rect_block(builder& b, std::string_view) {
    store(b, b.current_colrect, &colrect::width);
}
void yy_6_collision_rect_block(builder& b, std::string_view) {
    store(b, b.current_colrect, &colrect::height);
}
void yy_7_collision_rect_block(builder& b, std::string_view) {
    store(b, b.current_colrect, &colrect::value);
}
void yy_8_collision_rect_block(builder& b, std::string_view) {
    store(b, b.current_colrect, &colrect::color);
}

void yy_1_point_block(builder& b, std::string_view) {
    b.current_point = get_point(b.doc, b.current_frame, text());
}
void yy_2_point_block(builder& b, std::string_view) { store(b, b.current_point, &point::name); }
void yy_3_point_block(builder& b, std::string_view) { store(b, b.current_point, &point::x); }
void yy_4_point_block(builder& b, std::string_view) { store(b, b.current_point, &point::y); }
void yy_5_point_block(builder& b, std::string_view) { store(b, b.current_point, &point::type); }

// Sprites: numbered "0", "1", ... within their frame.
void yy_1_sprite_block(builder& b, std::string_view) {
    b.current_sprite = new_sprite(b.doc, b.current_frame, b.doc.index_text(b.sprite_count));
    ++b.sprite_count;
}
// A sprite statement stores the popped text in its field of the current
// sprite; with no sprite nothing is popped.
static_assert(static_cast<std::size_t>(action::sprite_block_12) -
                  static_cast<std::size_t>(action::sprite_block_2) + 1 ==
              sprite_statements.size());
template <action A> void store_sprite_statement(builder& b) {
    constexpr auto i =
        static_cast<std::size_t>(A) - static_cast<std::size_t>(action::sprite_block_2);
    if (b.current_sprite != nullptr)
        b.current_sprite->set(sprite_statements[i].field, b.pop(), b.doc.storage());
}
#define MORVANE_SPRITE_STATEMENT_ACTION(rule, n)                                                   \
    void yy_##n##_##rule(builder& b, std::string_view) {                                           \
        store_sprite_statement<action::rule##_##n>(b);                                             \
    }
MORVANE_SPRITE_STATEMENT_ACTIONS(MORVANE_SPRITE_STATEMENT_ACTION)
#undef MORVANE_SPRITE_STATEMENT_ACTION

// Animations: frames numbered within their animation, sounds within their frame.
void yy_1_animation_block(builder& b, std::string_view) {
    b.current_anim = get_anim(b.doc, b.current_character, text());
    b.anim_frame_count = 0;
}
void yy_2_animation_block(builder& b, std::string_view) { store(b, b.current_anim, &anim::name); }
void yy_3_animation_block(builder& b, std::string_view) { b.current_anim_frame = nullptr; }

void yy_1_anim_frame_block(builder& b, std::string_view) {
    b.current_anim_frame =
        new_anim_frame(b.doc, b.current_anim, b.doc.index_text(b.anim_frame_count));
    ++b.anim_frame_count;
    b.sound_count = 0;
}
void yy_2_anim_frame_block(builder& b, std::string_view) {
    store(b, b.current_anim_frame, &anim_frame::name);
}
void yy_3_anim_frame_block(builder& b, std::string_view) {
    store(b, b.current_anim_frame, &anim_frame::duration);
}
void yy_4_anim_frame_block(builder& b, std::string_view) { b.current_sound = nullptr; }
void yy_5_anim_frame_block(builder& b, std::string_view) { b.current_variable_change = nullptr; }

void yy_1_sound_block(builder& b, std::string_view) {
    b.current_sound = new_sound(b.doc, b.current_anim_frame, b.doc.index_text(b.sound_count));
    ++b.sound_count;
}
void yy_2_sound_block(builder& b, std::string_view) { store(b, b.current_sound, &sound::name); }
void yy_3_sound_block(builder& b, std::string_view) { store(b, b.current_sound, &sound::volume); }

void yy_1_variable_change_block(builder& b, std::string_view) {
    b.current_variable_change = get_variable_change(b.doc, b.current_anim_frame, text());
}
void yy_2_variable_change_block(builder& b, std::string_view) {
    store(b, b.current_variable_change, &variable_change::name);
}
void yy_3_variable_change_block(builder& b, std::string_view) {
    store(b, b.current_variable_change, &variable_change::value);
}

#define MORVANE_ACTION_FUNCTION(rule, n) yy_##n##_##rule,
constexpr std::array<action_fn, static_cast<std::size_t>(action::count)> actions{
    MORVANE_ACTIONS(MORVANE_ACTION_FUNCTION)};
#undef MORVANE_ACTION_FUNCTION

} // namespace

const std::array<action_function, static_cast<std::size_t>(action::count)> action_functions =
    actions;

} // namespace morvane
