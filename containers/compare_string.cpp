#include "compare_string.hpp"

#include <algorithm>
#include <cstring>

namespace morvane {
namespace {

unsigned char lower(unsigned char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// -1, 0 or 1 as x is below, equal to or above y.
template <class N> int sign(N x, N y) noexcept { return (x > y) - (x < y); }

} // namespace

int string_compare(std::string_view a, std::string_view b) noexcept {
    const std::size_t common = std::min(a.size(), b.size());
    const int c = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);
    return c != 0 ? sign(c, 0) : sign(a.size(), b.size());
}

int string_equal(std::string_view a, std::string_view b) noexcept { return a == b ? 1 : 0; }

int string_nocase_compare(std::string_view a, std::string_view b) noexcept {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = lower(static_cast<unsigned char>(a[i]));
        const unsigned char y = lower(static_cast<unsigned char>(b[i]));
        if (x != y) return sign(x, y);
    }
    return sign(a.size(), b.size());
}

int string_nocase_equal(std::string_view a, std::string_view b) noexcept {
    return string_nocase_compare(a, b) == 0 ? 1 : 0;
}

} // namespace morvane
