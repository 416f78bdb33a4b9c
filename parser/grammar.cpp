#include "parser/grammar.hpp"

namespace morvane {
using namespace old_format_classes;
using enum statement_shape;
using p = old_format_parser;

// The keyword that opens each block: its rule's head matches it, and the block
// around it tries that rule only where the keyword's first byte stands.
namespace opens {
constexpr keyword character = "char", variable = "var", charmap = "charmap", map = "map",
                  frame = "frame", collision_rect = "colrect", point = "point", sprite = "sprite",
                  animation = "anim", anim_frame = "frame", sound = "sound",
                  variable_change = "variable change";
} // namespace opens

int old_format_parser::yyparse(builder& b) {
    return yyparse(b, [](std::uint8_t, std::string_view) {});
}

// spacing: ( [\t ] / "\r\n" / "\n" / "\r" )*
inline void old_format_parser::yy_spacing(cursor& c) { c.skip<space_bytes>(); }

// semicolon: ";" spacing
inline bool old_format_parser::yy_semicolon(cursor& c) {
    if (!c.literal(';')) return false;
    yy_spacing(c);
    return true;
}

// text: < [.A-Z_a-z] ( [.0-9A-Z\\_a-z] / " " )* > {1}
inline std::optional<old_format_parser::value> old_format_parser::yy_text(cursor& c) {
    const std::size_t begin = c.pos();
    if (!c.member(text_first, "a name")) return std::nullopt;
    c.skip<text_rest>();
    return value{{begin, c.pos()}, action::text_1};
}

// num: < "-"? [0-9]* > spacing {1}
inline old_format_parser::value old_format_parser::yy_num(cursor& c) {
    const std::size_t begin = c.pos();
    c.take('-');
    c.skip<digit_bytes>();
    const capture digits{begin, c.pos()};
    // A number may be empty, so where it ends a digit could have gone on.
    c.expect(digits.end, {digits.end == begin ? "a number" : "a digit", false});
    yy_spacing(c);
    return {digits, action::num_1};
}

// file: < ( !semicolon . )* > {1}. Since spacing always matches, this takes
// every byte up to the next ";" or the end of the input.
inline old_format_parser::value old_format_parser::yy_file(cursor& c) {
    const std::size_t begin = c.pos();
    c.skip_to(';');
    return {{begin, c.pos()}, action::file_1};
}

// KEY "]" spacing VALUE semicolon {done}, where VALUE is, by the shape:
//   name: text spacing / number: num / file: file / tight_text: text
template <statement_shape Shape>
bool old_format_parser::statement_of(const keyword& key, action_id done) {
    cursor c = at();
    if (!c.yymatchString(key) || !c.literal(']')) return false;
    yy_spacing(c);
    std::optional<value> v;
    if constexpr (Shape == statement_shape::name || Shape == statement_shape::tight_text) {
        v = yy_text(c);
        if (Shape == statement_shape::name && v) yy_spacing(c);
    } else if constexpr (Shape == statement_shape::number) {
        v = yy_num(c);
    } else {
        v = yy_file(c);
    }
    if (!v || !yy_semicolon(c)) return false;
    record_statement(c, v->action, v->bytes, done);
    return true;
}

// KEY "]" spacing {a}
inline bool old_format_parser::head(const keyword& key, action_id a) {
    cursor c = at();
    const std::size_t keyword_at = c.pos();
    if (!c.yymatchString(key) || !c.literal(']')) return false;
    yy_spacing(c);
    if (recording_positions())
        record_statement(c, action::head_position, {keyword_at, keyword_at}, a);
    else {
        advance(c);
        yyDo(a);
    }
    return true;
}

template <const auto& Rules> bool old_format_parser::element() {
    const mark m = save();
    cursor c = at();
    if (!c.literal('[')) return false;
    yy_spacing(c);
    advance(c);
    const int byte = c.available() ? static_cast<unsigned char>(c.peek()) : -1;
    if (tracking_failures()) {
        for (const element_rule& rule : Rules)
            if (static_cast<unsigned char>(rule.key.text.front()) != byte)
                c.expect(c.pos(), {rule.key.text, true});
    }
    if (byte >= 0 && first_matching<Rules>(byte, std::make_index_sequence<std::size(Rules)>()))
        return true;
    restore(m);
    return false;
}

template <const auto& Rules, std::size_t I> bool old_format_parser::alternative() {
    constexpr const element_rule& rule = Rules[I];
    if constexpr (rule.nested == nullptr) {
        return statement_of<rule.shape>(rule.key, *rule.done);
    } else {
        const mark m = save();
        if ((this->*rule.nested)() && close_block()) {
            if constexpr (rule.done.has_value()) yyDo(*rule.done);
            return true;
        }
        restore(m);
        return false;
    }
}

// "!" spacing
inline bool old_format_parser::close_block() {
    cursor c = at();
    if (!c.literal('!')) return false;
    yy_spacing(c);
    advance(c);
    return true;
}

// start: spacing block* !.
bool old_format_parser::yy_start() {
    const mark m = save();
    (void)match_part({});
    if (at().end("end of input")) return true;
    restore(m);
    return false;
}

std::size_t old_format_parser::match_part(std::span<const std::size_t> stops) {
    cursor c = at();
    yy_spacing(c);
    advance(c);
    for (std::size_t next = 0;;) {
        while (next < stops.size() && stops[next] < position()) ++next;
        if (next < stops.size() && stops[next] == position()) return next;
        if (!yy_block()) return stops.size();
    }
}

// block: "[" spacing ( character_block {1} / frame_block {2} / charmap_block {3} ) "!" spacing
constexpr old_format_parser::element_rule old_format_parser::top_level_blocks[3]{
    {opens::character, &p::yy_character_block, action::block_1},
    {opens::frame, &p::yy_frame_block, action::block_2},
    {opens::charmap, &p::yy_charmap_block, action::block_3},
};
bool old_format_parser::yy_block() { return element<top_level_blocks>(); }

std::size_t old_format_parser::guess_block_start(std::string_view input, std::size_t from) {
    const auto space = [&input](std::size_t at) {
        return space_bytes.contains(static_cast<unsigned char>(input[at]));
    };
    for (std::size_t at = from; (at = input.find('[', at)) != std::string_view::npos; ++at) {
        std::size_t before = at, key = at + 1;
        while (before > 0 && space(before - 1)) --before;
        while (key < input.size() && space(key)) ++key;
        if (before == 0 || input[before - 1] != '!') continue;
        for (const element_rule& block : top_level_blocks)
            if (input.substr(key).starts_with(block.key.text) &&
                input.substr(key + block.key.text.size()).starts_with(']'))
                return at;
    }
    return input.size();
}

// character_block: "char" "]" spacing {1} ( "[" spacing "name" "]" spacing text spacing
//   semicolon {2} / "[" spacing ( variable_block {3} / animation_block {4} ) "!" spacing )*
bool old_format_parser::yy_character_block() {
    static constexpr element_rule elements_of[]{
        {"name", name, action::character_block_2},
        {opens::variable, &p::yy_variable_block, action::character_block_3},
        {opens::animation, &p::yy_animation_block, action::character_block_4},
    };
    return block<elements_of>(opens::character, action::character_block_1);
}

// variable_block: "var" "]" spacing {1} ( "[" spacing "name" "]" spacing text spacing
//   semicolon {2} / "[" spacing "default" "]" spacing num semicolon {3} )*
bool old_format_parser::yy_variable_block() {
    static constexpr element_rule elements_of[]{
        {"name", name, action::variable_block_2},
        {"default", number, action::variable_block_3},
    };
    return block<elements_of>(opens::variable, action::variable_block_1);
}

// charmap_block: "charmap" "]" spacing {1} ( "[" spacing "name" "]" spacing text spacing
//   semicolon {2} / "[" spacing map_block "!" spacing )*
bool old_format_parser::yy_charmap_block() {
    static constexpr element_rule elements_of[]{
        {"name", name, action::charmap_block_2},
        {opens::map, &p::yy_map_block},
    };
    return block<elements_of>(opens::charmap, action::charmap_block_1);
}

// map_block: "map" "]" spacing {1} ( "[" spacing "folder" "]" spacing text semicolon {2}
//   / "[" spacing "display" "]" spacing text semicolon {3} )*
bool old_format_parser::yy_map_block() {
    static constexpr element_rule elements_of[]{
        {"folder", tight_text, action::map_block_2},
        {"display", tight_text, action::map_block_3},
    };
    return block<elements_of>(opens::map, action::map_block_1);
}

// frame_block: "frame" "]" spacing {1} ( "[" spacing "name" "]" spacing text spacing
//   semicolon {2} / "[" spacing ( sprite_block / collision_rect_block / point_block ) "!"
//   spacing )*
bool old_format_parser::yy_frame_block() {
    static constexpr element_rule elements_of[]{
        {"name", name, action::frame_block_2},
        {opens::sprite, &p::yy_sprite_block},
        {opens::collision_rect, &p::yy_collision_rect_block},
        {opens::point, &p::yy_point_block},
    };
    return block<elements_of>(opens::frame, action::frame_block_1);
}

// collision_rect_block: "colrect" "]" spacing {1} ( "[" spacing "name" "]" spacing text
//   spacing semicolon {2} / "[" spacing "x" "]" spacing num semicolon {3} / "[" spacing "y" "]"
//   spacing num semicolon {4} / "[" spacing "width" "]" spacing num semicolon {5} / "[" spacing
//   "height" "]" spacing num semicolon {6} / "[" spacing "value" "]" spacing num semicolon {7}
//   / "[" spacing "color" "]" spacing num semicolon {8} )*
bool old_format_parser::yy_collision_rect_block() {
    static constexpr element_rule elements_of[]{
        {"name", name, action::collision_rect_block_2},
        {"x", number, action::collision_rect_block_3},
        {"y", number, action::collision_rect_block_4},
        {"width", number, action::collision_rect_block_5},
        {"height", number, action::collision_rect_block_6},
        {"value", number, action::collision_rect_block_7},
        {"color", number, action::collision_rect_block_8},
    };
    return block<elements_of>(opens::collision_rect, action::collision_rect_block_1);
}

// point_block: "point" "]" spacing {1} ( "[" spacing "name" "]" spacing text spacing
//   semicolon {2} / "[" spacing "x" "]" spacing num semicolon {3} / "[" spacing "y" "]" spacing
//   num semicolon {4} / "[" spacing "type" "]" spacing num semicolon {5} )*
bool old_format_parser::yy_point_block() {
    static constexpr element_rule elements_of[]{
        {"name", name, action::point_block_2},
        {"x", number, action::point_block_3},
        {"y", number, action::point_block_4},
        {"type", number, action::point_block_5},
    };
    return block<elements_of>(opens::point, action::point_block_1);
}

// Statement i of sprite_statements records sprite_block_(i + 2).
template <std::size_t... I>
consteval std::array<old_format_parser::element_rule, sizeof...(I)>
old_format_parser::sprite_elements(std::index_sequence<I...>) {
    return {
        element_rule(keyword(sprite_statements[I].keyword), sprite_statements[I].shape,
                     static_cast<action>(static_cast<std::size_t>(action::sprite_block_2) + I))...};
}

// sprite_block: "sprite" "]" spacing {1} ( "[" spacing "width" "]" spacing num semicolon {2}
//   / "[" spacing "height" "]" spacing num semicolon {3} / "[" spacing "color" "]" spacing num
//   semicolon {4} / "[" spacing "angle" "]" spacing num semicolon {5} / "[" spacing "image" "]"
//   spacing file semicolon {6} / "[" spacing "ink" "]" spacing text semicolon {7} / "[" spacing
//   "opacity" "]" spacing num semicolon {8} / "[" spacing "x flip" "]" spacing num semicolon {9}
//   / "[" spacing "y flip" "]" spacing num semicolon {10} / "[" spacing "x" "]" spacing num
//   semicolon {11} / "[" spacing "y" "]" spacing num semicolon {12} )*
bool old_format_parser::yy_sprite_block() {
    static constexpr auto elements_of =
        sprite_elements(std::make_index_sequence<sprite_statements.size()>());
    return block<elements_of>(opens::sprite, action::sprite_block_1);
}

// animation_block: "anim" "]" spacing {1} ( "[" spacing "name" "]" spacing text spacing
//   semicolon {2} / "[" spacing anim_frame_block "!" spacing {3} )*
bool old_format_parser::yy_animation_block() {
    static constexpr element_rule elements_of[]{
        {"name", name, action::animation_block_2},
        {opens::anim_frame, &p::yy_anim_frame_block, action::animation_block_3},
    };
    return block<elements_of>(opens::animation, action::animation_block_1);
}

// anim_frame_block: "frame" "]" spacing {1} ( "[" spacing "name" "]" spacing text spacing
//   semicolon {2} / "[" spacing ( "duration" "]" spacing num semicolon {3} / ( sound_block {4}
//   / variable_change_block {5} ) "!" spacing ) )*
bool old_format_parser::yy_anim_frame_block() {
    static constexpr element_rule elements_of[]{
        {"name", name, action::anim_frame_block_2},
        {"duration", number, action::anim_frame_block_3},
        {opens::sound, &p::yy_sound_block, action::anim_frame_block_4},
        {opens::variable_change, &p::yy_variable_change_block, action::anim_frame_block_5},
    };
    return block<elements_of>(opens::anim_frame, action::anim_frame_block_1);
}

// sound_block: "sound" "]" spacing {1} ( "[" spacing "name" "]" spacing text spacing
//   semicolon {2} / "[" spacing "volume" "]" spacing num semicolon {3} )*
bool old_format_parser::yy_sound_block() {
    static constexpr element_rule elements_of[]{
        {"name", name, action::sound_block_2},
        {"volume", number, action::sound_block_3},
    };
    return block<elements_of>(opens::sound, action::sound_block_1);
}

// variable_change_block: "variable change" "]" spacing {1} ( "[" spacing "name" "]" spacing
//   text spacing semicolon {2} / "[" spacing "value" "]" spacing num semicolon {3} )*
bool old_format_parser::yy_variable_change_block() {
    static constexpr element_rule elements_of[]{
        {"name", name, action::variable_change_block_2},
        {"value", number, action::variable_change_block_3},
    };
    return block<elements_of>(opens::variable_change, action::variable_change_block_1);
}

} // namespace morvane
