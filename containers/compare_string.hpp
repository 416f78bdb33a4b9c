#pragma once
// Byte-order string comparisons in the shape the list callbacks expect. Strings
// are compared over their full length, so an embedded NUL byte is just a byte.

#include <string_view>

namespace morvane {

// -1, 0 or 1; bytes compare as unsigned values, a prefix sorts first.
[[nodiscard]] int string_compare(std::string_view a, std::string_view b) noexcept;
[[nodiscard]] int string_equal(std::string_view a, std::string_view b) noexcept;
// The same with each byte lower-cased (ASCII letters only).
[[nodiscard]] int string_nocase_compare(std::string_view a, std::string_view b) noexcept;
[[nodiscard]] int string_nocase_equal(std::string_view a, std::string_view b) noexcept;

} // namespace morvane
