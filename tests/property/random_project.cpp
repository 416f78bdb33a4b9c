// Random projects: every kind of block, names drawn from a small pool so that
// duplicates and upper/lower-case neighbours are common, statements left out or
// repeated, and now and then more than ten sprites, animation frames or sounds.

#include "property/project_model.hpp"

#include <array>
#include <string_view>

namespace morvane::testing {
namespace {

constexpr std::string_view text_first = ".ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz";
constexpr std::string_view text_rest =
    ". 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ\\_abcdefghijklmnopqrstuvwxyz";

constexpr std::array<std::string_view, 16> name_pool{
    "a",       "A",  "b",    "B",    "idle", "Idle", "walk", "walk ",
    "w a l k", "_x", ".dot", "x\\y", "Z9",   "z10",  "z2",   "run.1"};

std::string random_text(random_bits& rng) {
    if (rng.chance(60)) return std::string(name_pool[rng.below(name_pool.size())]);
    std::string s(1, text_first[rng.below(text_first.size())]);
    for (std::size_t n = rng.below(9); n > 0; --n) s += text_rest[rng.below(text_rest.size())];
    return s;
}

std::string random_number(random_bits& rng) {
    switch (rng.below(8)) {
    case 0:
        return "";
    case 1:
        return "-";
    case 2:
        return "123456789012345678901234567890";
    default:
        break;
    }
    std::string s = rng.chance(30) ? "-" : "";
    for (std::size_t n = 1 + rng.below(4); n > 0; --n) s += static_cast<char>('0' + rng.below(10));
    return s;
}

// An image path: any bytes but ";", not starting with white space (the spacing
// before the value would take it), possibly empty.
std::string random_path(random_bits& rng) {
    constexpr std::string_view likely = "abc/ .png[]!\\-\t\r\n";
    std::string s;
    for (std::size_t n = rng.below(12); n > 0; --n) {
        char c =
            rng.chance(85) ? likely[rng.below(likely.size())] : static_cast<char>(rng.below(256));
        if (c == ';') c = ':';
        s += c;
    }
    while (!s.empty() && (s[0] == ' ' || s[0] == '\t' || s[0] == '\r' || s[0] == '\n')) s[0] = 'p';
    return s;
}

enum class value_kind { name, number, path };

struct key_spec {
    std::string_view key;
    value_kind kind;
};

std::vector<key_spec> keys_of(block_kind k) {
    using enum value_kind;
    switch (k) {
    case block_kind::variable:
        return {{"name", name}, {"default", number}};
    case block_kind::sound:
        return {{"name", name}, {"volume", number}};
    case block_kind::variable_change:
        return {{"name", name}, {"value", number}};
    case block_kind::anim_frame:
        return {{"name", name}, {"duration", number}};
    case block_kind::map:
        return {{"folder", name}, {"display", name}};
    case block_kind::sprite:
        return {{"width", number},  {"height", number}, {"color", number},   {"angle", number},
                {"image", path},    {"ink", name},      {"opacity", number}, {"x flip", number},
                {"y flip", number}, {"x", number},      {"y", number}};
    case block_kind::colrect:
        return {{"name", name},     {"x", number},     {"y", number},    {"width", number},
                {"height", number}, {"value", number}, {"color", number}};
    case block_kind::point:
        return {{"name", name}, {"x", number}, {"y", number}, {"type", number}};
    default:
        return {{"name", name}};
    }
}

std::vector<block_kind> child_kinds(block_kind k) {
    switch (k) {
    case block_kind::character:
        return {block_kind::variable, block_kind::anim};
    case block_kind::anim:
        return {block_kind::anim_frame};
    case block_kind::anim_frame:
        return {block_kind::sound, block_kind::variable_change};
    case block_kind::charmap:
        return {block_kind::map};
    case block_kind::frame:
        return {block_kind::sprite, block_kind::colrect, block_kind::point};
    default:
        return {};
    }
}

std::size_t random_count(random_bits& rng, block_kind k) {
    const bool numbered =
        k == block_kind::sprite || k == block_kind::anim_frame || k == block_kind::sound;
    if (numbered && rng.chance(4)) return 11 + rng.below(4);
    return rng.below(4);
}

std::string random_value(random_bits& rng, value_kind kind) {
    switch (kind) {
    case value_kind::name:
        return random_text(rng);
    case value_kind::number:
        return random_number(rng);
    case value_kind::path:
        return random_path(rng);
    }
    return {};
}

block random_block(random_bits& rng, block_kind kind) {
    block b{kind, {}, {}};
    for (const key_spec& k : keys_of(kind)) {
        // Mostly once, sometimes left out, sometimes repeated.
        std::size_t times = rng.chance(20) ? 0 : 1;
        if (rng.chance(10)) times += 1 + rng.below(2);
        for (; times > 0; --times)
            b.statements.push_back({std::string(k.key), random_value(rng, k.kind)});
    }
    // Any order of statements is legal; the model takes the last of each key.
    for (std::size_t i = b.statements.size(); i > 1; --i)
        std::swap(b.statements[i - 1], b.statements[rng.below(i)]);

    const std::vector<block_kind> kinds = child_kinds(kind);
    for (block_kind child : kinds)
        for (std::size_t n = random_count(rng, child); n > 0; --n)
            b.children.push_back(random_block(rng, child));
    // Interleave the kinds of children while each kind keeps its own order.
    std::vector<block> mixed;
    std::vector<std::size_t> next(kinds.size(), 0);
    std::vector<std::vector<block*>> by_kind(kinds.size());
    for (block& c : b.children)
        for (std::size_t k = 0; k < kinds.size(); ++k)
            if (c.kind == kinds[k]) by_kind[k].push_back(&c);
    for (std::size_t left = b.children.size(); left > 0; --left) {
        std::size_t k = rng.below(kinds.size());
        while (next[k] == by_kind[k].size()) k = (k + 1) % kinds.size();
        mixed.push_back(std::move(*by_kind[k][next[k]++]));
    }
    b.children = std::move(mixed);
    return b;
}

} // namespace

std::uint64_t random_bits::next() {
    // splitmix64
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30U)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27U)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31U);
}

const std::string* block::last(const std::string& key) const {
    const std::string* found = nullptr;
    for (const statement& s : statements)
        if (s.key == key) found = &s.value;
    return found;
}

std::vector<const block*> block::children_of(block_kind k) const {
    std::vector<const block*> found;
    for (const block& c : children)
        if (c.kind == k) found.push_back(&c);
    return found;
}

std::vector<block> random_project(random_bits& rng) {
    std::vector<block> project;
    constexpr std::array<block_kind, 3> top{block_kind::character, block_kind::frame,
                                            block_kind::charmap};
    for (std::size_t n = rng.below(7); n > 0; --n)
        project.push_back(random_block(rng, top[rng.below(top.size())]));
    return project;
}

} // namespace morvane::testing
