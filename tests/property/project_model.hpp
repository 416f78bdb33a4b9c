#pragma once
// Random old-format projects for the property test, which holds its own model
// of the new format: the blocks of a project and their old-format text with
// random legal spacing.

#include <cstdint>
#include <random>
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

// The standard engine gives the same numbers for a seed on every platform.
struct random_bits {
    std::mt19937_64 engine;
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(engine() % n); }
    bool chance(unsigned percent) { return below(100) < percent; }
};

[[nodiscard]] block random_project(random_bits& rng);
// The old-format text, with random legal white space and line ends.
[[nodiscard]] std::string old_format(const block& project, random_bits& rng);

} // namespace morvane::testing
