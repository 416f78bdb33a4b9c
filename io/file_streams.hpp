#pragma once
// A stream that the caller opened, read or written the way the platform stores
// text when it was opened in text mode (where text files end lines with CR LF:
// see io/platform.hpp), and byte for byte otherwise.

#include "io/crlf_text.hpp"
#include "io/file_sink.hpp"
#include "io/file_source.hpp"

#include <cstdio>
#include <optional>

namespace morvane {

class file_input : public input_source {
  public:
    explicit file_input(std::FILE* file);
    file_input(const file_input&) = delete;
    file_input& operator=(const file_input&) = delete;

    std::size_t read(char* dst, std::size_t max) override {
        return text_ ? text_->read(dst, max) : file_.read(dst, max);
    }
    [[nodiscard]] std::optional<std::uint64_t> size_hint() const override {
        return file_.size_hint();
    }

  private:
    bool crlf_; // settled before file_ looks at the stream
    file_source file_;
    std::optional<crlf_text_source> text_;
};

class file_output : public output_sink {
  public:
    explicit file_output(std::FILE* file);
    file_output(const file_output&) = delete;
    file_output& operator=(const file_output&) = delete;

    void write(std::string_view bytes) override {
        if (text_)
            text_->write(bytes);
        else
            file_.write(bytes);
    }
    void write_block(large_block& block, std::size_t used, std::size_t capacity) override {
        if (text_)
            output_sink::write_block(block, used, capacity);
        else
            file_.write_block(block, used, capacity);
    }
    void flush() override {
        if (text_)
            text_->flush();
        else
            file_.flush();
    }

  private:
    bool crlf_;
    file_sink file_;
    std::optional<crlf_text_sink> text_;
};

} // namespace morvane
