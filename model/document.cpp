#include "model/document.hpp"

#include <charconv>
#include <cstring>

namespace morvane {

document::document() = default;

text document::copy(std::string_view bytes) {
    char* storage = static_cast<char*>(arena_.allocate(bytes.size() + 1, 1));
    if (!bytes.empty()) std::memcpy(storage, bytes.data(), bytes.size());
    storage[bytes.size()] = '\0';
    return text(std::string_view(storage, bytes.size()));
}

text document::index_text(std::int64_t n) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    return copy(std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

void document::retain(large_block buffer) { retained_.push_back(std::move(buffer)); }

} // namespace morvane
