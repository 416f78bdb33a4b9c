#pragma once
// A value of the document: a borrowed run of bytes, or absent. An empty value
// that the input gave is present; a value the input never gave is absent. The
// bytes live in the retained input or in the document's arena.
//
// Records hold many values, most of them short or absent, so a value is one
// 64-bit word: the address of its bytes shifted up by 16 bits, and its length
// in the low 16 bits. User-space addresses of the 64-bit platforms we build for
// take at most 48 bits (32 on 32-bit ones), so the address fits whole. A value
// of 65535 bytes or more, of any size, is held in long form: the length bits
// are all set and the address is that of a long_text, which the document keeps
// (document::borrow makes it). An absent value is the word 0; an empty present
// one has the address of a static empty string.
//
// Against a pointer and a 64-bit length (bench/ledger.sh), peak memory:
// realistic 100 MiB 211,016 KiB with, 249,880 without; sprites-in-one-frame 1M
// 123,920 with, 148,496 without; instructions: realistic 10 MiB 256.2M with,
// 250.5M without; same-name-frames 100k 81.5M with, 78.3M without.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace morvane {

// Where a long value's bytes are and how many there are.
struct long_text {
    const char* data;
    std::size_t size;
};

class text {
  public:
    // The longest value held in short form.
    static constexpr std::size_t short_limit = 0xFFFE;

    constexpr text() noexcept = default;
    // A present value of at most short_limit bytes; a longer one needs
    // document::borrow. Throws std::length_error for a longer one, and when the
    // address does not fit (never, on the platforms above).
    explicit text(std::string_view bytes) {
        if (!fits_short(bytes)) throw std::length_error("text: value needs the long form");
        word_ = pack(bytes.data() != nullptr ? bytes.data() : empty, bytes.size());
    }
    // A present value in long form; `wide` must outlive every copy.
    [[nodiscard]] static text of_long(const long_text* wide) {
        if (!fits(wide)) throw std::length_error("text: address beyond 48 bits");
        text t;
        t.word_ = pack(wide, long_mark);
        return t;
    }
    // Whether bytes can be held in short form.
    [[nodiscard]] static bool fits_short(std::string_view bytes) noexcept {
        return bytes.size() <= short_limit && fits(bytes.data());
    }

    [[nodiscard]] constexpr bool present() const noexcept { return word_ != 0; }
    [[nodiscard]] std::string_view view() const noexcept {
        const std::size_t length = word_ & long_mark;
        const auto address = static_cast<std::uintptr_t>(word_ >> length_bits);
        if (length == long_mark) [[unlikely]] {
            const auto* wide = reinterpret_cast<const long_text*>(address);
            return {wide->data, wide->size};
        }
        if (address == 0) return {empty, 0};
        return {reinterpret_cast<const char*>(address), length};
    }

  private:
    static constexpr unsigned length_bits = 16;
    static constexpr std::uint64_t long_mark = (std::uint64_t{1} << length_bits) - 1;
    static constexpr const char* empty = "";

    static bool fits(const void* address) noexcept {
        return (static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(address)) >>
                (64 - length_bits)) == 0;
    }
    static std::uint64_t pack(const void* address, std::uint64_t length) noexcept {
        return (static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(address))
                << length_bits) |
               length;
    }

    std::uint64_t word_ = 0;
};

} // namespace morvane
