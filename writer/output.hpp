#pragma once
// The single output primitive. Every byte of the new format goes through
// output_string, which fills "%s" placeholders with values byte for byte (a value
// may hold any byte, NUL included) and hands the result to a sink in large blocks.

#include "containers/large_block.hpp"
#include "model/text.hpp"
#include "writer/output_sink.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace morvane {

// A format for output_string: a literal whose "%s" placeholders are located at
// compile time. Scanning every format when used instead: realistic 10 MiB 337.5M instructions
// instead of 256.2M, sprites-in-one-frame 100k 225.1M instead of 181.1M; peak
// the same (realistic 100 MiB 210980 KiB against 210952).
class output_format {
  public:
    static constexpr std::size_t max_placeholders = 6;

    template <std::size_t N>
    consteval output_format(const char (&literal)[N]) // NOLINT: implicit by design
        : text_(literal, N - 1) {
        for (std::size_t at = 0; at + 1 < text_.size();) {
            if (text_[at] == '%' && text_[at + 1] == 's') {
                if (placeholders_ == max_placeholders) throw "too many placeholders";
                ends_[placeholders_++] = at;
                at += 2;
            } else {
                ++at;
            }
        }
    }

    [[nodiscard]] constexpr std::string_view text() const noexcept { return text_; }
    // How many placeholders, and where each begins.
    [[nodiscard]] constexpr std::size_t placeholders() const noexcept { return placeholders_; }
    [[nodiscard]] constexpr std::size_t placeholder_at(std::size_t i) const noexcept {
        return ends_[i];
    }

  private:
    std::string_view text_;
    std::array<std::size_t, max_placeholders> ends_{}; // placeholder starts
    std::size_t placeholders_ = 0;
};

// Each line's writing is expanded where it is written, so that with a literal
// format the lengths and places of its fixed parts are constants there and the
// line is copied in a few fixed-size moves. Left to the compiler instead:
// realistic 10 MiB 295.9M instructions instead of 256.2M, sprites-in-one-frame
// 100k 208.1M instead of 181.1M; peak the same (210952 KiB against 211064).
#if defined(__GNUC__)
#define MORVANE_INLINE_LINE [[gnu::always_inline]] inline
#else
#define MORVANE_INLINE_LINE inline
#endif

// The writer hands its bytes to the sink in blocks of this size.
inline constexpr std::size_t output_block_size = std::size_t{1} << 20U;

class writer {
  public:
    explicit writer(output_sink& sink) : sink_(sink) {}
    writer(const writer&) = delete;
    writer& operator=(const writer&) = delete;

    // Adds delta to the indentation, writes that many tabs, then the format with
    // each "%s" replaced by the next value.
    template <class... Values>
    MORVANE_INLINE_LINE void output_string(std::int64_t delta, const output_format& format,
                                           const Values&... values) {
        const std::array<std::string_view, sizeof...(Values)> filled{as_view(values)...};
        indent_level += delta;
        if (indent_level > 0) print_tabs();
        emit(format, filled.data(), filled.size());
    }

    void print_tabs();
    // Appends bytes as they are.
    void write_bytes(std::string_view bytes) { put(bytes.data(), bytes.size()); }
    // Takes over the bytes `from` holds but has not handed to its sink yet, so
    // that text printed on another thread is copied once.
    void take_buffered(writer& from) {
        put(from.buffer_.get(), from.used_);
        from.used_ = 0;
    }
    // Hands every buffered byte to the sink and flushes it.
    void flush();

    std::int64_t indent_level = 0;

  private:
    MORVANE_INLINE_LINE static std::string_view as_view(const text& t) { return t.view(); }
    MORVANE_INLINE_LINE static std::string_view as_view(std::string_view s) { return s; }

    MORVANE_INLINE_LINE void emit(const output_format& format, const std::string_view* values,
                                  std::size_t count) {
        const std::string_view f = format.text();
        const std::size_t filled = std::min(count, format.placeholders());
        std::size_t total = f.size() - 2 * format.placeholders();
        for (std::size_t i = 0; i < filled; ++i) total += values[i].size();
        if (total > block_size - used_) return emit_spilling(format, values, count);
        // The whole line fits: copy its pieces without checking each.
        char* out = buffer_.get() + used_;
        std::size_t from = 0;
        for (std::size_t i = 0; i < format.placeholders(); ++i) {
            const std::size_t at = format.placeholder_at(i);
            copy(out, f.data() + from, at - from);
            out += at - from;
            if (i < filled) {
                copy(out, values[i].data(), values[i].size());
                out += values[i].size();
            }
            from = at + 2;
        }
        copy(out, f.data() + from, f.size() - from);
        used_ += total;
    }
    void emit_spilling(const output_format& format, const std::string_view* values,
                       std::size_t count);
    // Appends bytes, handing the block to the sink whenever it fills.
    void put(const char* bytes, std::size_t n) {
        if (n <= block_size - used_) {
            copy(buffer_.get() + used_, bytes, n);
            used_ += n;
        } else {
            put_spilling(bytes, n);
        }
    }
    // Most pieces are a few bytes long: fixed-size, overlapping moves copy them
    // in place, without a library call. Every move stays within the n bytes; GCC
    // still reports the 8-byte branch where it inlines a shorter literal piece,
    // a branch that such a piece never takes. With memcpy alone: realistic
    // 10 MiB 284.3M instructions instead of 256.2M, sprites-in-one-frame 100k
    // 202.2M instead of 181.1M; peak the same (210952 KiB against 211048).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#endif
    MORVANE_INLINE_LINE static void copy(char* to, const char* from, std::size_t n) noexcept {
        if (n > 16) {
            std::memcpy(to, from, n);
        } else if (n >= 8) {
            std::uint64_t head, tail;
            std::memcpy(&head, from, 8);
            std::memcpy(&tail, from + n - 8, 8);
            std::memcpy(to, &head, 8);
            std::memcpy(to + n - 8, &tail, 8);
        } else if (n >= 4) {
            std::uint32_t head, tail;
            std::memcpy(&head, from, 4);
            std::memcpy(&tail, from + n - 4, 4);
            std::memcpy(to, &head, 4);
            std::memcpy(to + n - 4, &tail, 4);
        } else if (n > 0) {
            to[0] = from[0];
            to[n / 2] = from[n / 2];
            to[n - 1] = from[n - 1];
        }
    }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
    void put_spilling(const char* bytes, std::size_t n);
    void spill();

    static constexpr std::size_t block_size = output_block_size;
    output_sink& sink_;
    large_block buffer_ = allocate_large_block(block_size);
    std::size_t used_ = 0;
};

} // namespace morvane
