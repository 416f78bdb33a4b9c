#pragma once
// A stream that the caller opened, read or written the way the platform stores
// text when it was opened in text mode (where text files end lines with CR LF:
// see io/platform.hpp), and byte for byte otherwise.

#include "io/crlf_text.hpp"
#include "io/file_sink.hpp"
#include "io/file_source.hpp"
#include "io/platform.hpp"

#include <cstdio>
#include <optional>

namespace morvane {

// The file itself, or the CR LF text layer over it for a text stream: chosen
// once, when the stream is taken over.
template <class Stream, class File, class Text> class file_or_text {
  public:
    explicit file_or_text(std::FILE* file)
        : file_or_text(file, platform::take_over_text_mode(file)) {}
    file_or_text(const file_or_text&) = delete;
    file_or_text& operator=(const file_or_text&) = delete;

    Stream* operator->() const { return stream_; }

  private:
    // The text mode is settled before file_ looks at the stream.
    file_or_text(std::FILE* file, bool crlf) : file_(file) {
        if (crlf) stream_ = &text_.emplace(file_);
    }

    File file_;
    std::optional<Text> text_;
    Stream* stream_ = &file_;
};

class file_input : public input_source {
  public:
    explicit file_input(std::FILE* file) : in_(file) {}

    std::size_t read(char* dst, std::size_t max) override { return in_->read(dst, max); }
    std::size_t read_in_pieces(char* dst, std::size_t n, std::size_t pieces) override {
        return in_->read_in_pieces(dst, n, pieces);
    }
    [[nodiscard]] std::optional<std::uint64_t> size_hint() const override {
        return in_->size_hint();
    }

  private:
    file_or_text<input_source, file_source, crlf_text_source> in_;
};

class file_output : public output_sink {
  public:
    explicit file_output(std::FILE* file) : out_(file) {}

    void write(std::string_view bytes) override { out_->write(bytes); }
    void write_block(large_block& block, std::size_t used, std::size_t capacity) override {
        out_->write_block(block, used, capacity);
    }
    void flush() override { out_->flush(); }

  private:
    file_or_text<output_sink, file_sink, crlf_text_sink> out_;
};

} // namespace morvane
