#pragma once
// The old format's grammar: one function per rule, each returning true when it
// matched (position advanced) and false when it did not (position and recorded
// actions as on entry). Rules only match and record actions; yyparse runs the
// actions on a builder once the whole input has matched.

#include "model/builder.hpp"
#include "model/sprite_statements.hpp"
#include "parser/actions.hpp"
#include "parser/engine.hpp"

#include <array>
#include <cstdint>
#include <optional>
#include <utility>

namespace morvane {

namespace old_format_classes {
// White space: blank, tab and the line ends "\r\n", "\n", "\r". Taking any run
// of these bytes is what ( [\t ] / "\r\n" / "\n" / "\r" )* matches.
inline constexpr char_class space_bytes = char_class::of("\t\n\r ");
inline constexpr char_class digit_bytes = char_class::of("0-9");
inline constexpr char_class text_first = char_class::of(".A-Z_a-z");
// The later bytes of a text, or a blank: ( [.0-9A-Z\\_a-z] / " " )*
inline constexpr char_class text_rest = char_class::of(". 0-9A-Z\\_a-z");
} // namespace old_format_classes

class old_format_parser : public engine {
  public:
    // Parses the whole input from yy_start; on a match the actions build the
    // document through b. Returns 1 on a match, 0 otherwise.
    int yyparse(builder& b);
    // The same, calling observe(action id, captured text) after each action ran.
    template <class Observe> int yyparse(builder& b, Observe&& observe) {
        return yyparsefrom([this] { return yy_start(); },
                           [&b, &observe](std::uint8_t id, std::string_view captured) {
                               run_action(b, id, captured);
                               observe(id, captured);
                           });
    }

    bool yy_start();
    bool yy_block();
    bool yy_character_block();
    bool yy_variable_block();
    bool yy_charmap_block();
    bool yy_map_block();
    bool yy_frame_block();
    bool yy_collision_rect_block();
    bool yy_point_block();
    bool yy_sprite_block();
    bool yy_animation_block();
    bool yy_anim_frame_block();
    bool yy_sound_block();
    bool yy_variable_change_block();

  private:
    // The value rules match on a cursor; their action {1} is recorded by the
    // statement that holds the value, in one entry with the statement's own.
    struct value {
        capture bytes;
        action_log::value_id action;
    };
    static void yy_spacing(cursor& c);
    static bool yy_semicolon(cursor& c);
    static std::optional<value> yy_text(cursor& c);
    static value yy_num(cursor& c);
    static value yy_file(cursor& c);

    // KEY "]" spacing {a}: the head of a block, at its keyword.
    bool head(const keyword& key, action_id a);
    // "!" spacing: the end of a nested block, matched by the block around it.
    bool close_block();
    // One alternative of a block's elements, beginning with `key`: a statement
    // (KEY "]" spacing VALUE semicolon {done}), or a nested block, matched by
    // its rule, with its "!" spacing and then {done} when there is one.
    struct element_rule {
        using rule = bool (old_format_parser::*)();
        consteval element_rule(keyword k, statement_shape s, action_id a)
            : key(k), shape(s), done(a) {}
        consteval element_rule(keyword k, rule r) : key(k), nested(r) {}
        consteval element_rule(keyword k, rule r, action_id a) : key(k), nested(r), done(a) {}
        keyword key;
        statement_shape shape = statement_shape::name;
        rule nested = nullptr;
        std::optional<action_id> done;
    };
    // KEY "]" spacing VALUE semicolon {done}
    template <statement_shape Shape> bool statement_of(const keyword& key, action_id done);
    // "[" spacing ( Rules[0] / Rules[1] / ... ): an alternative whose keyword
    // does not begin with the byte at the position fails there, so only those
    // that do are tried; the others are noted as expected there. Each block's
    // alternatives are expanded where it matches them.
    template <const auto& Rules> bool element();
    // Rules[I] / ... , each tried only where its keyword begins with byte.
    template <const auto& Rules, std::size_t... I>
    bool first_matching(int byte, std::index_sequence<I...>) {
        return ((static_cast<unsigned char>(Rules[I].key.text.front()) == byte &&
                 alternative<Rules, I>()) ||
                ...);
    }
    template <const auto& Rules, std::size_t I> bool alternative();
    // The sprite block's alternatives, from sprite_statements.
    template <std::size_t... I>
    static consteval std::array<element_rule, sizeof...(I)>
        sprite_elements(std::index_sequence<I...>);
    // KEY "]" spacing {a} element*: a block from its keyword on.
    template <const auto& Rules> bool block(const keyword& key, action_id a) {
        if (!head(key, a)) return false;
        while (element<Rules>()) {
        }
        return true;
    }
};

} // namespace morvane
