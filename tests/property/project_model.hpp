#pragma once
// A small independent model of an old-format project for the property test:
// random projects, their old-format text with random legal spacing, and the
// new-format text the converter must make of them.

#include <cstdint>
#include <string>
#include <vector>

namespace morvane::testing {

// `project` is the whole file: its children are the top-level blocks.
enum class block_kind {
    character,
    variable,
    anim,
    anim_frame,
    sound,
    variable_change,
    charmap,
    map,
    frame,
    sprite,
    colrect,
    point,
    project
};

struct statement {
    std::string key, value;
};

// One block as the input gives it: its statements and nested blocks, each in
// input order. A key may be given several times (the last one counts) or never.
struct block {
    block_kind kind;
    std::vector<statement> statements;
    std::vector<block> children;

    // The value of the last statement with this key, or null when none was given.
    [[nodiscard]] const std::string* last(const std::string& key) const;
    [[nodiscard]] std::vector<const block*> children_of(block_kind k) const;
};

// splitmix64: the same numbers for a seed on every platform.
class random_bits {
  public:
    explicit random_bits(std::uint64_t seed) : state_(seed) {}
    std::size_t below(std::size_t n);
    bool chance(unsigned percent) { return below(100) < percent; }

  private:
    std::uint64_t state_;
};

[[nodiscard]] block random_project(random_bits& rng);
// The old-format text, with random legal white space and line ends.
[[nodiscard]] std::string old_format(const block& project, random_bits& rng);
// The new-format text that converting the project must give.
[[nodiscard]] std::string expected_new_format(const block& project);

} // namespace morvane::testing
