#include "parser/grammar.hpp"

#include <cstring>

namespace morvane {
using namespace old_format_classes;

namespace {

// Where the run of members from p ends; the NUL after the bytes read ends it.
std::size_t members_end(const char_class& members, const char* buf, std::size_t p) noexcept {
    static_assert(!space_bytes.contains(0) && !text_rest.contains(0));
    while (members.contains(static_cast<unsigned char>(buf[p]))) ++p;
    return p;
}

// Where a statement's value ends, given where it begins, or `none` where the
// value is not there (or not wholly within the bytes read).
constexpr std::size_t none = static_cast<std::size_t>(-1);

} // namespace

// KEY "]" spacing VALUE spacing ";" spacing {value} {a}, matched on a local
// copy of the position: value_end finds the value. Undecided where the
// primitives must decide.
template <class ValueEnd>
old_format_parser::local_match old_format_parser::local_statement(const keyword& key, action value,
                                                                  action a, ValueEnd value_end) {
    if (!local_matching() || key.text.size() > 8) return local_match::undecided;
    const char* buf = buffered().data();
    if (!keyword_at(buf + yypos, key)) return local_match::failed;
    std::size_t p = yypos + key.text.size();
    if (buf[p] != ']') return local_match::undecided;
    const std::size_t begin = members_end(space_bytes, buf, p + 1);
    const std::size_t end = value_end(buf, begin);
    if (end == none) return local_match::undecided;
    p = members_end(space_bytes, buf, end);
    if (buf[p] != ';') return local_match::undecided;
    p = members_end(space_bytes, buf, p + 1);
    if (p >= yylimit) return local_match::undecided;
    record_capture(static_cast<action_id>(value), begin, end, static_cast<action_id>(a));
    yypos = p;
    return local_match::matched;
}

int old_format_parser::yyparse(builder& b) {
    return yyparsefrom(
        [this] { return yy_start(); },
        [&b](action_id id, std::string_view captured) { run_action(b, id, captured); });
}

// start: spacing block* !.
bool old_format_parser::yy_start() {
    const mark m = save();
    yy_spacing();
    while (yy_block()) {
    }
    if (!match_end("end of input")) {
        restore(m);
        return false;
    }
    return true;
}

bool old_format_parser::yy_spacing() {
    skip_members(space_bytes);
    return true;
}

// semicolon: ";" spacing
bool old_format_parser::yy_semicolon() {
    if (!match_char(';')) return false;
    yy_spacing();
    return true;
}

// text: < [.A-Z_a-z] ( [.0-9A-Z\\_a-z] / " " )* > {1}
bool old_format_parser::yy_text() {
    begin_capture();
    if (!match_class(text_first, "a name")) return false;
    skip_members(text_rest);
    end_capture();
    record(action::text_1);
    return true;
}

// num: < "-"? [0-9]* > spacing {1}
bool old_format_parser::yy_num() {
    begin_capture();
    if (available() && peek() == '-') ++yypos;
    static_assert(digits.count() == 10 && digits.contains('0') && digits.contains('9'));
    skip_digits();
    end_capture();
    yy_spacing();
    record(action::num_1);
    return true;
}

// file: < ( !semicolon . )* > {1}. Since spacing always matches, this takes
// every byte up to the next ";" or the end of the input.
bool old_format_parser::yy_file() {
    begin_capture();
    for (;;) {
        if (yypos == yylimit && !yyrefill()) break;
        const char* from = buffered().data() + yypos;
        const void* found = std::memchr(from, ';', yylimit - yypos);
        if (found != nullptr) {
            yypos += static_cast<std::size_t>(static_cast<const char*>(found) - from);
            break;
        }
        yypos = yylimit;
    }
    end_capture();
    record(action::file_1);
    return true;
}

// The statement rules below first try to match on a local copy of the
// position, which keeps it out of memory; wherever that reaches the end of the
// bytes read, or the statement does not match after its keyword, the rule
// starts over through the primitives, which refill and name what they expected.

bool old_format_parser::head(const keyword& key, action a) {
    if (local_matching() && key.text.size() <= 8) {
        const char* buf = buffered().data();
        if (!keyword_at(buf + yypos, key)) return false;
        std::size_t p = yypos + key.text.size();
        if (buf[p] == ']') {
            p = members_end(space_bytes, buf, p + 1);
            if (p < yylimit) {
                yypos = p;
                record(a);
                return true;
            }
        }
    }
    const mark m = save();
    if (match_keyword(key) && match_char(']')) {
        yy_spacing();
        record(a);
        return true;
    }
    restore(m);
    return false;
}

bool old_format_parser::name_statement(const keyword& key, action a) {
    const auto local = local_statement(key, action::text_1, a, [](const char* buf, std::size_t at) {
        return text_first.contains(static_cast<unsigned char>(buf[at]))
                   ? members_end(text_rest, buf, at + 1)
                   : none;
    });
    if (local != local_match::undecided) return local == local_match::matched;
    const mark m = save();
    if (match_keyword(key) && match_char(']')) {
        yy_spacing();
        if (yy_text()) {
            yy_spacing();
            if (yy_semicolon()) {
                record(a);
                return true;
            }
        }
    }
    restore(m);
    return false;
}

bool old_format_parser::tight_text_statement(const keyword& key, action a) {
    const mark m = save();
    if (match_keyword(key) && match_char(']')) {
        yy_spacing();
        if (yy_text() && yy_semicolon()) {
            record(a);
            return true;
        }
    }
    restore(m);
    return false;
}

bool old_format_parser::num_statement(const keyword& key, action a) {
    const auto local =
        local_statement(key, action::num_1, a, [this](const char* buf, std::size_t at) {
            return digits_end(buf, at + (buf[at] == '-' ? 1 : 0), yylimit);
        });
    if (local != local_match::undecided) return local == local_match::matched;
    const mark m = save();
    if (match_keyword(key) && match_char(']')) {
        yy_spacing();
        yy_num();
        if (yy_semicolon()) {
            record(a);
            return true;
        }
        // A number may be empty, so what could have gone on where it ended (its
        // capture's end) is named only here, off the path of files that parse.
        expect(yyend, {yyend == yybegin ? "a number" : "a digit", false});
    }
    restore(m);
    return false;
}

bool old_format_parser::file_statement(const keyword& key, action a) {
    // The value runs to the next ";", which must be among the bytes read.
    const auto local =
        local_statement(key, action::file_1, a, [this](const char* buf, std::size_t at) {
            const void* found = std::memchr(buf + at, ';', yylimit - at);
            return found != nullptr
                       ? static_cast<std::size_t>(static_cast<const char*>(found) - buf)
                       : none;
        });
    if (local != local_match::undecided) return local == local_match::matched;
    const mark m = save();
    if (match_keyword(key) && match_char(']')) {
        yy_spacing();
        yy_file();
        if (yy_semicolon()) {
            record(a);
            return true;
        }
    }
    restore(m);
    return false;
}

bool old_format_parser::statement(const statement_rule& rule) {
    switch (rule.shape) {
    case statement_shape::name:
        return name_statement(rule.key, rule.done);
    case statement_shape::number:
        return num_statement(rule.key, rule.done);
    case statement_shape::file:
        return file_statement(rule.key, rule.done);
    case statement_shape::tight_text:
        return tight_text_statement(rule.key, rule.done);
    }
    return false;
}

template <std::size_t N> bool old_format_parser::first_statement(const statement_table<N>& table) {
    if (tracking_failures() || !available()) {
        for (const statement_rule& rule : table.rules)
            if (statement(rule)) return true;
        return false;
    }
    for (std::size_t i = table.first_with[static_cast<unsigned char>(peek())]; i < N;
         i = table.next_with[i])
        if (statement(table.rules[i])) return true;
    return false;
}

bool old_format_parser::close_block() {
    if (!match_char('!')) return false;
    yy_spacing();
    return true;
}

template <class Element> void old_format_parser::elements(Element&& element) {
    for (;;) {
        const mark m = save();
        if (!match_char('[')) return;
        yy_spacing();
        if (!element()) {
            restore(m);
            return;
        }
    }
}

// block: "[" spacing ( character_block {1} / frame_block {2} / charmap_block {3} ) "!" spacing
bool old_format_parser::yy_block() {
    const mark m = save();
    if (!match_char('[')) return false;
    yy_spacing();
    if (yy_character_block())
        record(action::block_1);
    else if (yy_frame_block())
        record(action::block_2);
    else if (yy_charmap_block())
        record(action::block_3);
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
            record(action::character_block_3);
            nested = true;
        } else if (yy_animation_block()) {
            record(action::character_block_4);
            nested = true;
        }
        if (nested && close_block()) return true;
        restore(m);
        return false;
    });
    return true;
}

