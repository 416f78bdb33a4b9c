#pragma once
// Where the parser's bytes come from: any input_source (files and streams are
// in io/), or bytes already in memory.

#include <cstdint>
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
    // Copies the next `n` bytes to dst as read() would, in up to `pieces`
    // pieces read at once where the source can read at positions (a regular
    // file), and returns how many of the first bytes it gave: fewer when the
    // input ended, the source then being past those. Reading in pieces spreads
    // the copy, and the first touch of dst's fresh pages, over the cores
    // (realistic 100 MiB on 2 threads: read in 17 to 20 ms against 31; the
    // whole run 0.316 s against 0.326, medians of 11 interleaved runs).
    virtual std::size_t read_in_pieces(char* dst, std::size_t n, std::size_t pieces);
    // How many bytes are left, when that is known, so buffers can be sized once.
    // A hint only: a file may shrink or grow while it is read, and the parse
    // then sees exactly the bytes that read() gave.
    [[nodiscard]] virtual std::optional<std::uint64_t> size_hint() const { return std::nullopt; }
};

class memory_source : public input_source {
  public:
    explicit memory_source(std::string_view bytes) : rest_(bytes) {}
    std::size_t read(char* dst, std::size_t max) override;
    [[nodiscard]] std::optional<std::uint64_t> size_hint() const override { return rest_.size(); }

  private:
    std::string_view rest_;
};

} // namespace morvane
