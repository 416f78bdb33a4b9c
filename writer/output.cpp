#include "writer/output.hpp"

namespace morvane {

void writer::print_tabs() {
    for (std::int64_t i = 0; i < indent_level; ++i) put("\t", 1);
}

void writer::emit_spilling(const output_format& format, const std::string_view* values,
                           std::size_t count) {
    const std::string_view f = format.text();
    std::size_t from = 0;
    for (std::size_t i = 0; i < format.placeholders(); ++i) {
        const std::size_t at = format.placeholder_at(i);
        put(f.data() + from, at - from);
        if (i < count) put(values[i].data(), values[i].size());
        from = at + 2;
    }
    put(f.data() + from, f.size() - from);
}

void writer::put_spilling(const char* bytes, std::size_t n) {
    // Fill the block, hand it over, and pass a value longer than a whole block
    // straight through, so that no value of any size is ever copied twice.
    const std::size_t head = block_size - used_;
    std::memcpy(buffer_.get() + used_, bytes, head);
    used_ = block_size;
    spill();
    bytes += head;
    n -= head;
    if (n >= block_size) {
        sink_.write(std::string_view(bytes, n));
        return;
    }
    std::memcpy(buffer_.get(), bytes, n);
    used_ = n;
}

void writer::spill() {
    if (used_ != 0) sink_.write_block(buffer_, used_, block_size);
    used_ = 0;
}

void writer::flush() {
    spill();
    sink_.flush();
}

} // namespace morvane
