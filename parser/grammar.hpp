#pragma once
// The old format's grammar: one function per rule, each returning true when it
// matched (position advanced) and false when it did not (position and recorded
// actions as on entry). Rules only match and record actions; yyparse runs the
// actions on a builder once the whole input has matched.

#include "model/builder.hpp"
#include "parser/actions.hpp"
#include "parser/engine.hpp"

#include <array>
#include <cstdint>

namespace morvane {

namespace old_format_classes {
// White space: blank, tab and the line ends "\r\n", "\n", "\r". Taking any run
// of these bytes is what ( [\t ] / "\r\n" / "\n" / "\r" )* matches.
inline constexpr char_class space_bytes = char_class::of("\t\n\r ");
inline constexpr char_class text_first = char_class::of(".A-Z_a-z");
// The later bytes of a text, or a blank: ( [.0-9A-Z\\_a-z] / " " )*
inline constexpr char_class text_rest = char_class::of(". 0-9A-Z\\_a-z");
inline constexpr char_class digits = char_class::of("0-9");
} // namespace old_format_classes

class old_format_parser : public engine {
  public:
    old_format_parser() : engine(text_actions) {}

    // Parses the whole input from yy_start; on a match the actions build the
    // document through b. Returns 1 on a match, 0 otherwise.
    int yyparse(builder& b);

    bool yy_start();
    bool yy_spacing();
    bool yy_semicolon();
    bool yy_text();
    bool yy_num();
    bool yy_file();

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
    void record(action a) { yyDo(static_cast<action_id>(a)); }

    // One statement alternative of a block: its keyword, the shape of its
    // value, and the action recorded when it matches.
    enum class statement_shape : std::uint8_t { name, number, file, tight_text };
    struct statement_rule {
        keyword key;
        statement_shape shape;
        action done;
    };
    bool statement(const statement_rule& rule);
    // A block's statement alternatives in order, with, for each byte, the
    // first alternative whose keyword begins with it and, for each
    // alternative, the next one that begins with the same byte (N for none).
    template <std::size_t N> struct statement_table {
        std::array<statement_rule, N> rules;
        std::array<std::uint8_t, 256> first_with{};
        std::array<std::uint8_t, N> next_with{};

        consteval explicit statement_table(const std::array<statement_rule, N>& in) : rules(in) {
            static_assert(N < 255);
            first_with.fill(static_cast<std::uint8_t>(N));
            next_with.fill(static_cast<std::uint8_t>(N));
            for (std::size_t i = N; i-- > 0;) {
                const auto byte = static_cast<unsigned char>(rules[i].key.text.front());
                next_with[i] = first_with[byte];
                first_with[byte] = static_cast<std::uint8_t>(i);
            }
        }
    };
    // rule_1 / rule_2 / ... in order. An alternative whose keyword cannot
    // match the byte at the position fails at once without a trace, so unless
    // failures are tracked (which records every alternative tried) only those
    // that begin with that byte are tried, found through the table.
    template <std::size_t N> bool first_statement(const statement_table<N>& table);

    // What matching a statement on a local copy of the position decided:
    // undecided leaves it to the primitives.
    enum class local_match : std::uint8_t { failed, matched, undecided };
    template <class ValueEnd>
    local_match local_statement(const keyword& key, action value, action a, ValueEnd value_end);
    // KEY "]" spacing {a}: the head of a block, at its keyword.
    bool head(const keyword& key, action a);
    // KEY "]" spacing text spacing semicolon {a}
    bool name_statement(const keyword& key, action a);
    // KEY "]" spacing text semicolon {a}: blanks before ";" belong to the value.
    bool tight_text_statement(const keyword& key, action a);
    // KEY "]" spacing num semicolon {a}
    bool num_statement(const keyword& key, action a);
    // KEY "]" spacing file semicolon {a}
    bool file_statement(const keyword& key, action a);
    // "!" spacing: the end of a nested block, matched by the block around it.
    bool close_block();
    // ( "[" spacing ELEMENT )* where element() tries the alternatives in order.
    template <class Element> void elements(Element&& element);
};

} // namespace morvane
