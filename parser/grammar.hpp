#pragma once
// The old format's grammar: one function per rule, each returning true when it
// matched (position advanced) and false when it did not (position and recorded
// actions as on entry). Rules only match and record actions; yyparse runs the
// actions on a builder once the whole input has matched.

#include "containers/at_once.hpp"
#include "model/builder.hpp"
#include "model/sprite_statements.hpp"
#include "parser/actions.hpp"
#include "parser/engine.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

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
    old_format_parser() = default;
    // A parser of the part from `from` on of the input that `whole` holds.
    old_format_parser(input_buffer& whole, std::size_t from) noexcept : engine(whole, from) {}

    // Parses the whole input from yy_start; on a match the actions build the
    // document through b. Returns 1 on a match, 0 otherwise.
    int yyparse(builder& b);
    // The same, calling observe(action id, captured text) after each action ran.
    template <class Observe> int yyparse(builder& b, Observe&& observe) {
        return yyparse(part_plan{}, [&b, &observe](std::size_t) {
            return [&b, &observe](std::uint8_t id, std::string_view captured) {
                run_action(b, id, captured);
                observe(id, captured);
            };
        });
    }
    // The same in up to plan.parts parts, matched at once and then replayed at
    // once, each part's actions through run_for(its index)(action id, captured
    // text); run_for is called for the parts that count, in input order,
    // before any action runs. Part 0's actions run on this thread.
    template <class RunFor> int yyparse(const part_plan& plan, RunFor&& run_for);

    // start's spacing block*, from the position on, until a block fails or
    // the position is one of `stops` (ascending): the index of that stop, or
    // stops.size() when a block failed. From a top-level block's "[", a part
    // matches exactly what start matches from there.
    std::size_t match_part(std::span<const std::size_t> stops);
    // Where a top-level block seems to begin at or after `from`, or the
    // input's size: a "[" after "!" and spacing, before spacing and a
    // top-level block's keyword and "]". Only a guess: a nested block or an
    // image path can look the same.
    [[nodiscard]] static std::size_t guess_block_start(std::string_view input, std::size_t from);

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
    static const element_rule top_level_blocks[3];
    // KEY "]" spacing {a} element*: a block from its keyword on.
    template <const auto& Rules> bool block(const keyword& key, action_id a) {
        if (!head(key, a)) return false;
        while (element<Rules>()) {
        }
        return true;
    }
};

template <class RunFor> int old_format_parser::yyparse(const part_plan& plan, RunFor&& run_for) {
    begin_parse();
    const mark start = save();
    // The later parts begin at guessed top-level blocks spread over the input,
    // read whole first. Only a parse that needs no position across the whole
    // input (the furthest failure, the places of warnings) is split.
    std::vector<std::size_t> starts;
    std::vector<std::unique_ptr<old_format_parser>> later;
    input_buffer* whole = plan.parts > 1 && !tracking_failures() && !recording_positions()
                              ? read_whole(plan)
                              : nullptr;
    if (whole != nullptr) {
        const std::string_view input = whole->buffered();
        const std::size_t parts = plan.parts_for(input.size());
        for (std::size_t k = 1; k < parts; ++k) {
            const std::size_t from = std::max(slice_start(input.size(), parts, k),
                                              starts.empty() ? 0 : starts.back() + 1);
            // Only a start within a MiB of the split counts: a file of one huge
            // block would otherwise be scanned far before any part begins
            // (sounds-in-one-anim-frame 1M, 75 MiB in one block, 9 interleaved
            // runs: 0.272 s with a MiB, 0.285 s with 32 MiB).
            const std::string_view near =
                input.substr(0, std::min(input.size(), from + (std::size_t{1} << 20U)));
            const std::size_t at = guess_block_start(near, from);
            if (at == near.size()) continue;
            starts.push_back(at);
            later.push_back(std::make_unique<old_format_parser>(*whole, at));
        }
        for (std::size_t k = 0; k < later.size(); ++k)
            later[k]->reserve_log((k + 1 < starts.size() ? starts[k + 1] : input.size()) -
                                  starts[k]);
    }
    const auto part = [&](std::size_t k) -> old_format_parser& {
        return k == 0 ? *this : *later[k - 1];
    };
    // Each part matches until it fails or stops where a later part begins, the
    // part that then goes on for it; a part none stops at was matched for
    // nothing. The parts that count go from the first to one that ends.
    std::vector<std::size_t> goes_on(starts.size() + 1);
    const std::vector<std::exception_ptr> matching =
        run_at_once(starts.size() + 1, [&](std::size_t k) {
            goes_on[k] = k + 1 + part(k).match_part(std::span(starts).subspan(k));
        });
    std::vector<std::size_t> counted{0};
    for (;;) {
        if (matching[counted.back()]) std::rethrow_exception(matching[counted.back()]);
        if (goes_on[counted.back()] > starts.size()) break;
        counted.push_back(goes_on[counted.back()]);
    }
    const bool matched = part(counted.back()).at().end("end of input");
    if (matched) {
        advance(part(counted.back()).at());
        std::vector<std::invoke_result_t<RunFor&, std::size_t>> runs;
        runs.reserve(counted.size());
        for (std::size_t i = 0; i < counted.size(); ++i) runs.push_back(run_for(i));
        run_all_at_once(counted.size(), [&](std::size_t i) { part(counted[i]).replay(runs[i]); });
    } else {
        restore(start); // a failed parse consumes nothing
    }
    end_parse();
    return matched ? 1 : 0;
}

} // namespace morvane
