#include "parser/input.hpp"

#include <algorithm>
#include <cstring>

namespace morvane {

std::size_t input_source::read_in_pieces(char* dst, std::size_t n, std::size_t /*pieces*/) {
    std::size_t done = 0;
    for (std::size_t got = 1; done < n && got != 0; done += got) got = read(dst + done, n - done);
    return done;
}

std::size_t memory_source::read(char* dst, std::size_t max) {
    const std::size_t n = std::min(max, rest_.size());
    if (n != 0) std::memcpy(dst, rest_.data(), n);
    rest_.remove_prefix(n);
    return n;
}

} // namespace morvane
