#pragma once
// Writes the new format to an open stream, reporting every failed write.

#include "writer/output.hpp"

#include <cstdio>

namespace morvane {

class file_sink : public output_sink {
  public:
    explicit file_sink(std::FILE* file) : file_(file) {}
    void write(std::string_view bytes) override;
    void flush() override;

  private:
    std::FILE* file_;
};

} // namespace morvane
