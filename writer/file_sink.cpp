#include "writer/file_sink.hpp"

#include <cstring>
#include <system_error>

namespace morvane {
namespace {

// Blocks up to this size are copied and written in the background.
constexpr std::size_t background_limit = std::size_t{1} << 21U;

void write_all(std::FILE* file, const char* bytes, std::size_t n) {
    if (std::fwrite(bytes, 1, n, file) != n) throw write_error("write failed");
}

} // namespace

file_sink::~file_sink() {
    // The block in flight reads spare_: let it end. Its error, if any, has no
    // one left to report to (a conversion that got here has already failed).
    if (pending_.valid()) pending_.wait();
}

void file_sink::finish_pending() {
    if (pending_.valid()) pending_.get();
}

void file_sink::write(std::string_view bytes) {
    if (bytes.empty()) return;
    finish_pending();
    if (bytes.size() > background_limit) {
        write_all(file_, bytes.data(), bytes.size());
        return;
    }
    if (spare_size_ < bytes.size()) {
        spare_ = allocate_large_block(background_limit);
        spare_size_ = background_limit;
    }
    std::memcpy(spare_.get(), bytes.data(), bytes.size());
    try {
        pending_ = std::async(std::launch::async, write_all, file_, spare_.get(), bytes.size());
    } catch (const std::system_error&) {
        // No thread to be had: write it here.
        write_all(file_, spare_.get(), bytes.size());
    }
}

void file_sink::flush() {
    finish_pending();
    if (std::fflush(file_) != 0) throw write_error("flush failed");
}

} // namespace morvane
