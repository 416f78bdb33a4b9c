#pragma once
// Writes the new format to an open stream, reporting every failed write.
//
// A block is handed to the stream by a helper thread while the writer formats
// the next one, so the time the system takes to store the output overlaps with
// producing it. At most one block is in flight; its failure is reported by the
// next write or by flush, which waits for it. Blocks larger than the writer's
// are written directly.

#include "writer/output.hpp"

#include <cstdio>
#include <future>
#include <memory>

namespace morvane {

class file_sink : public output_sink {
  public:
    explicit file_sink(std::FILE* file) : file_(file) {}
    file_sink(const file_sink&) = delete;
    file_sink& operator=(const file_sink&) = delete;
    file_sink(file_sink&&) = delete;
    file_sink& operator=(file_sink&&) = delete;
    ~file_sink() override;

    void write(std::string_view bytes) override;
    void flush() override;

  private:
    // Waits for the block in flight; throws write_error when it failed.
    void finish_pending();

    std::FILE* file_;
    large_block spare_; // the copy of the block in flight
    std::size_t spare_size_ = 0;
    std::future<void> pending_;
};

} // namespace morvane
