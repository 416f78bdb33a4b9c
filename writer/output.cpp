#include "writer/output.hpp"

namespace morvane {

void writer::print_tabs() {
    for (std::int64_t i = 0; i < indent_level; ++i) put("\t", 1);
}

void writer::emit(std::string_view format, const std::string_view* values, std::size_t count) {
    // Formats are short literals: scan them for "%s" in place.
    std::size_t next_value = 0;
    const char* piece = format.data();
    const char* end = piece + format.size();
    for (const char* f = piece; f + 1 < end;) {
        if (f[0] == '%' && f[1] == 's') {
            put(piece, static_cast<std::size_t>(f - piece));
            if (next_value < count) {
                put(values[next_value].data(), values[next_value].size());
                ++next_value;
            }
            f += 2;
            piece = f;
        } else {
            ++f;
        }
    }
    put(piece, static_cast<std::size_t>(end - piece));
}

void writer::emit_split_spilling(const output_format& format, const std::string_view* values,
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
