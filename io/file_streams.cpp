#include "io/file_streams.hpp"

#include "io/platform.hpp"

namespace morvane {

file_input::file_input(std::FILE* file) : crlf_(platform::take_over_text_mode(file)), file_(file) {
    if (crlf_) text_.emplace(file_);
}

file_output::file_output(std::FILE* file)
    : crlf_(platform::take_over_text_mode(file)), file_(file) {
    if (crlf_) text_.emplace(file_);
}

} // namespace morvane
