#include "parser/expectations.hpp"

#include <algorithm>
#include <array>

namespace morvane {
namespace {

// Every byte value once, so that the literal of one byte has text to point to.
constexpr std::array<char, 256> all_bytes = [] {
    std::array<char, 256> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i);
    return bytes;
}();

} // namespace

expectation expectation::byte(char c) noexcept {
    return {std::string_view(&all_bytes[static_cast<unsigned char>(c)], 1), true};
}

void failure_tracker::note(std::size_t pos, expectation what) {
    if (pos > position_ || expected_.empty()) {
        position_ = pos;
        expected_.clear();
    }
    if (pos == position_ && std::find(expected_.begin(), expected_.end(), what) == expected_.end())
        expected_.push_back(what);
}

} // namespace morvane
