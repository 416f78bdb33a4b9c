#include "io/stream_io.hpp"

#include <algorithm>
#include <ios>
#include <limits>

namespace morvane {

std::size_t istream_source::read(char* dst, std::size_t max) {
    if (!started_ && in_.fail()) throw read_error("stream already failed");
    started_ = true;
    if (ended_) return 0;
    const auto wanted = static_cast<std::streamsize>(
        std::min<std::size_t>(max, std::numeric_limits<std::streamsize>::max()));
    try {
        in_.read(dst, wanted);
    } catch (const std::ios_base::failure&) {
        // Thrown only when the caller asked the stream to throw; the state below
        // still tells a bad stream from one that merely reached its end.
    }
    if (in_.bad()) throw read_error("read failed");
    ended_ = in_.eof();
    return static_cast<std::size_t>(in_.gcount());
}

void ostream_sink::write(std::string_view bytes) {
    try {
        out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    } catch (const std::ios_base::failure&) {
    }
    if (!out_) throw write_error("write failed");
}

void ostream_sink::flush() {
    try {
        out_.flush();
    } catch (const std::ios_base::failure&) {
    }
    if (!out_) throw write_error("flush failed");
}

} // namespace morvane
