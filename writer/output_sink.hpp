#pragma once
// Where the writer's bytes go: the sink interface, its error, and a sink into a
// string.

#include "containers/large_block.hpp"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace morvane {

// Where the new-format bytes go. A sink that cannot write throws write_error.
class output_sink {
  public:
    virtual ~output_sink() = default;
    virtual void write(std::string_view bytes) = 0;
    // Writes the first `used` bytes of a block of `capacity` bytes, and leaves
    // in `block` one of the same size to fill next. A sink that writes in the
    // background keeps the block while it writes, instead of copying it, and
    // hands back another; this one writes at once and leaves the same block.
    // When it throws, `block` is still a block of `capacity` bytes.
    virtual void write_block(large_block& block, std::size_t used, std::size_t capacity) {
        (void)capacity;
        write(std::string_view(block.get(), used));
    }
    // Pushes everything written so far to its destination.
    virtual void flush() {}
};

class write_error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class string_sink : public output_sink {
  public:
    explicit string_sink(std::string& out) : out_(out) {}
    void write(std::string_view bytes) override { out_.append(bytes); }

  private:
    std::string& out_;
};

} // namespace morvane
