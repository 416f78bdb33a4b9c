#pragma once
// The backtracking engine that the grammar's rules share: the input read on
// demand, the position, the log of recorded actions, and what was expected
// where matching stopped furthest. Rules match on cursors (parser/cursor.hpp)
// and record actions; once the start rule has matched, the actions run in the
// order recorded. Texts handed to actions are bytes of the input, which stays
// put until the next parse (or until take_input() hands it over).

#include "containers/large_block.hpp"
#include "parser/action_log.hpp"
#include "parser/cursor.hpp"
#include "parser/expectations.hpp"
#include "parser/input.hpp"
#include "parser/input_buffer.hpp"

#include <cstddef>
#include <string_view>
#include <vector>

namespace morvane {

class engine {
  public:
    using action_id = action_log::id;

    void set_input(input_source& in) { input_.set_input(in); }

    // Runs start; when it matches, runs every recorded action in order through
    // run(action id, captured text). Then drops the consumed input.
    template <class Rule, class Run> int yyparsefrom(Rule&& start, Run&& run) {
        input_.set_up();
        yypos = 0;
        log_.clear();
        if (const auto expected = input_.expected_limit()) log_.reserve_for_input(*expected);
        failures_.reset();
        const bool matched = start();
        if (matched) log_.replay(input_.data(), run);
        log_.clear();
        input_.drop(yypos);
        yypos = 0;
        return matched ? 1 : 0;
    }

    // Hands over the input that the last parse's texts point into: the whole
    // input after a successful parse.
    [[nodiscard]] large_block take_input() noexcept { return input_.take(); }
    // The input bytes read so far (all of them after a parse that looked at all).
    [[nodiscard]] std::string_view buffered() const noexcept { return input_.buffered(); }

    // Furthest-failure tracking for diagnostics; off unless asked for.
    void track_failures(bool on) noexcept { failures_.track(on); }
    [[nodiscard]] bool tracking_failures() const noexcept { return failures_.tracking(); }
    [[nodiscard]] std::size_t furthest_failure() const noexcept { return failures_.position(); }
    [[nodiscard]] const std::vector<expectation>& expected() const noexcept {
        return failures_.expected();
    }

    // Block heads recorded with the position of their keyword, for warnings;
    // off unless asked for.
    void record_positions(bool on) noexcept { positions_ = on; }
    [[nodiscard]] bool recording_positions() const noexcept { return positions_; }

    // A cursor at the position, to match a rule on.
    [[nodiscard]] cursor at() noexcept { return {input_, failures_, yypos}; }
    // The rule matched up to the cursor: the position moves there.
    void advance(const cursor& c) noexcept { yypos = c.pos(); }

    // Backtracking: a rule saves the position and the log on entry and puts
    // both back when it fails.
    struct mark {
        std::size_t pos;
        action_log::mark log;
    };
    [[nodiscard]] mark save() const noexcept { return {yypos, log_.save()}; }
    void restore(mark m) noexcept {
        yypos = m.pos;
        log_.restore(m.log);
    }

    // Records an action that receives no text.
    void yyDo(action_id a) { log_.record(a); }
    // A statement matched up to the cursor: records its value's action `value`
    // with the capture, then its own action, and moves the position there.
    void record_statement(const cursor& c, action_log::value_id value, capture v, action_id a) {
        log_.record_statement(value, v.begin, v.end, a);
        advance(c);
    }

  private:
    input_buffer input_;
    action_log log_;
    failure_tracker failures_;
    std::size_t yypos = 0;
    bool positions_ = false;
};

} // namespace morvane
