#pragma once
// A position in the input with the steps that match from it. A rule matches on
// a cursor of its own and hands it to the engine only once it has matched, so
// a rule that fails has moved nothing. A step that needs a byte beyond those
// read asks the input for more; a step that fails says, while failures are
// tracked, what it expected there.

#include "parser/char_class.hpp"
#include "parser/expectations.hpp"
#include "parser/input_buffer.hpp"

#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace morvane {

// A literal that the rules match, with its first bytes (at most 8) packed into
// a word as they lie in memory, so that it is compared in one step. Compared by
// memcmp instead: realistic 10 MiB 270.0M instructions instead of 256.2M,
// variables-in-one-character 100k 123.4M instead of 113.6M; peak the same
// (realistic 100 MiB 210984 KiB against 210952).
struct keyword {
    std::string_view text;
    std::uint64_t head = 0;
    std::uint64_t mask = 0;

    template <std::size_t N>
    consteval keyword(const char (&literal)[N]) // NOLINT: implicit by design
        : keyword(std::string_view(literal, N - 1)) {}
    consteval explicit keyword(std::string_view literal) : text(literal) {
        if (text.empty()) throw "a keyword has at least one byte";
        for (std::size_t i = 0; i < text.size() && i < 8; ++i) {
            const unsigned shift =
                std::endian::native == std::endian::little ? 8U * i : 8U * (7 - i);
            head |= std::uint64_t{static_cast<unsigned char>(text[i])} << shift;
            mask |= std::uint64_t{0xFF} << shift;
        }
    }

    // Whether the bytes at `at`, of which at least text.size() and 8 may be
    // read, begin with the keyword.
    [[nodiscard]] bool at(const char* bytes) const noexcept {
        std::uint64_t w;
        std::memcpy(&w, bytes, 8);
        return (w & mask) == head &&
               (text.size() <= 8 || std::memcmp(bytes + 8, text.data() + 8, text.size() - 8) == 0);
    }
};

struct capture {
    std::size_t begin;
    std::size_t end;
};

class cursor {
  public:
    cursor(input_buffer& in, failure_tracker& failures, std::size_t pos) noexcept
        : in_(in), failures_(failures), pos_(pos) {}

    [[nodiscard]] std::size_t pos() const noexcept { return pos_; }

    // Whether a byte stands at the position; peek() then gives it.
    [[nodiscard]] bool available() { return pos_ < in_.limit() || in_.yyrefill(); }
    [[nodiscard]] char peek() const noexcept { return in_.data()[pos_]; }

    // Takes c, which is not NUL, when it stands here. The NUL after the bytes
    // read never equals it, so only a mismatch needs the test for more input.
    bool take(char c) {
        assert(c != '\0');
        for (;;) {
            if (in_.data()[pos_] == c) {
                ++pos_;
                return true;
            }
            if (pos_ < in_.limit() || !in_.yyrefill()) return false;
        }
    }
    // "c"
    bool literal(char c) {
        if (take(c)) return true;
        expect(pos_, expectation::byte(c));
        return false;
    }
    // "KEYWORD": the literal, whole, or nothing of it.
    bool yymatchString(const keyword& k) {
        for (;;) {
            const std::size_t left = in_.limit() - pos_;
            const char* at = in_.data() + pos_;
            if (left >= k.text.size() && k.at(at)) {
                pos_ += k.text.size();
                return true;
            }
            // Fewer bytes at hand than the keyword has, and those agree: more decide.
            if (left >= k.text.size() || std::memcmp(at, k.text.data(), left) != 0 ||
                !in_.yyrefill())
                break;
        }
        expect(pos_, {k.text, true});
        return false;
    }
    // [members], named `name` when it is missing.
    bool member(const char_class& members, std::string_view name) {
        if (available() && members.contains(static_cast<unsigned char>(peek()))) {
            ++pos_;
            return true;
        }
        expect(pos_, {name, false});
        return false;
    }
    // [Members]* : never fails. Members holds no NUL, so the NUL after the
    // bytes read ends the scan.
    template <const char_class& Members> void skip() {
        static_assert(!Members.contains(0));
        for (;;) {
            const char* bytes = in_.data();
            std::size_t p = pos_;
            while (Members.contains(static_cast<unsigned char>(bytes[p]))) ++p;
            pos_ = p;
            if (p < in_.limit() || !in_.yyrefill()) return;
        }
    }
    // ( !"c" . )* : every byte up to the next c or the end of the input.
    void skip_to(char c) {
        for (;;) {
            const char* from = in_.data() + pos_;
            const std::size_t left = in_.limit() - pos_;
            if (const void* found = std::memchr(from, c, left)) {
                pos_ += static_cast<std::size_t>(static_cast<const char*>(found) - from);
                return;
            }
            pos_ += left;
            if (!in_.yyrefill()) return;
        }
    }
    // !. , named `name` when something follows.
    bool end(std::string_view name) {
        if (!available()) return true;
        expect(pos_, {name, false});
        return false;
    }

    void expect(std::size_t at, expectation what) { failures_.expect(at, what); }

  private:
    input_buffer& in_;
    failure_tracker& failures_;
    std::size_t pos_;
};

} // namespace morvane
