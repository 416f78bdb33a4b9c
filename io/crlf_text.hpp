#pragma once
// Text stored with CR LF line ends, as Windows stores text files: read as the
// parser expects text, and written from the writer's LF-ended lines.

#include "containers/large_block.hpp"
#include "parser/input.hpp"
#include "writer/output_sink.hpp"

#include <cstdint>

namespace morvane {

// Hands each CR LF pair of the stored bytes on as a single LF; a lone CR or LF
// stays as it is. 0x1A bytes with nothing after them end the file as an old
// end-of-file marker and are dropped; a 0x1A followed by anything is data.
// A pair or a run of 0x1A may be split across the underlying source's reads.
class crlf_text_source : public input_source {
  public:
    explicit crlf_text_source(input_source& stored) : stored_(stored) {}
    std::size_t read(char* dst, std::size_t max) override;
    // Translation only removes bytes: the stored size bounds what is left.
    [[nodiscard]] std::optional<std::uint64_t> size_hint() const override {
        return stored_.size_hint();
    }

  private:
    input_source& stored_;
    large_block block_;
    std::size_t at_ = 0;
    std::size_t filled_ = 0;
    bool stored_ended_ = false;
    // Read but not yet handed on: held_count_ bytes held_, a CR that may start
    // a pair or a run of 0x1A that may be the end of the file. Once decided_,
    // they are data and go out before any later byte.
    char held_ = 0;
    std::uint64_t held_count_ = 0;
    bool decided_ = false;
};

// Stores every LF as the pair CR LF and passes every other byte through as it
// is, a CR of a value included. Each write is handed on whole before it returns.
class crlf_text_sink : public output_sink {
  public:
    explicit crlf_text_sink(output_sink& stored) : stored_(stored) {}
    void write(std::string_view bytes) override;
    void flush() override { stored_.flush(); }

  private:
    void spill();

    output_sink& stored_;
    large_block block_;
    std::size_t used_ = 0;
};

} // namespace morvane
