#pragma once
// A set of byte values: one flag per value 0 to 255, looked up directly (the
// grammar's hottest loops test one byte per step).

#include <array>
#include <string_view>

namespace morvane {

class char_class {
  public:
    // Members are single bytes and ranges written a-z.
    static constexpr char_class of(std::string_view members) {
        char_class c;
        for (std::size_t i = 0; i < members.size(); ++i) {
            const auto first = static_cast<unsigned char>(members[i]);
            auto last = first;
            if (i + 2 < members.size() && members[i + 1] == '-') {
                last = static_cast<unsigned char>(members[i + 2]);
                i += 2;
            }
            for (unsigned v = first; v <= last; ++v) c.add(static_cast<unsigned char>(v));
        }
        return c;
    }

    [[nodiscard]] constexpr bool contains(unsigned char v) const noexcept { return members_[v]; }
    [[nodiscard]] constexpr int count() const noexcept {
        int n = 0;
        for (unsigned v = 0; v < 256; ++v) n += contains(static_cast<unsigned char>(v)) ? 1 : 0;
        return n;
    }
    constexpr void add(unsigned char v) noexcept { members_[v] = true; }

  private:
    std::array<bool, 256> members_{};
};

} // namespace morvane