// variable_block: "var" "]" spacing {1} ( name {2} / "default" num {3} )*
bool old_format_parser::yy_variable_block() {
    if (!head("var", action::variable_block_1)) return false;
    elements([this] {
        return name_statement("name", action::variable_block_2) ||
               num_statement("default", action::variable_block_3);
    });
    return true;
}

// charmap_block: "charmap" "]" spacing {1} ( name {2} / "[" spacing map_block "!" spacing )*
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

// map_block: "map" "]" spacing {1} ( "folder" text semicolon {2} / "display" text semicolon {3} )*
bool old_format_parser::yy_map_block() {
    if (!head("map", action::map_block_1)) return false;
    elements([this] {
        return tight_text_statement("folder", action::map_block_2) ||
               tight_text_statement("display", action::map_block_3);
    });
    return true;
}

// frame_block: "frame" "]" spacing {1} ( name {2} / "[" spacing ( sprite_block /
//   collision_rect_block / point_block ) "!" spacing )*
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

// animation_block: "anim" "]" spacing {1} ( name {2} / "[" spacing anim_frame_block "!" spacing {3}
// )*
bool old_format_parser::yy_animation_block() {
    if (!head("anim", action::animation_block_1)) return false;
    elements([this] {
        if (name_statement("name", action::animation_block_2)) return true;
        const mark m = save();
        if (yy_anim_frame_block() && close_block()) {
            record(action::animation_block_3);
            return true;
        }
        restore(m);
        return false;
    });
    return true;
}

