#pragma once
// The input bytes that a parse has read so far. Bytes are read from the input
// source only when a rule needs one beyond them, and stay in place until the
// parse ends, since backtracking may return to any of them.
//
// The bytes read are always followed by `slack` zero bytes. A NUL therefore
// ends every scan over a class without NUL, with no test for the end of the
// bytes on each step, and a word of 8 bytes may be loaded at any position.

#include "containers/byte_buffer.hpp"
#include "containers/large_block.hpp"
#include "parser/input.hpp"

#include <cstddef>
#include <optional>
#include <string_view>

namespace morvane {

// On cache lines of its own: the engines of later parts read the bytes' place
// and limit through the first part's buffer while that engine writes its log
// and position, which would otherwise share a line with them, depending on
// where the engine lies. Realistic 100 MiB, 6 interleaved rounds while both
// processors ran at full speed, output names of 14, 30, 31 and 38 bytes (they
// move the stack of the thread that matches the first part): 0.222-0.229 s
// aligned, 0.222-0.257 s not; user 0.309 s against 0.340.
class alignas(64) input_buffer {
  public:
    static constexpr std::size_t slack = 8;

    void set_input(input_source& in);
    // Makes the buffer ready for a parse (after take(), again).
    void set_up();

    [[nodiscard]] const char* data() const noexcept { return bytes_.data(); }
    // How many bytes have been read.
    [[nodiscard]] std::size_t limit() const noexcept { return yylimit_; }
    [[nodiscard]] std::string_view buffered() const noexcept { return {data(), yylimit_}; }
    // Where the input should end, when its size is known.
    [[nodiscard]] std::optional<std::size_t> expected_limit() const noexcept {
        return expected_limit_;
    }
    // Reads more bytes after those read; false at the end of the input. The
    // bytes may move. Throws read_error when the input cannot be read.
    [[nodiscard]] bool yyrefill();
    // Reads the bytes up to the expected limit, in up to `pieces` pieces at
    // once (see input_source::read_in_pieces). Throws read_error as yyrefill.
    void read_rest(std::size_t pieces);

    // Drops the first `consumed` bytes, keeping the rest for the next parse.
    void drop(std::size_t consumed) noexcept;
    // Hands over the bytes read; the buffer is then empty.
    [[nodiscard]] large_block take() noexcept;

  private:
    void end_with_slack() noexcept;

    input_source* input_ = nullptr;
    bool at_end_ = false;
    std::optional<std::size_t> expected_limit_;
    byte_buffer bytes_;
    std::size_t yylimit_ = 0;
};

} // namespace morvane
