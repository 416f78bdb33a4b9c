#pragma once
// An open C stream as the parser's input, with the size a regular file tells.

#include "parser/input.hpp"

#include <cstdint>
#include <cstdio>
#include <optional>

namespace morvane {

// Reads an open stream in large blocks with plain reads, never mapping it, so a
// file that another program truncates or rewrites meanwhile only gives fewer or
// other bytes. The stream stays the caller's.
class file_source : public input_source {
  public:
    explicit file_source(std::FILE* file);
    std::size_t read(char* dst, std::size_t max) override;
    // Reads each piece at its position, on a thread of its own, where the
    // system reads at positions.
    std::size_t read_in_pieces(char* dst, std::size_t n, std::size_t pieces) override;
    [[nodiscard]] std::optional<std::uint64_t> size_hint() const override { return size_; }

  private:
    std::FILE* file_;
    std::optional<std::uint64_t> size_;
};

} // namespace morvane
