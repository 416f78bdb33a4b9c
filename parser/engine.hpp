#pragma once
// The backtracking engine that the grammar's rule functions share: the input
// buffer with on-demand refill, the position, capture marks and the log of
// recorded actions, which run in order only once the start rule has matched.
//
// Actions are small integer ids, below 128. The log stores each as one byte,
// followed, for actions that receive the captured text, by the capture's start
// (as the distance from the start of the previous such capture in the log) and
// length as variable-length integers. Both are usually one byte, which keeps the
// log a fraction of the input's size. A value and the action that takes it,
// recorded together by record_capture, share one entry: the taking action's id
// with the high bit set, then the capture, whose length carries the value
// action's id in its two low bits.
// Texts handed to actions point into the input buffer, which stays put until the
// next parse (or until take_input() hands it over).

#include "containers/large_block.hpp"
#include "parser/char_class.hpp"
#include "parser/input.hpp"
#include "parser/log_codec.hpp"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace morvane {

// A growable block of bytes whose contents are never zero-filled.
class byte_buffer {
  public:
    [[nodiscard]] char* data() noexcept { return data_.get(); }
    [[nodiscard]] const char* data() const noexcept { return data_.get(); }
    [[nodiscard]] std::size_t capacity() const noexcept { return capacity_; }
    // Grows to at least `wanted` bytes, doubling, keeping the first `keep` bytes.
    void reserve(std::size_t wanted, std::size_t keep);
    large_block release() noexcept {
        capacity_ = 0;
        return std::move(data_);
    }

  private:
    large_block data_;
    std::size_t capacity_ = 0;
};

// A literal the rules match, with its first bytes (at most 8) packed into a
// word as they lie in memory, so that where 8 bytes are at hand it is compared
// in one step.
struct keyword {
    std::string_view text;
    std::uint64_t head = 0;
    std::uint64_t mask = 0;

    template <std::size_t N>
    consteval keyword(const char (&literal)[N]) // NOLINT: implicit by design
        : text(literal, N - 1) {
        for (std::size_t i = 0; i < text.size() && i < 8; ++i) {
            const unsigned shift =
                std::endian::native == std::endian::little ? 8U * i : 8U * (7 - i);
            head |= std::uint64_t{static_cast<unsigned char>(text[i])} << shift;
            mask |= std::uint64_t{0xFF} << shift;
        }
    }
};

class engine {
  public:
    using action_id = std::uint8_t;

    // What the rules expected where matching stopped furthest into the input.
    struct expectation {
        std::string_view what;
        bool literal; // a quoted literal, else the name of a kind of token
        bool operator==(const expectation&) const = default;
    };

    // receive_text: the actions that receive the captured text.
    explicit engine(char_class receive_text) : text_actions_(receive_text) {}

    void set_input(input_source& in) {
        input_ = &in;
        at_end_ = false;
        // Where the input should end, when its size is known, so the buffer can
        // be sized once for all of it.
        expected_limit_.reset();
        if (const auto left = in.size_hint())
            expected_limit_ = yylimit + static_cast<std::size_t>(*left);
    }

    // Runs start; when it matches, runs every recorded action in order through
    // run(action_id, captured_text). Then drops the consumed input.
    template <class Rule, class Run> int yyparsefrom(Rule&& start, Run&& run) {
        if (yybuf_.capacity() == 0) set_up();
        yybegin = yyend = yypos;
        yythunkpos = 0;
        last_logged_begin_ = 0;
        reserve_log();
        furthest_ = 0;
        expected_.clear();
        const bool matched = start();
        if (matched) run_actions(run);
        yythunkpos = 0;
        release_log();
        drop_consumed();
        return matched ? 1 : 0;
    }

    // Hands over the input buffer that the last parse's texts point into: the
    // whole input after a successful parse.
    [[nodiscard]] large_block take_input() noexcept;

    // Furthest-failure tracking for diagnostics; off unless asked for.
    void track_failures(bool on) noexcept { tracking_ = on; }
    [[nodiscard]] bool tracking_failures() const noexcept { return tracking_; }
    [[nodiscard]] std::size_t furthest_failure() const noexcept { return furthest_; }
    [[nodiscard]] const std::vector<expectation>& expected() const noexcept { return expected_; }
    // The input bytes read so far (all of them after a parse that looked at all).
    [[nodiscard]] std::string_view buffered() const noexcept { return {yybuf_.data(), yylimit}; }

