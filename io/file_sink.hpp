#pragma once
// Writes the new format to an open stream, reporting every failed write.
//
// A block is handed to the stream by a helper thread while the writer formats
// the next one, so the time the system takes to store the output overlaps with
// producing it. The writer's own blocks change hands rather than being copied;
// other writes of up to a few MiB are copied. At most one block is in flight;
// its failure is reported by the next write or by flush, which waits for it.
// Larger writes are written directly.

#include "writer/output_sink.hpp"

#include <cstdio>
#include <future>

namespace morvane {

class file_sink : public output_sink {
  public:
    explicit file_sink(std::FILE* file) : file_(file) {}
    // Not moved either: a block in flight is read from in_flight_.
    file_sink(const file_sink&) = delete;
    file_sink& operator=(const file_sink&) = delete;

    void write(std::string_view bytes) override;
    // The block goes in flight as it is; the one in flight before comes back.
    void write_block(large_block& block, std::size_t used, std::size_t capacity) override;
    void flush() override;

  private:
    // Waits for the block in flight; throws write_error when it failed.
    void finish_pending();
    // Writes the first `used` bytes of in_flight_ in the background.
    void start_writing(std::size_t used);

    std::FILE* file_;
    large_block in_flight_; // the block being written, or the last one written
    std::size_t in_flight_size_ = 0;
    // Last, so destroyed first: a future of std::async waits for its task, so
    // the block in flight is written out before in_flight_ goes. Its error, if
    // any, has no one left to report to (a conversion that got here failed).
    std::future<void> pending_;
};

} // namespace morvane
