#include "parser/grammar.hpp"

namespace morvane {
using namespace old_format_classes;

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
template <old_format_parser::statement_shape Shape>
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

bool old_format_parser::statement(const statement_rule& rule) {
    using enum statement_shape;
    switch (rule.shape) {
    case name:
        return statement_of<name>(rule.key, rule.done);
    case number:
        return statement_of<number>(rule.key, rule.done);
    case file:
        return statement_of<file>(rule.key, rule.done);
    case tight_text:
        return statement_of<tight_text>(rule.key, rule.done);
    }
    return false;
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

template <std::size_t N> bool old_format_parser::first_statement(const statement_table<N>& table) {
    cursor c = at();
    const int byte = c.available() ? static_cast<unsigned char>(c.peek()) : -1;
    if (tracking_failures()) {
        for (const statement_rule& rule : table.rules)
            if (static_cast<unsigned char>(rule.key.text.front()) != byte)
                c.expect(c.pos(), {rule.key.text, true});
    }
    if (byte < 0) return false;
    for (std::size_t i = table.first_with[static_cast<std::size_t>(byte)]; i < N;
         i = table.next_with[i])
        if (statement(table.rules[i])) return true;
    return false;
}

// "!" spacing
inline bool old_format_parser::close_block() {
    cursor c = at();
    if (!c.literal('!')) return false;
    yy_spacing(c);
    advance(c);
    return true;
}

// ( "[" spacing ELEMENT )*
template <class Element> void old_format_parser::elements(Element&& element) {
    for (;;) {
        const mark m = save();
        cursor c = at();
        if (!c.literal('[')) return;
        yy_spacing(c);
        advance(c);
        if (!element()) {
            restore(m);
            return;
        }
    }
}

// start: spacing block* !.
bool old_format_parser::yy_start() {
    const mark m = save();
    cursor c = at();
    yy_spacing(c);
    advance(c);
    while (yy_block()) {
    }
    if (at().end("end of input")) return true;
    restore(m);
    return false;
}

// block: "[" spacing ( character_block {1} / frame_block {2} / charmap_block {3} ) "!" spacing
bool old_format_parser::yy_block() {
    const mark m = save();
    cursor c = at();
    if (!c.literal('[')) return false;
    yy_spacing(c);
    advance(c);
    if (yy_character_block())
        yyDo(action::block_1);
    else if (yy_frame_block())
        yyDo(action::block_2);
    else if (yy_charmap_block())
        yyDo(action::block_3);
    else {
        restore(m);
        return false;
    }
    if (!close_block()) {
        restore(m);
        return false;
    }
    return true;
}

// character_block: "char" "]" spacing {1} ( "[" spacing "name" "]" spacing text spacing
//   semicolon {2} / "[" spacing ( variable_block {3} / animation_block {4} ) "!" spacing )*
bool old_format_parser::yy_character_block() {
    if (!head("char", action::character_block_1)) return false;
    elements([this] {
        if (name_statement("name", action::character_block_2)) return true;
        const mark m = save();
        bool nested = false;
        if (yy_variable_block()) {
            yyDo(action::character_block_3);
            nested = true;
        } else if (yy_animation_block()) {
            yyDo(action::character_block_4);
            nested = true;
        }
        if (nested && close_block()) return true;
        restore(m);
        return false;
    });
    return true;
}

// variable_block: "var" "]" spacing {1} ( "[" spacing "name" "]" spacing text spacing
//   semicolon {2} / "[" spacing "default" "]" spacing num semicolon {3} )*
bool old_format_parser::yy_variable_block() {
    if (!head("var", action::variable_block_1)) return false;
    elements([this] {
        return name_statement("name", action::variable_block_2) ||
               num_statement("default", action::variable_block_3);
    });
    return true;
}

// charmap_block: "charmap" "]" spacing {1} ( "[" spacing "name" "]" spacing text spacing
//   semicolon {2} / "[" spacing map_block "!" spacing )*
bool old_format_parser::yy_charmap_block() {
    if (!head("charmap", action::charmap_block_1)) return false;
    elements([this] {
        if (name_statement("name", action::charmap_block_2)) return true;
        const mark m = save();
        if (yy_map_block() && close_block()) return true;
        restore(m);
        return false;
    });
    return true;
}

// map_block: "map" "]" spacing {1} ( "[" spacing "folder" "]" spacing text semicolon {2}
//   / "[" spacing "display" "]" spacing text semicolon {3} )*
bool old_format_parser::yy_map_block() {
    if (!head("map", action::map_block_1)) return false;
    elements([this] {
        using enum statement_shape;
        return statement_of<tight_text>("folder", action::map_block_2) ||
               statement_of<tight_text>("display", action::map_block_3);
    });
    return true;
}

// frame_block: "frame" "]" spacing {1} ( "[" spacing "name" "]" spacing text spacing
//   semicolon {2} / "[" spacing ( sprite_block / collision_rect_block / point_block ) "!"
//   spacing )*
bool old_format_parser::yy_frame_block() {
    if (!head("frame", action::frame_block_1)) return false;
    elements([this] {
        if (name_statement("name", action::frame_block_2)) return true;
        const mark m = save();
        if ((yy_sprite_block() || yy_collision_rect_block() || yy_point_block()) && close_block())
            return true;
        restore(m);
        return false;
    });
    return true;
}

// collision_rect_block: "colrect" "]" spacing {1} ( "[" spacing "name" "]" spacing text
//   spacing semicolon {2} / "[" spacing "x" "]" spacing num semicolon {3} / "[" spacing "y" "]"
//   spacing num semicolon {4} / "[" spacing "width" "]" spacing num semicolon {5} / "[" spacing
//   "height" "]" spacing num semicolon {6} / "[" spacing "value" "]" spacing num semicolon {7}
//   / "[" spacing "color" "]" spacing num semicolon {8} )*
bool old_format_parser::yy_collision_rect_block() {
    if (!head("colrect", action::collision_rect_block_1)) return false;
    using enum statement_shape;
    static constexpr statement_table<7> statements{std::array<statement_rule, 7>{{
        {"name", name, action::collision_rect_block_2},
        {"x", number, action::collision_rect_block_3},
        {"y", number, action::collision_rect_block_4},
        {"width", number, action::collision_rect_block_5},
        {"height", number, action::collision_rect_block_6},
        {"value", number, action::collision_rect_block_7},
        {"color", number, action::collision_rect_block_8},
    }}};
    elements([this] { return first_statement(statements); });
    return true;
}

// point_block: "point" "]" spacing {1} ( "[" spacing "name" "]" spacing text spacing
//   semicolon {2} / "[" spacing "x" "]" spacing num semicolon {3} / "[" spacing "y" "]" spacing
//   num semicolon {4} / "[" spacing "type" "]" spacing num semicolon {5} )*
bool old_format_parser::yy_point_block() {
    if (!head("point", action::point_block_1)) return false;
    using enum statement_shape;
    static constexpr statement_table<4> statements{std::array<statement_rule, 4>{{
        {"name", name, action::point_block_2},
        {"x", number, action::point_block_3},
        {"y", number, action::point_block_4},
        {"type", number, action::point_block_5},
    }}};
    elements([this] { return first_statement(statements); });
    return true;
}

// sprite_block: "sprite" "]" spacing {1} ( "[" spacing "width" "]" spacing num semicolon {2}
//   / "[" spacing "height" "]" spacing num semicolon {3} / "[" spacing "color" "]" spacing num
//   semicolon {4} / "[" spacing "angle" "]" spacing num semicolon {5} / "[" spacing "image" "]"
//   spacing file semicolon {6} / "[" spacing "ink" "]" spacing text semicolon {7} / "[" spacing
//   "opacity" "]" spacing num semicolon {8} / "[" spacing "x flip" "]" spacing num semicolon {9}
//   / "[" spacing "y flip" "]" spacing num semicolon {10} / "[" spacing "x" "]" spacing num
//   semicolon {11} / "[" spacing "y" "]" spacing num semicolon {12} )*
bool old_format_parser::yy_sprite_block() {
    if (!head("sprite", action::sprite_block_1)) return false;
    using enum statement_shape;
    static constexpr statement_table<11> statements{std::array<statement_rule, 11>{{
        {"width", number, action::sprite_block_2},
        {"height", number, action::sprite_block_3},
        {"color", number, action::sprite_block_4},
        {"angle", number, action::sprite_block_5},
        {"image", file, action::sprite_block_6},
        {"ink", tight_text, action::sprite_block_7},
        {"opacity", number, action::sprite_block_8},
        {"x flip", number, action::sprite_block_9},
        {"y flip", number, action::sprite_block_10},
        {"x", number, action::sprite_block_11},
        {"y", number, action::sprite_block_12},
    }}};
    elements([this] { return first_statement(statements); });
    return true;
}

// animation_block: "anim" "]" spacing {1} ( "[" spacing "name" "]" spacing text spacing
//   semicolon {2} / "[" spacing anim_frame_block "!" spacing {3} )*
bool old_format_parser::yy_animation_block() {
    if (!head("anim", action::animation_block_1)) return false;
    elements([this] {
        if (name_statement("name", action::animation_block_2)) return true;
        const mark m = save();
        if (yy_anim_frame_block() && close_block()) {
            yyDo(action::animation_block_3);
            return true;
        }
        restore(m);
        return false;
    });
    return true;
}

// anim_frame_block: "frame" "]" spacing {1} ( "[" spacing "name" "]" spacing text spacing
//   semicolon {2} / "[" spacing ( "duration" "]" spacing num semicolon {3} / ( sound_block {4}
//   / variable_change_block {5} ) "!" spacing ) )*
bool old_format_parser::yy_anim_frame_block() {
    if (!head("frame", action::anim_frame_block_1)) return false;
    elements([this] {
        if (name_statement("name", action::anim_frame_block_2)) return true;
        if (num_statement("duration", action::anim_frame_block_3)) return true;
        const mark m = save();
        bool nested = false;
        if (yy_sound_block()) {
            yyDo(action::anim_frame_block_4);
            nested = true;
        } else if (yy_variable_change_block()) {
            yyDo(action::anim_frame_block_5);
            nested = true;
        }
        if (nested && close_block()) return true;
        restore(m);
        return false;
    });
    return true;
}

// sound_block: "sound" "]" spacing {1} ( "[" spacing "name" "]" spacing text spacing
//   semicolon {2} / "[" spacing "volume" "]" spacing num semicolon {3} )*
bool old_format_parser::yy_sound_block() {
    if (!head("sound", action::sound_block_1)) return false;
    elements([this] {
        return name_statement("name", action::sound_block_2) ||
               num_statement("volume", action::sound_block_3);
    });
    return true;
}

// variable_change_block: "variable change" "]" spacing {1} ( "[" spacing "name" "]" spacing
//   text spacing semicolon {2} / "[" spacing "value" "]" spacing num semicolon {3} )*
bool old_format_parser::yy_variable_change_block() {
    if (!head("variable change", action::variable_change_block_1)) return false;
    elements([this] {
        return name_statement("name", action::variable_change_block_2) ||
               num_statement("value", action::variable_change_block_3);
    });
    return true;
}

} // namespace morvane
