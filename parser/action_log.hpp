#pragma once
// The log of the actions that the rules record while they match. A rule that
// backtracks forgets what it recorded (restore); once the whole input has
// matched, the log is replayed front to back and every action runs, in the
// order recorded.
//
// Its encoding. An entry's first byte holds an action's id in its low seven
// bits, so ids stay below 128:
//   - high bit clear: that action alone, which receives no text;
//   - high bit set: a statement. Two numbers follow: where its value's capture
//     starts, as the distance from the start of the statement entry before it
//     (zigzag-coded, so that it may be negative), and the capture's length
//     shifted left by two with the value rule's action id in the two low bits,
//     so value ids stay below 4. The replay runs the value action with the
//     captured bytes and then the statement's own action, the id of the first
//     byte.
// Numbers are variable-length: seven bits a byte, low bits first, the high bit
// set on every byte but the last; any 64-bit value fits in ten bytes. Both
// numbers of a statement usually take one byte, which keeps the log a fraction
// of the input's size. Both ids are checked against these limits at compile time.

#include "containers/byte_buffer.hpp"
#include "containers/large_block.hpp"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace morvane {

namespace log_coding {

inline constexpr std::size_t max_varint_bytes = 10;

// Writes v at out[n], advancing n.
inline void put_varint(std::uint64_t v, char* out, std::size_t& n) noexcept {
    while (v >= 0x80U) {
        out[n++] = static_cast<char>(v | 0x80U);
        v >>= 7U;
    }
    out[n++] = static_cast<char>(v);
}

// Reads a value that put_varint wrote at p, advancing p.
inline std::uint64_t get_varint(const unsigned char*& p) noexcept {
    std::uint64_t v = 0;
    for (unsigned shift = 0;; shift += 7) {
        const unsigned char b = *p++;
        v |= static_cast<std::uint64_t>(b & 0x7FU) << shift;
        if ((b & 0x80U) == 0) return v;
    }
}

// to - from taken as signed, mapped 0, -1, 1, -2, 2, ... -> 0, 1, 2, 3, 4, ...
inline std::uint64_t zigzag(std::uint64_t from, std::uint64_t to) noexcept {
    const std::uint64_t delta = to - from;
    return (delta << 1U) ^ (0 - (delta >> 63U));
}

// The position that zigzag(from, to) was made from.
inline std::uint64_t unzigzag(std::uint64_t from, std::uint64_t coded) noexcept {
    return from + ((coded >> 1U) ^ (0 - (coded & 1U)));
}

} // namespace log_coding

class action_log {
  public:
    // An action id below `Limit`, checked where it is written.
    template <unsigned Limit> class bounded_id {
      public:
        template <class V>
        consteval bounded_id(V v) : value_(static_cast<std::uint8_t>(v)) { // NOLINT
            if (static_cast<unsigned>(v) >= Limit) throw "the log cannot hold this action id";
        }
        [[nodiscard]] constexpr std::uint8_t value() const noexcept { return value_; }

      private:
        std::uint8_t value_;
    };
    using id = bounded_id<128>;
    using value_id = bounded_id<4>;

    struct mark {
        std::size_t size;
        std::size_t last_begin;
    };
    [[nodiscard]] mark save() const noexcept { return {size_, last_begin_}; }
    void restore(mark m) noexcept {
        size_ = m.size;
        last_begin_ = m.last_begin;
    }

    void record(id action) {
        if (bytes_.capacity() - size_ < 1) grow();
        bytes_.data()[size_++] = static_cast<char>(action.value());
    }
    // A statement whose value captured [begin, end).
    void record_statement(value_id value, std::size_t begin, std::size_t end, id action) {
        if (bytes_.capacity() - size_ < max_entry) grow();
        char* out = bytes_.data();
        std::size_t n = size_;
        out[n++] = static_cast<char>(action.value() | statement_bit);
        log_coding::put_varint(log_coding::zigzag(last_begin_, begin), out, n);
        log_coding::put_varint(std::uint64_t{end - begin} << 2U | value.value(), out, n);
        size_ = n;
        last_begin_ = begin;
    }

    // Runs run(action id, captured text) for every entry in order, the texts
    // being bytes of `input`. The pages already read go back to the system as
    // it goes, since the records that the actions build need memory meanwhile.
    // Peak with and without: realistic 100 MiB 213248 KiB against 227460,
    // variables-in-one-character 1M 105508 against 113700; it costs at most
    // 0.4% of instructions (same-name-frames 100k 81.97M against 81.66M).
    // The pages past the log's end go back first: the last huge page the
    // match wrote is mostly unused, and when the parts' replays end together
    // each part's would count at the peak. Sorted-frames 1M on 2 threads, 31
    // interleaved rounds: peak at most 171,552 KiB against 173,336 (7 runs of
    // 31 a huge page more), for 1.3 ms more wall time (87.9 against 86.5).
    template <class Run> void replay(const char* input, Run&& run);

    // Empties the log. One above 64 KiB is let go rather than kept for the next
    // parse, since the document it built outlives it and the writer needs
    // memory next. Peak with and without: realistic 10 MiB 28588 KiB against
    // 29808 (4.1%), realistic 100 MiB 212620 against 214224 (0.8%).
    // Room for the log of `input_bytes` bytes of input: a statement takes a few
    // bytes of log for its bytes of input, a quarter at most. Reserved at once
    // (pages not yet touched cost nothing), the log is never copied to double.
    // Realistic 100 MiB, perf stat, 3 x 3 runs interleaved: 3,967 page faults
    // and 0.399 s of task clock with, 4,393 and 0.421 s without (the copies
    // touch fresh pages, which an instruction count does not show).
    void reserve_for_input(std::size_t input_bytes) { bytes_.reserve(input_bytes / 4, size_); }

    void clear() noexcept {
        if (bytes_.capacity() > std::size_t{64} << 10U) bytes_ = byte_buffer();
        size_ = 0;
        last_begin_ = 0;
    }

  private:
    static constexpr unsigned statement_bit = 0x80;
    static constexpr std::size_t max_entry = 1 + 2 * log_coding::max_varint_bytes;

    void grow();
    [[nodiscard]] char* give_back(char* from, const unsigned char* to) noexcept;

    byte_buffer bytes_;
    std::size_t size_ = 0;
    std::size_t last_begin_ = 0; // where the capture of the last statement starts
};

template <class Run> void action_log::replay(const char* input, Run&& run) {
    if (size_ == 0) return; // nothing recorded, and maybe no bytes to point into
    constexpr std::size_t give_back_step = std::size_t{1} << 20U;
    char* given_back_to = bytes_.data();
    const auto* p = reinterpret_cast<const unsigned char*>(given_back_to);
    const auto* const end = p + size_;
    const auto* next_give_back = p + give_back_step;
    (void)discard_pages(given_back_to + size_, given_back_to + bytes_.capacity());
    std::uint64_t begin = 0;
    while (p < end) {
        const std::uint8_t first = *p++;
        if (first & statement_bit) {
            begin = log_coding::unzigzag(begin, log_coding::get_varint(p));
            const std::uint64_t coded = log_coding::get_varint(p);
            run(static_cast<std::uint8_t>(coded & 3U),
                std::string_view(input + static_cast<std::size_t>(begin),
                                 static_cast<std::size_t>(coded >> 2U)));
            run(static_cast<std::uint8_t>(first & ~statement_bit), std::string_view());
        } else {
            run(first, std::string_view());
        }
        if (p >= next_give_back) [[unlikely]] {
            given_back_to = give_back(given_back_to, p);
            next_give_back = p + give_back_step;
        }
    }
}

} // namespace morvane
