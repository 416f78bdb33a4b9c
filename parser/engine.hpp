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

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

namespace morvane {

// How many parts a parse may match at once: at most `parts`, none of fewer
// than `min_part_bytes` bytes. More than one only for an input of known size.
// Parts of 8 MiB and more pay for their thread and fresh memory (medians of 11-15 interleaved runs
// against 32 MiB parts: same-name-frames 1M, 26 MiB, 0.088 s against 0.104; realistic 26 MiB 0.080
// against 0.115; sorted-frames 1M, 39 MiB, 0.101 against 0.117; peak at most 1.6% more). Smaller
// ones do not: 4 MiB parts took a realistic 8 MiB input in 0.0419 s against 0.0414, and raised
// realistic 10 MiB's peak by 8% (31,548 KiB against 29,168).
struct part_plan {
    std::size_t parts = 1;
    std::size_t min_part_bytes = std::size_t{8} << 20U;

    // How many parts an input of `bytes` bytes is split into: at least one.
    [[nodiscard]] std::size_t parts_for(std::size_t bytes) const noexcept {
        return std::max<std::size_t>(
            1, std::min(parts, bytes / std::max<std::size_t>(min_part_bytes, 1)));
    }
};

class engine {
  public:
    using action_id = action_log::id;

    engine() = default;
    // An engine that matches a part of the input that `whole` holds whole, from
    // `from` on: it reads nothing itself, and `whole` must outlive it.
    engine(input_buffer& whole, std::size_t from) noexcept : input_(&whole), yypos(from) {}
    engine(const engine&) = delete;
    engine& operator=(const engine&) = delete;

    void set_input(input_source& in) { input_->set_input(in); }

    // Runs start; when it matches, runs every recorded action in order through
    // run(action id, captured text). Then drops the consumed input.
    template <class Rule, class Run> int yyparsefrom(Rule&& start, Run&& run) {
        begin_parse();
        const bool matched = start();
        if (matched) replay(run);
        end_parse();
        return matched ? 1 : 0;
    }

    // yyparsefrom in steps, for a parse that matches parts of the input on
    // engines of their own: begin, match, replay each part's log, end.
    void begin_parse() {
        input_->set_up();
        yypos = 0;
        log_.clear();
        if (const auto expected = input_->expected_limit()) reserve_log(*expected);
        failures_.reset();
    }
    // Room in the log for matching `input_bytes` bytes (see action_log).
    void reserve_log(std::size_t input_bytes) { log_.reserve_for_input(input_bytes); }
    template <class Run> void replay(Run&& run) {
        log_.replay(input_->data(), run);
        log_.clear();
    }
    void end_parse() noexcept {
        log_.clear();
        input_->drop(yypos);
        yypos = 0;
    }
    // Reads the rest of an input of known size, so that engines of parts can
    // share it, in as many pieces at once as it is split into parts; null,
    // having read nothing, when the size is unknown (an input that never ends
    // is read only as far as a parse looks).
    [[nodiscard]] input_buffer* read_whole(const part_plan& plan) {
        const auto expected = input_->expected_limit();
        if (!expected) return nullptr;
        input_->read_rest(plan.parts_for(*expected));
        while (input_->yyrefill()) {
        }
        return input_;
    }

    // Hands over the input that the last parse's texts point into: the whole
    // input after a successful parse.
    [[nodiscard]] large_block take_input() noexcept { return input_->take(); }
    // The input bytes read so far (all of them after a parse that looked at all).
    [[nodiscard]] std::string_view buffered() const noexcept { return input_->buffered(); }

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
    [[nodiscard]] cursor at() noexcept { return {*input_, failures_, yypos}; }
    // The rule matched up to the cursor: the position moves there.
    void advance(const cursor& c) noexcept { yypos = c.pos(); }
    [[nodiscard]] std::size_t position() const noexcept { return yypos; }

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
    input_buffer own_input_;
    input_buffer* input_ = &own_input_; // or the input of the engine whose part this is
    action_log log_;
    failure_tracker failures_;
    std::size_t yypos = 0;
    bool positions_ = false;
};

} // namespace morvane
