#include "parser/input.hpp"

#include <algorithm>
#include <cstring>

namespace morvane {

std::size_t memory_source::read(char* dst, std::size_t max) {
    const std::size_t n = std::min(max, rest_.size());
    if (n != 0) std::memcpy(dst, rest_.data(), n);
    rest_.remove_prefix(n);
    return n;
}

} // namespace morvane