    // Primitive steps. Each refills when it needs a byte past what was read.
    [[nodiscard]] bool yyrefill();
    [[nodiscard]] bool available() { return yypos < yylimit || yyrefill(); }
    bool match_char(char c) {
        if (available() && yybuf_.data()[yypos] == c) {
            ++yypos;
            return true;
        }
        if (tracking_) fail_at(yypos, {std::string_view(&literal_byte(c), 1), true});
        return false;
    }
    bool match_class(const char_class& members, std::string_view name = {}) {
        if (available() && members.contains(static_cast<unsigned char>(yybuf_.data()[yypos]))) {
            ++yypos;
            return true;
        }
        if (tracking_ && !name.empty()) fail_at(yypos, {name, false});
        return false;
    }
    // members* : takes every byte from the position on that is a member,
    // refilling as needed. Never fails. The byte after the last one read is
    // always a NUL, so for a class without NUL the scan needs no end test.
    void skip_members(const char_class& members) {
        for (;;) {
            const char* buf = yybuf_.data();
            std::size_t p = yypos;
            if (members.contains(0)) {
                while (p < yylimit && members.contains(static_cast<unsigned char>(buf[p]))) ++p;
            } else {
                while (members.contains(static_cast<unsigned char>(buf[p]))) ++p;
            }
            yypos = p;
            if (p < yylimit || !yyrefill()) return;
        }
    }
    // The same for decimal digits, whose runs vary in length from number to
    // number: eight bytes are tested at a time, without a branch per byte,
    // where eight are at hand.
    void skip_digits() {
        for (;;) {
            yypos = digits_end(yybuf_.data(), yypos, yylimit);
            if (yypos < yylimit || !yyrefill()) return;
        }
    }
    // Where the run of digits from p ends in buf, whose bytes end at limit
    // with a NUL after them. Many runs are empty or one byte long: those need
    // no word.
    [[nodiscard]] static std::size_t digits_end(const char* buf, std::size_t p,
                                                std::size_t limit) noexcept {
        if (!digit(static_cast<unsigned char>(buf[p])) ||
            !digit(static_cast<unsigned char>(buf[++p])))
            return p;
        if constexpr (std::endian::native == std::endian::little) {
            while (limit - p >= 8) {
                std::uint64_t w;
                std::memcpy(&w, buf + p, 8);
                const std::uint64_t stop = non_digit_word(w);
                if (stop != 0) return p + static_cast<std::size_t>(std::countr_zero(stop)) / 8;
                p += 8;
            }
        }
        while (digit(static_cast<unsigned char>(buf[p]))) ++p;
        return p;
    }
    bool match_any() {
        if (!available()) return false;
        ++yypos;
        return true;
    }
    bool yymatchString(std::string_view literal) {
        if (literal.size() <= yylimit - yypos) {
            // The grammar's literals are a few bytes long: compare in place.
            const char* at = yybuf_.data() + yypos;
            std::size_t i = 0;
            while (i < literal.size() && at[i] == literal[i]) ++i;
            if (i == literal.size()) {
                yypos += literal.size();
                return true;
            }
            if (tracking_) fail_at(yypos, {literal, true});
            return false;
        }
        return match_string_at_end(literal);
    }
    bool match_keyword(const keyword& k) {
        if (k.text.size() <= 8 && yylimit - yypos >= 8 && !tracking_) {
            if (!keyword_at(yybuf_.data() + yypos, k)) return false;
            yypos += k.text.size();
            return true;
        }
        return yymatchString(k.text);
    }
    // Whether the 8 bytes at `at` begin with k, whose text is at most 8 bytes long.
    [[nodiscard]] static bool keyword_at(const char* at, const keyword& k) noexcept {
        std::uint64_t w;
        std::memcpy(&w, at, 8);
        return (w & k.mask) == k.head;
    }
    // Whether a rule may match on its own copy of the position, without
    // refilling or tracking failures: failures are not tracked, and at least 8
    // bytes are at hand. It must still fall back to the primitives above
    // wherever it reaches the end of the bytes read.
    [[nodiscard]] bool local_matching() const noexcept {
        return !tracking_ && yylimit - yypos >= 8;
    }
    // The end-of-input test !. , reported as `name` when it fails.
    bool match_end(std::string_view name = {}) {
        if (!available()) return true;
        if (tracking_ && !name.empty()) fail_at(yypos, {name, false});
        return false;
    }
    [[nodiscard]] char peek() const noexcept { return yybuf_.data()[yypos]; }

    void begin_capture() noexcept { yybegin = yypos; }
    void end_capture() noexcept { yyend = yypos; }
    void yyDo(action_id action) {
        if (yythunks_.capacity() - yythunkpos < 1 + 2 * log_codec::max_varint_bytes) grow_log();
        char* log = yythunks_.data();
        log[yythunkpos++] = static_cast<char>(action);
        if (text_actions_.contains(action)) {
            // The distance from the previous capture, zigzag-coded: it is never
            // negative in this grammar, but nothing here depends on that.
            log_codec::put_varint(log_codec::zigzag(last_logged_begin_, yybegin), log, yythunkpos);
            last_logged_begin_ = yybegin;
            log_codec::put_varint(yyend > yybegin ? yyend - yybegin : 0, log, yythunkpos);
        }
    }

