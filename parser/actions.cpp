#include "parser/actions.hpp"

#include "model/operations.hpp"
#include "model/sprite_statements.hpp"

namespace morvane {
namespace {

using action_fn = action_function;

// A statement's action: stores the popped text in a field of the record under
// the cursor; with no cursor nothing is popped.
template <auto Cursor, auto Field> void store(builder& b, std::string_view) {
    if (auto* record = b.*Cursor; record != nullptr) record->*Field = b.pop();
}
// The action after a nested block, or at a top-level one: its cursor is let go.
template <auto Cursor> void clear(builder& b, std::string_view) { b.*Cursor = nullptr; }

void yy_position_head(builder&, std::string_view) {}

// Top-level blocks.
constexpr action_fn yy_1_block = clear<&builder::current_character>;
constexpr action_fn yy_2_block = clear<&builder::current_frame>;
constexpr action_fn yy_3_block = clear<&builder::current_charmap>;

// Characters and their variables.
void yy_1_character_block(builder& b, std::string_view) {
    b.current_character = get_character(b.doc, text());
}
constexpr action_fn yy_2_character_block = store<&builder::current_character, &character::name>;
constexpr action_fn yy_3_character_block = clear<&builder::current_variable>;
constexpr action_fn yy_4_character_block = clear<&builder::current_anim>;

void yy_1_variable_block(builder& b, std::string_view) {
    b.current_variable = get_variable(b.doc, b.current_character, text());
}
constexpr action_fn yy_2_variable_block = store<&builder::current_variable, &variable::name>;
constexpr action_fn yy_3_variable_block =
    store<&builder::current_variable, &variable::default_value>;

// Charmaps and their maps.
void yy_1_charmap_block(builder& b, std::string_view) {
    b.current_charmap = new_charmap(b.doc, text());
}
constexpr action_fn yy_2_charmap_block = store<&builder::current_charmap, &charmap::name>;

void yy_1_map_block(builder& b, std::string_view) {
    b.current_map = get_map(b.doc, b.current_charmap, text());
}
constexpr action_fn yy_2_map_block = store<&builder::current_map, &map::folder>;
constexpr action_fn yy_3_map_block = store<&builder::current_map, &map::display>;

// Frames, collision rectangles and points.
void yy_1_frame_block(builder& b, std::string_view) {
    b.current_frame = get_frame(b.doc, text());
    b.sprite_count = 0;
}
constexpr action_fn yy_2_frame_block = store<&builder::current_frame, &frame::name>;

void yy_1_collision_rect_block(builder& b, std::string_view) {
    b.current_colrect = get_colrect(b.doc, b.current_frame, text());
}
constexpr action_fn yy_2_collision_rect_block = store<&builder::current_colrect, &colrect::name>;
constexpr action_fn yy_3_collision_rect_block = store<&builder::current_colrect, &colrect::x>;
constexpr action_fn yy_4_collision_rect_block = store<&builder::current_colrect, &colrect::y>;
constexpr action_fn yy_5_collision_rect_block = store<&builder::current_colrect, &colrect::width>;
constexpr action_fn yy_6_collision_rect_block = store<&builder::current_colrect, &colrect::height>;
constexpr action_fn yy_7_collision_rect_block = store<&builder::current_colrect, &colrect::value>;
constexpr action_fn yy_8_collision_rect_block = store<&builder::current_colrect, &colrect::color>;

void yy_1_point_block(builder& b, std::string_view) {
    b.current_point = get_point(b.doc, b.current_frame, text());
}
constexpr action_fn yy_2_point_block = store<&builder::current_point, &point::name>;
constexpr action_fn yy_3_point_block = store<&builder::current_point, &point::x>;
constexpr action_fn yy_4_point_block = store<&builder::current_point, &point::y>;
constexpr action_fn yy_5_point_block = store<&builder::current_point, &point::type>;

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
template <action A> void store_sprite_statement(builder& b, std::string_view) {
    constexpr auto i =
        static_cast<std::size_t>(A) - static_cast<std::size_t>(action::sprite_block_2);
    if (b.current_sprite != nullptr)
        b.current_sprite->set(sprite_statements[i].field, b.pop(), b.doc.storage());
}
#define MORVANE_SPRITE_STATEMENT_ACTION(rule, n)                                                   \
    constexpr action_fn yy_##n##_##rule = store_sprite_statement<action::rule##_##n>;
MORVANE_SPRITE_STATEMENT_ACTIONS(MORVANE_SPRITE_STATEMENT_ACTION)
#undef MORVANE_SPRITE_STATEMENT_ACTION

// Animations: frames numbered within their animation, sounds within their frame.
void yy_1_animation_block(builder& b, std::string_view) {
    b.current_anim = get_anim(b.doc, b.current_character, text());
    b.anim_frame_count = 0;
}
constexpr action_fn yy_2_animation_block = store<&builder::current_anim, &anim::name>;
constexpr action_fn yy_3_animation_block = clear<&builder::current_anim_frame>;

void yy_1_anim_frame_block(builder& b, std::string_view) {
    b.current_anim_frame =
        new_anim_frame(b.doc, b.current_anim, b.doc.index_text(b.anim_frame_count));
    ++b.anim_frame_count;
    b.sound_count = 0;
}
constexpr action_fn yy_2_anim_frame_block = store<&builder::current_anim_frame, &anim_frame::name>;
constexpr action_fn yy_3_anim_frame_block =
    store<&builder::current_anim_frame, &anim_frame::duration>;
constexpr action_fn yy_4_anim_frame_block = clear<&builder::current_sound>;
constexpr action_fn yy_5_anim_frame_block = clear<&builder::current_variable_change>;

void yy_1_sound_block(builder& b, std::string_view) {
    b.current_sound = new_sound(b.doc, b.current_anim_frame, b.doc.index_text(b.sound_count));
    ++b.sound_count;
}
constexpr action_fn yy_2_sound_block = store<&builder::current_sound, &sound::name>;
constexpr action_fn yy_3_sound_block = store<&builder::current_sound, &sound::volume>;

void yy_1_variable_change_block(builder& b, std::string_view) {
    b.current_variable_change = get_variable_change(b.doc, b.current_anim_frame, text());
}
constexpr action_fn yy_2_variable_change_block =
    store<&builder::current_variable_change, &variable_change::name>;
constexpr action_fn yy_3_variable_change_block =
    store<&builder::current_variable_change, &variable_change::value>;

#define MORVANE_ACTION_FUNCTION(rule, n) yy_##n##_##rule,
constexpr std::array<action_fn, static_cast<std::size_t>(action::count)> actions{
    MORVANE_ACTIONS(MORVANE_ACTION_FUNCTION)};
#undef MORVANE_ACTION_FUNCTION

} // namespace

const std::array<action_function, static_cast<std::size_t>(action::count)> action_functions =
    actions;

} // namespace morvane
