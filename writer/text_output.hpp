#pragma once
// Writes text for a file system whose text files end lines with CR LF.

#include "containers/large_block.hpp"
#include "writer/output.hpp"

#include <memory>

namespace morvane {

// Stores every LF as the pair CR LF and passes every other byte through as it
// is, a CR of a value included. Each write is handed on whole before it returns.
class crlf_text_sink : public output_sink {
  public:
    explicit crlf_text_sink(output_sink& stored) : stored_(stored) {}
    void write(std::string_view bytes) override;
    void flush() override { stored_.flush(); }

  private:
    void put(std::string_view bytes);
    void spill();

    output_sink& stored_;
    large_block block_;
    std::size_t used_ = 0;
};

} // namespace morvane
