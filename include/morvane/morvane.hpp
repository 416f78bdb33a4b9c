#pragma once
// The morvane library: converts sprite-animation project files from the old
// block-structured format to the new section-and-key format, and checks old-format
// files, saying where one stops being well formed.
//
// Nothing here keeps global state: every call and every converter object stands
// alone, so conversions may run one after another or on several threads at once,
// each on its own input. No function throws for a bad, unreadable or oversized
// input; each reports an outcome instead.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

enum class outcome {
    success,       // the input is a well-formed project (and the output was produced)
    parse_failure, // the input is not a well-formed project
    read_failure,  // the input could not be read
    write_failure, // the output could not be written
    out_of_memory, // memory ran out
};

// A short English description, e.g. "Out of Memory" for out_of_memory.
[[nodiscard]] std::string_view describe(outcome o) noexcept;

// How many records of each kind a converted project holds, counted in the
// document the conversion built. Animations are counted over all characters,
// animation frames over all animations, and sprites, points and collision
// rectangles over all frames.
struct project_counts {
    std::uint64_t characters = 0;
    std::uint64_t animations = 0;
    std::uint64_t animation_frames = 0;
    std::uint64_t frames = 0;
    std::uint64_t sprites = 0;
    std::uint64_t points = 0;
    std::uint64_t collision_rectangles = 0;
    std::uint64_t charmaps = 0;
    [[nodiscard]] bool operator==(const project_counts&) const = default;
};

// A place where the conversion drops, merges or leaves out something that a
// well-formed input holds: a statement given again in its block (the last one
// wins), a block with the kind and name of another under the same parent (the
// two are not merged), a block without the name it is written under, or a
// record that holds a value but for which the new format writes nothing.
struct warning {
    std::uint64_t offset = 0; // bytes before the "[" of the statement or block concerned
    std::uint64_t line = 1;   // 1-based, as in syntax_error
    std::uint64_t column = 1; // 1-based, counted in bytes
    // The bytes of that line, without its line end: [line_begin, line_end).
    std::uint64_t line_begin = 0;
    std::uint64_t line_end = 0;
    std::string message; // e.g. "\"x\" given again in this sprite; the value at 3:5 is dropped"
    [[nodiscard]] bool operator==(const warning&) const = default;
};

struct options {
    // Also find the warnings of a well-formed input. Off, a conversion costs
    // nothing for them.
    bool warnings = false;
    // How many threads one conversion may use: 0 lets the library decide, from
    // the environment variable MORVANE_THREADS when it holds a number above 0,
    // else from the processors the calling thread may run on; 1 converts on the calling thread
    // alone. No result depends on it. Checks, conversions asked for warnings and inputs of unknown
    // size (streams, pipes) are parsed on one thread.
    unsigned threads = 0;
    // The fewest bytes of input a thread takes: 0 for the library's own choice
    // (8 MiB). Small parts serve to test the split itself.
    std::size_t min_part_bytes = 0;
};

struct conversion_result {
    outcome status = outcome::success;
    std::string text;              // the new-format text; empty unless status is success
    project_counts counts;         // all zero unless status is success
    std::vector<warning> warnings; // in file order, when asked for and status is success
    [[nodiscard]] bool ok() const noexcept { return status == outcome::success; }
};

// Converts a whole old-format project held in memory, or read from a stream up
// to its end, to new-format text. An empty or white-space-only input converts
// to the empty text.
[[nodiscard]] conversion_result convert(std::string_view old_format, const options& how = {});
[[nodiscard]] conversion_result convert(std::istream& old_format, const options& how = {});

// Conversion in two steps, for writing straight to a file or stream and for
// reporting the parse before anything is written.
class converter {
  public:
    converter();
    explicit converter(const options& how); // only threads and min_part_bytes count
    ~converter();
    converter(converter&&) noexcept;
    converter& operator=(converter&&) noexcept;
    converter(const converter&) = delete;
    converter& operator=(const converter&) = delete;

    // Reads and parses a whole old-format project, replacing what an earlier
    // parse built. A FILE* is read from its current position to its end, with
    // the stream's own buffering switched off, so pass one that was just opened;
    // it stays open and the caller's. On Windows a FILE* opened in text mode
    // is read as a Windows text file (each CR LF pair as one LF, 0x1A bytes at
    // its very end dropped) and written with CR LF line ends; one opened in
    // binary mode, like any stream elsewhere, is read and written byte for byte.
    [[nodiscard]] outcome parse(std::string_view old_format);
    [[nodiscard]] outcome parse(std::istream& old_format);
    [[nodiscard]] outcome parse(std::FILE* old_format);

    // Writes the project that the last successful parse built (nothing when
    // there was none) and flushes. A project is written once: writing orders
    // it in place and the converter is empty afterwards.
    [[nodiscard]] outcome write(std::ostream& out);
    [[nodiscard]] outcome write(std::FILE* out);

  private:
    struct state;
    std::unique_ptr<state> state_;
    options how_;
};

// Where an input stops being a well-formed project.
struct syntax_error {
    std::uint64_t offset = 0; // bytes before the position
    std::uint64_t line = 1;   // 1-based; "\n", "\r\n" and "\r" each end a line
    std::uint64_t column = 1; // 1-based, counted in bytes
    // The bytes of that line, without its line end: [line_begin, line_end).
    std::uint64_t line_begin = 0;
    std::uint64_t line_end = 0;
    // What would have been accepted there: quoted literals such as "\"!\"", then
    // kinds of token such as "a name", "a number", "a digit", "end of input".
    std::vector<std::string> expected;
    // The input begins with the UTF-8 byte-order mark (EF BB BF), which no
    // project may hold; the error is then at its first byte.
    bool byte_order_mark = false;

    // "expected X, Y or Z", or what to do about a byte-order mark.
    [[nodiscard]] std::string message() const;
};

struct check_result {
    outcome status = outcome::success;
    std::optional<syntax_error> error; // present when status is parse_failure
    std::vector<warning> warnings;     // in file order, when asked for and status is success
    [[nodiscard]] bool ok() const noexcept { return status == outcome::success; }
};

// Parses an old-format project without converting it. When it does not parse,
// the error names the furthest position the grammar reached and what it tried
// there.
[[nodiscard]] check_result check(std::string_view old_format, const options& how = {});
[[nodiscard]] check_result check(std::istream& old_format, const options& how = {});
[[nodiscard]] check_result check(std::FILE* old_format, const options& how = {});

} // namespace morvane
