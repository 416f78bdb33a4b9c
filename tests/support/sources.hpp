#pragma once
// Input sources that behave the way real inputs can: a pipe giving a few bytes
// at a time, a file that shrinks or grows while it is read, a device that fails
// partway.

#include "parser/input.hpp"

#include <algorithm>
#include <string_view>

namespace morvane::testing {

// Hands out the bytes at most `chunk` at a time and never tells their size, so
// the parser has to refill its buffer again and again.
class trickle_source : public input_source {
  public:
    trickle_source(std::string_view bytes, std::size_t chunk) : rest_(bytes), chunk_(chunk) {}
    std::size_t read(char* dst, std::size_t max) override {
        const std::size_t n = std::min({max, chunk_, rest_.size()});
        std::copy_n(rest_.data(), n, dst);
        rest_.remove_prefix(n);
        return n;
    }

  private:
    std::string_view rest_;
    std::size_t chunk_;
};

// A file that changes while it is read: it claims the size it had when it was
// opened, then gives the bytes it has by now, `chunk` at a time at most.
class changing_source : public trickle_source {
  public:
    changing_source(std::uint64_t claimed, std::string_view now, std::size_t chunk)
        : trickle_source(now, chunk), claimed_(claimed) {}
    [[nodiscard]] std::optional<std::uint64_t> size_hint() const override { return claimed_; }

  private:
    std::uint64_t claimed_;
};

// Gives the first `fail_at` bytes of an input, then fails instead of going on.
class failing_source : public input_source {
  public:
    failing_source(std::string_view bytes, std::size_t fail_at) : bytes_(bytes), left_(fail_at) {}
    std::size_t read(char* dst, std::size_t max) override {
        if (left_ == 0) throw read_error("device gone");
        const std::size_t n = std::min({max, left_, bytes_.size()});
        std::copy_n(bytes_.data(), n, dst);
        bytes_.remove_prefix(n);
        left_ -= n;
        return n;
    }

  private:
    std::string_view bytes_;
    std::size_t left_;
};

} // namespace morvane::testing
