#include "model/document.hpp"

#include <charconv>
#include <cstring>
#include <new>

namespace morvane {

document::document() = default;

text document::copy(std::string_view bytes) {
    // Texts carry their length: no terminator is stored.
    char* storage = static_cast<char*>(arena_.allocate(bytes.size(), 1));
    if (!bytes.empty()) std::memcpy(storage, bytes.data(), bytes.size());
    return borrow(std::string_view(storage, bytes.size()));
}

text document::borrow(std::string_view bytes) {
    if (text::fits_short(bytes)) [[likely]]
        return text(bytes);
    auto* wide = new (arena_.allocate(sizeof(long_text), alignof(long_text)))
        long_text{bytes.data() != nullptr ? bytes.data() : "", bytes.size()};
    return text::of_long(wide);
}

text document::index_text(std::int64_t n) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    return copy(std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

void document::retain(large_block buffer) { retained_.push_back(std::move(buffer)); }

} // namespace morvane
