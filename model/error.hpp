#pragma once
// The fatal path. A conversion never ends the process itself: error() throws,
// and whoever runs the conversion reports "ERROR: <message>" and fails.

#include <array>
#include <stdexcept>
#include <string_view>

namespace morvane {

inline constexpr std::array<std::string_view, 2> errors{"Unknown", "Out of Memory"};
inline constexpr int error_unknown = 0;
inline constexpr int error_out_of_memory = 1;

class fatal_error : public std::runtime_error {
  public:
    explicit fatal_error(int index);
    [[nodiscard]] int index() const noexcept { return index_; }

  private:
    int index_;
};

[[noreturn]] void error(int index);

} // namespace morvane
