#pragma once
// The single output primitive. Every byte of the new format goes through
// output_string, which fills "%s" placeholders with values byte for byte (a value
// may hold any byte, NUL included) and hands the result to a sink in large blocks.

#include "model/text.hpp"

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace morvane {

// Where the new-format bytes go. A sink that cannot write throws write_error.
class output_sink {
  public:
    virtual ~output_sink() = default;
    virtual void write(std::string_view bytes) = 0;
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

class writer {
  public:
    explicit writer(output_sink& sink) : sink_(sink) {}
    writer(const writer&) = delete;
    writer& operator=(const writer&) = delete;

    // Adds delta to the indentation, writes that many tabs, then the format with
    // each "%s" replaced by the next value.
    template <class... Values>
    void output_string(std::int64_t delta, std::string_view format, const Values&... values) {
        const std::array<std::string_view, sizeof...(Values)> filled{as_view(values)...};
        indent_level += delta;
        print_tabs();
        emit(format, filled.data(), filled.size());
    }

    void print_tabs();
    // Hands every buffered byte to the sink and flushes it.
    void flush();

    std::int64_t indent_level = 0;

  private:
    static std::string_view as_view(const text& t) { return t.view(); }
    static std::string_view as_view(std::string_view s) { return s; }

    void emit(std::string_view format, const std::string_view* values, std::size_t count);
    // Appends bytes, handing the block to the sink whenever it fills.
    void put(const char* bytes, std::size_t n) {
        if (n <= block_size - used_) {
            if (n != 0) std::memcpy(buffer_.get() + used_, bytes, n);
            used_ += n;
        } else {
            put_spilling(bytes, n);
        }
    }
    void put_spilling(const char* bytes, std::size_t n);
    void spill();

    static constexpr std::size_t block_size = 1 << 20;
    output_sink& sink_;
    std::unique_ptr<char[]> buffer_ = std::make_unique_for_overwrite<char[]>(block_size);
    std::size_t used_ = 0;
};

} // namespace morvane