    // What yyDo(text) for a capture [begin, end) and then yyDo(done) record,
    // as one entry; sets the capture marks as the rule would. The text action's
    // id must be below 4 and done's below 128.
    static constexpr unsigned fused = 0x80;
    void record_capture(action_id text, std::size_t begin, std::size_t end, action_id done) {
        if (yythunks_.capacity() - yythunkpos < 1 + 2 * log_codec::max_varint_bytes) grow_log();
        char* log = yythunks_.data();
        std::size_t n = yythunkpos;
        const std::size_t previous = last_logged_begin_;
        log[n++] = static_cast<char>(done | fused);
        log_codec::put_varint(log_codec::zigzag(previous, begin), log, n);
        log_codec::put_varint(std::uint64_t{end - begin} << 2U | text, log, n);
        yythunkpos = n;
        last_logged_begin_ = begin;
        yybegin = begin;
        yyend = end;
    }

    struct mark {
        std::size_t pos;
        std::size_t thunkpos;
        std::size_t last_logged_begin;
    };
    [[nodiscard]] mark save() const noexcept { return {yypos, yythunkpos, last_logged_begin_}; }
    void restore(mark m) noexcept {
        yypos = m.pos;
        yythunkpos = m.thunkpos;
        last_logged_begin_ = m.last_logged_begin;
    }

    // Records what a rule expected at pos, when failures are tracked.
    void expect(std::size_t pos, expectation what) {
        if (tracking_) fail_at(pos, what);
    }

  private:
    static constexpr std::uint64_t ones = 0x0101010101010101U;
    // Nonzero in the first byte (in memory order) that is not a digit, zero in
    // the bytes before it. A digit's high half is 3, and stays 3 when 6 is
    // added. A carry out of a byte comes only from one of 0xFA and above, which
    // is not a digit, so it changes nothing before the first byte that is not.
    static constexpr std::uint64_t non_digit_word(std::uint64_t w) noexcept {
        constexpr std::uint64_t high_halves = ones * 0xF0U;
        constexpr std::uint64_t threes = ones * 0x30U;
        return ((w & high_halves) ^ threes) | (((w + ones * 6U) & high_halves) ^ threes);
    }
    static constexpr bool digit(unsigned char c) noexcept { return c >= '0' && c <= '9'; }

    // The position, buffer and log are the engine's and its grammar's alone:
    // everything else goes through the matching primitives above.
    friend class old_format_parser;

    std::size_t yypos = 0;
    std::size_t yylimit = 0;
    std::size_t yybegin = 0;
    std::size_t yyend = 0;
    std::size_t yythunkpos = 0; // bytes of the action log in use

    void fail_at(std::size_t pos, expectation what);
    bool match_string_at_end(std::string_view literal);
    static const char& literal_byte(char c) noexcept;
    void set_up();
    void drop_consumed();
    template <class Run> void run_actions(Run& run);
    void reserve_log();
    void grow_log();
    void release_log() noexcept;

    char_class text_actions_;
    input_source* input_ = nullptr;
    bool at_end_ = false;
    std::optional<std::size_t> expected_limit_;
    byte_buffer yybuf_;
    byte_buffer yythunks_;
    std::size_t last_logged_begin_ = 0; // start of the last capture in the log

    bool tracking_ = false;
    std::size_t furthest_ = 0;
    std::vector<expectation> expected_;
};

template <class Run> void engine::run_actions(Run& run) {
    // The replay reads the log front to back while the records it builds take
    // memory: after every megabyte, the pages already read go back to the system.
    constexpr std::size_t discard_step = std::size_t{1} << 20U;
    char* read_to = yythunks_.data();
    const auto* p = reinterpret_cast<const unsigned char*>(read_to);
    const auto* end = p + yythunkpos;
    const auto* next_discard = p + discard_step;
    std::size_t begin = 0;
    while (p < end) {
        const action_id id = *p++;
        if (id >= fused) {
            begin = static_cast<std::size_t>(log_codec::unzigzag(begin, log_codec::get_varint(p)));
            const auto coded = log_codec::get_varint(p);
            run(static_cast<action_id>(coded & 3U),
                std::string_view(yybuf_.data() + begin, static_cast<std::size_t>(coded >> 2U)));
            run(static_cast<action_id>(id & ~fused), std::string_view());
        } else if (text_actions_.contains(id)) {
            begin = static_cast<std::size_t>(log_codec::unzigzag(begin, log_codec::get_varint(p)));
            const auto length = static_cast<std::size_t>(log_codec::get_varint(p));
            run(id, std::string_view(yybuf_.data() + begin, length));
        } else {
            run(id, std::string_view());
        }
        if (p >= next_discard) [[unlikely]] {
            read_to = discard_pages(
                read_to,
                yythunks_.data() + (p - reinterpret_cast<const unsigned char*>(yythunks_.data())));
            next_discard = p + discard_step;
        }
    }
}

} // namespace morvane
