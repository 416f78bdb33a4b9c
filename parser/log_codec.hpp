#pragma once
// The number coding of the action log: unsigned variable-length integers (seven
// bits per byte, low bits first, high bit set on every byte but the last) and
// the zigzag mapping that lets a signed distance use it. Any 64-bit value fits
// in ten bytes, so positions and lengths beyond 4 GiB go through unchanged.

#include <cstddef>
#include <cstdint>

namespace morvane::log_codec {

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

// The difference to - from, taken as signed, mapped to 0, -1, 1, -2, 2, ... -> 0, 1, 2, 3, 4, ...
inline std::uint64_t zigzag(std::uint64_t from, std::uint64_t to) noexcept {
    const std::uint64_t delta = to - from;
    return (delta << 1U) ^ (0 - (delta >> 63U));
}

// The position that zigzag(from, to) was made from.
inline std::uint64_t unzigzag(std::uint64_t from, std::uint64_t coded) noexcept {
    return from + ((coded >> 1U) ^ (0 - (coded & 1U)));
}

} // namespace morvane::log_codec
