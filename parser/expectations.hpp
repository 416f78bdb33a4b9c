#pragma once
// What the rules expected where matching stopped furthest into the input, for
// saying where a file that does not parse goes wrong. Only the checker asks
// for it, so it is kept only while tracking is on; a plain conversion pays one
// test of a flag on each failed step.

#include <cstddef>
#include <string_view>
#include <vector>

namespace morvane {

struct expectation {
    std::string_view what;
    bool literal; // a quoted literal, else the name of a kind of token
    bool operator==(const expectation&) const = default;

    // The literal of one byte.
    [[nodiscard]] static expectation byte(char c) noexcept;
};

class failure_tracker {
  public:
    void track(bool on) noexcept { tracking_ = on; }
    [[nodiscard]] bool tracking() const noexcept { return tracking_; }
    void reset() noexcept {
        position_ = 0;
        expected_.clear();
    }
    // A step that failed at pos expected `what` there.
    void expect(std::size_t pos, expectation what) {
        if (tracking_) note(pos, what);
    }
    [[nodiscard]] std::size_t position() const noexcept { return position_; }
    [[nodiscard]] const std::vector<expectation>& expected() const noexcept { return expected_; }

  private:
    void note(std::size_t pos, expectation what);

    bool tracking_ = false;
    std::size_t position_ = 0;
    std::vector<expectation> expected_;
};

} // namespace morvane
