#include "writer/output.hpp"

namespace morvane {

void writer::print_tabs() {
    if (indent_level > 0) buffer_.append(static_cast<std::size_t>(indent_level), '\t');
    spill_if_full();
}

void writer::emit(std::string_view format, const std::string_view* values, std::size_t count) {
    std::size_t next_value = 0;
    while (!format.empty()) {
        const std::size_t mark = format.find("%s");
        if (mark == std::string_view::npos) {
            buffer_.append(format);
            break;
        }
        buffer_.append(format.substr(0, mark));
        if (next_value < count) buffer_.append(values[next_value++]);
        format.remove_prefix(mark + 2);
    }
    spill_if_full();
}

void writer::spill_if_full() {
    if (buffer_.size() >= block_size) {
        sink_.write(buffer_);
        buffer_.clear();
    }
}

void writer::flush() {
    if (!buffer_.empty()) sink_.write(buffer_);
    buffer_.clear();
    sink_.flush();
}

} // namespace morvane
