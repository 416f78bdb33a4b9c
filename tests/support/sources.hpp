#pragma once
// An input source that behaves the way real inputs can: a pipe giving a few
// bytes at a time, a file that shrinks or grows while it is read (it claims the
// size it had when opened), a device that fails partway.

#include "parser/input.hpp"

#include <algorithm>
#include <limits>
#include <string_view>

namespace morvane::testing {

struct source_behaviour {
    std::size_t chunk = std::numeric_limits<std::size_t>::max();   // most bytes per read
    std::optional<std::uint64_t> claimed_size;                     // none: the size is unknown
    std::size_t fail_at = std::numeric_limits<std::size_t>::max(); // throws after this many
};

class scripted_source : public input_source {
  public:
    scripted_source(std::string_view bytes, source_behaviour b) : rest_(bytes), b_(b) {}
    std::size_t read(char* dst, std::size_t max) override {
        if (b_.fail_at == 0) throw read_error("device gone");
        const std::size_t n = std::min({max, b_.chunk, b_.fail_at, rest_.size()});
        std::copy_n(rest_.data(), n, dst);
        rest_.remove_prefix(n);
        b_.fail_at -= n;
        return n;
    }
    [[nodiscard]] std::optional<std::uint64_t> size_hint() const override {
        return b_.claimed_size;
    }

  private:
    std::string_view rest_;
    source_behaviour b_;
};

} // namespace morvane::testing
