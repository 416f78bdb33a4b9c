#pragma once
// A small independent model of an old-format project for the property test:
// random projects, their old-format text with random legal spacing, and the
// new-format text the converter must make of them.

#include <cstdint>
#include <string>
#include <vector>

namespace morvane::testing {

// The kinds of block.
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
    point
};

struct statement {
    std::string key;
    std::string value;
};

// One block as the input gives it: its statements and its nested blocks, each in
// input order. A key may be given several times (the last one counts) or never.
struct block {
    block_kind kind;
    std::vector<statement> statements;
    std::vector<block> children;

    // The value of the last statement with this key, or null when none was given.
    [[nodiscard]] const std::string* last(const std::string& key) const;
    [[nodiscard]] std::vector<const block*> children_of(block_kind k) const;
};

// Deterministic for a seed on every platform (no standard distributions).
class random_bits {
  public:
    explicit random_bits(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next();
    // Uniform enough in [0, n), n > 0.
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
    bool chance(unsigned percent) { return below(100) < percent; }

  private:
    std::uint64_t state_;
};

// A random project: its top-level blocks in input order.
std::vector<block> random_project(random_bits& rng);

// The old-format text of a project, with random legal white space and line ends.
std::string old_format(const std::vector<block>& project, random_bits& rng);

// The new-format text that converting the project must give.
std::string expected_new_format(const std::vector<block>& project);

} // namespace morvane::testing
