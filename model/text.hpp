#pragma once
// A value of the document: a borrowed run of bytes, or absent. An empty value
// that the input gave is present; a value the input never gave is absent. The
// bytes live in the retained input or in the document's arena.

#include <cstddef>
#include <string_view>

namespace morvane {

class text {
  public:
    constexpr text() noexcept = default;
    constexpr explicit text(std::string_view bytes) noexcept
        : data_(bytes.data() != nullptr ? bytes.data() : ""), size_(bytes.size()) {}

    [[nodiscard]] constexpr bool present() const noexcept { return data_ != nullptr; }
    [[nodiscard]] constexpr std::string_view view() const noexcept {
        return {data_ != nullptr ? data_ : "", size_};
    }

  private:
    const char* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace morvane