// anim_frame_block: "frame" "]" spacing {1} ( name {2} / "[" spacing ( "duration" num {3}
//   / ( sound_block {4} / variable_change_block {5} ) "!" spacing ) )*
bool old_format_parser::yy_anim_frame_block() {
    if (!head("frame", action::anim_frame_block_1)) return false;
    elements([this] {
        if (name_statement("name", action::anim_frame_block_2)) return true;
        if (num_statement("duration", action::anim_frame_block_3)) return true;
        const mark m = save();
        bool nested = false;
        if (yy_sound_block()) {
            record(action::anim_frame_block_4);
            nested = true;
        } else if (yy_variable_change_block()) {
            record(action::anim_frame_block_5);
            nested = true;
        }
        if (nested && close_block()) return true;
        restore(m);
        return false;
    });
    return true;
}

bool old_format_parser::yy_sound_block() {
    if (!head("sound", action::sound_block_1)) return false;
    elements([this] {
        return name_statement("name", action::sound_block_2) ||
               num_statement("volume", action::sound_block_3);
    });
    return true;
}

bool old_format_parser::yy_variable_change_block() {
    if (!head("variable change", action::variable_change_block_1)) return false;
    elements([this] {
        return name_statement("name", action::variable_change_block_2) ||
               num_statement("value", action::variable_change_block_3);
    });
    return true;
}

} // namespace morvane
