#include "io/file_sink.hpp"

#include <cstring>
#include <system_error>
#include <utility>

namespace morvane {
namespace {

// Blocks up to this size are copied and written in the background.
constexpr std::size_t background_limit = std::size_t{1} << 21U;

void write_all(std::FILE* file, const char* bytes, std::size_t n) {
    if (std::fwrite(bytes, 1, n, file) != n) throw write_error("write failed");
}

} // namespace

void file_sink::finish_pending() {
    if (pending_.valid()) pending_.get();
}

void file_sink::start_writing(std::size_t used) {
    try {
        pending_ = std::async(std::launch::async, write_all, file_, in_flight_.get(), used);
    } catch (const std::system_error&) {
        // No thread to be had: write it here.
        write_all(file_, in_flight_.get(), used);
    }
}

void file_sink::write(std::string_view bytes) {
    if (bytes.empty()) return;
    finish_pending();
    if (bytes.size() > background_limit) {
        write_all(file_, bytes.data(), bytes.size());
        return;
    }
    if (in_flight_size_ < bytes.size()) {
        // As large as the blocks written: no bigger, so that it is not backed
        // by a huge page the copy would only half fill.
        in_flight_ = allocate_large_block(bytes.size());
        in_flight_size_ = bytes.size();
    }
    std::memcpy(in_flight_.get(), bytes.data(), bytes.size());
    start_writing(bytes.size());
}

void file_sink::write_block(large_block& block, std::size_t used, std::size_t capacity) {
    finish_pending();
    if (in_flight_size_ < capacity) in_flight_ = allocate_large_block(capacity);
    std::swap(block, in_flight_);
    in_flight_size_ = capacity; // the caller's block, whatever size the one it got back has
    if (used != 0) start_writing(used);
}

void file_sink::flush() {
    finish_pending();
    if (std::fflush(file_) != 0) throw write_error("flush failed");
}

} // namespace morvane
