#include "writer/file_sink.hpp"

namespace morvane {

void file_sink::write(std::string_view bytes) {
    if (bytes.empty()) return;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        throw write_error("write failed");
}

void file_sink::flush() {
    if (std::fflush(file_) != 0) throw write_error("flush failed");
}

} // namespace morvane
