#pragma once
// Where the parser's bytes come from: a file, or bytes already in memory.

#include "containers/large_block.hpp"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace morvane {

class read_error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class input_source {
  public:
    virtual ~input_source() = default;
    // Copies up to max bytes to dst and returns how many; 0 only at the end of
    // the input. Throws read_error when the bytes cannot be had.
    virtual std::size_t read(char* dst, std::size_t max) = 0;
    // How many bytes are left, when that is known, so buffers can be sized once.
    [[nodiscard]] virtual std::optional<std::uint64_t> size_hint() const { return std::nullopt; }

    // All the remaining bytes at once, in a block that the caller then owns,
    // when the source can hand them over without copying; otherwise nothing.
    struct whole_input {
        large_block bytes;
        std::size_t size;
    };
    [[nodiscard]] virtual std::optional<whole_input> take_whole() { return std::nullopt; }
};

class memory_source : public input_source {
  public:
    explicit memory_source(std::string_view bytes) : rest_(bytes) {}
    std::size_t read(char* dst, std::size_t max) override;
    [[nodiscard]] std::optional<std::uint64_t> size_hint() const override { return rest_.size(); }

  private:
    std::string_view rest_;
};

// Reads an open stream in large blocks; the stream stays the caller's.
class file_source : public input_source {
  public:
    explicit file_source(std::FILE* file);
    std::size_t read(char* dst, std::size_t max) override;
    [[nodiscard]] std::optional<std::uint64_t> size_hint() const override { return size_; }
    // A regular file read from its start is mapped into memory where the
    // platform can, which spares copying it and filling fresh memory.
    [[nodiscard]] std::optional<whole_input> take_whole() override;

  private:
    std::FILE* file_;
    std::optional<std::uint64_t> size_;
};

} // namespace morvane
