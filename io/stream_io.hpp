#pragma once
// Standard streams as the parser's input and the writer's output.

#include "parser/input.hpp"
#include "writer/output_sink.hpp"

#include <istream>
#include <ostream>

namespace morvane {

// Reads a stream to its end in large blocks. A stream that has already failed
// (a file stream that did not open) or goes bad is a read error; a stream set
// to throw at its end still ends normally.
class istream_source : public input_source {
  public:
    explicit istream_source(std::istream& in) : in_(in) {}
    std::size_t read(char* dst, std::size_t max) override;

  private:
    std::istream& in_;
    bool started_ = false;
    bool ended_ = false;
};

class ostream_sink : public output_sink {
  public:
    explicit ostream_sink(std::ostream& out) : out_(out) {}
    void write(std::string_view bytes) override;
    void flush() override;

  private:
    std::ostream& out_;
};

} // namespace morvane
