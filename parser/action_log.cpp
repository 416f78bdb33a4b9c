#include "parser/action_log.hpp"

#include <algorithm>

namespace morvane {
namespace {

constexpr std::size_t first_log = 4096;

} // namespace

void action_log::reserve_for_input(std::size_t input_bytes) {
    // A statement takes a few bytes of log, a fraction of its bytes of input;
    // reserving that at once (memory not yet touched costs nothing) saves
    // copying a large log each time it would double.
    bytes_.reserve(std::max(first_log, input_bytes / 4), size_);
}

void action_log::grow() { bytes_.reserve(std::max(size_ + max_entry, first_log), size_); }

char* action_log::give_back(char* from, const unsigned char* to) noexcept {
    return discard_pages(from, bytes_.data() +
                                   (to - reinterpret_cast<const unsigned char*>(bytes_.data())));
}

void action_log::clear() noexcept {
    // The document that a large log built outlives it, and would otherwise
    // share the memory with it.
    if (bytes_.capacity() > 16 * first_log) bytes_ = byte_buffer();
    size_ = 0;
    last_begin_ = 0;
}

} // namespace morvane
