#include "parser/action_log.hpp"

#include <algorithm>

namespace morvane {
namespace {

constexpr std::size_t first_log = 4096;

} // namespace

void action_log::grow() { bytes_.reserve(std::max(size_ + max_entry, first_log), size_); }

char* action_log::give_back(char* from, const unsigned char* to) noexcept {
    return discard_pages(from, bytes_.data() +
                                   (to - reinterpret_cast<const unsigned char*>(bytes_.data())));
}

} // namespace morvane
