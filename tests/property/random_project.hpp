#pragma once
// Random projects for the property test, which holds its own model of the new
// format, and their old-format text. Every kind of block; names drawn
// from a small pool so that duplicates and upper/lower-case neighbours are
// common; statements left out, repeated and in any order; now and then more
// than ten sprites, animation frames or sounds; and random white space wherever
// the format allows it (after every "[", "]", ";" and "!", between a number or
// a name and its ";", before the first block): blanks, tabs, LF, CR and CRLF.

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::testing {

// `project` is the whole file: its children are the top-level blocks.
// clang-format off
enum class block_kind {
    character, variable, anim, anim_frame, sound, variable_change, charmap, map,
    frame, sprite, colrect, point, project
};
// clang-format on

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
    [[nodiscard]] const std::string* last(const std::string& key) const {
        const std::string* found = nullptr;
        for (const statement& s : statements)
            if (s.key == key) found = &s.value;
        return found;
    }
    [[nodiscard]] std::vector<const block*> children_of(block_kind k) const {
        std::vector<const block*> found;
        for (const block& c : children)
            if (c.kind == k) found.push_back(&c);
        return found;
    }
};

// The standard engine gives the same numbers for a seed on every platform.
struct random_bits {
    std::mt19937_64 engine;
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(engine() % n); }
    bool chance(unsigned percent) { return below(100) < percent; }
};

namespace generator {

struct shape {
    std::string_view keyword;
    // Comma-separated keys, each followed by the kind of its value: '$' a name,
    // '#' a number, '/' an image path.
    std::string_view keys;
    std::vector<block_kind> children;
    bool numbered; // sprites, animation frames and sounds get generated indices
};

inline const shape& shape_of(block_kind k) {
    using enum block_kind;
    static const std::array<shape, 13> shapes{{
        {"char", "name$", {variable, anim}, false},
        {"var", "name$,default#", {}, false},
        {"anim", "name$", {anim_frame}, false},
        {"frame", "name$,duration#", {sound, variable_change}, true},
        {"sound", "name$,volume#", {}, true},
        {"variable change", "name$,value#", {}, false},
        {"charmap", "name$", {map}, false},
        {"map", "folder$,display$", {}, false},
        {"frame", "name$", {sprite, colrect, point}, false},
        {"sprite",
         "width#,height#,color#,angle#,image/,ink$,opacity#,x flip#,y flip#,x#,y#",
         {},
         true},
        {"colrect", "name$,x#,y#,width#,height#,value#,color#", {}, false},
        {"point", "name$,x#,y#,type#", {}, false},
        {"", "", {character, frame, charmap}, false},
    }};
    return shapes[static_cast<std::size_t>(k)];
}

constexpr std::string_view text_first = ".ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz";
constexpr std::string_view text_rest =
    ". 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ\\_abcdefghijklmnopqrstuvwxyz";
constexpr std::array<std::string_view, 16> name_pool{
    "a",       "A",  "b",    "B",    "idle", "Idle", "walk", "walk ",
    "w a l k", "_x", ".dot", "x\\y", "Z9",   "z10",  "z2",   "run.1"};

inline std::string random_value(random_bits& rng, char kind) {
    std::string s;
    if (kind == '$') {
        if (rng.chance(60)) return std::string(name_pool[rng.below(name_pool.size())]);
        s += text_first[rng.below(text_first.size())];
        for (std::size_t n = rng.below(9); n > 0; --n) s += text_rest[rng.below(text_rest.size())];
    } else if (kind == '#') {
        constexpr std::array<std::string_view, 3> odd{"", "-", "123456789012345678901234567890"};
        if (const std::size_t pick = rng.below(8); pick < odd.size()) return std::string(odd[pick]);
        s = rng.chance(30) ? "-" : "";
        for (std::size_t n = 1 + rng.below(4); n > 0; --n)
            s += static_cast<char>('0' + rng.below(10));
    } else {
        // Any bytes but ";", not starting with white space (the spacing before
        // the value would take it), possibly empty.
        constexpr std::string_view likely = "abc/ .png[]!\\-\t\r\n";
        for (std::size_t n = rng.below(12); n > 0; --n) {
            const char c = rng.chance(85) ? likely[rng.below(likely.size())]
                                          : static_cast<char>(rng.below(256));
            s += c == ';' ? ':' : c;
        }
        if (!s.empty() && std::string_view(" \t\r\n").find(s[0]) != std::string_view::npos)
            s[0] = 'p';
    }
    return s;
}

template <class T> void shuffle(std::vector<T>& v, random_bits& rng) {
    for (std::size_t i = v.size(); i > 1; --i) std::swap(v[i - 1], v[rng.below(i)]);
}

inline block random_block(random_bits& rng, block_kind kind) {
    block b{kind, {}, {}};
    std::string_view keys = shape_of(kind).keys;
    while (!keys.empty()) {
        const std::string_view key = keys.substr(0, keys.find(','));
        keys.remove_prefix(std::min(keys.size(), key.size() + 1));
        // Mostly once, sometimes left out, sometimes repeated.
        std::size_t times = rng.chance(20) ? 0 : 1;
        if (rng.chance(10)) times += 1 + rng.below(2);
        for (; times > 0; --times)
            b.statements.push_back(
                {std::string(key.substr(0, key.size() - 1)), random_value(rng, key.back())});
    }
    // Children of several kinds, interleaved, each kind keeping its own order.
    std::vector<block_kind> children;
    for (block_kind child : shape_of(kind).children)
        children.insert(
            children.end(),
            shape_of(child).numbered && rng.chance(4) ? 11 + rng.below(4) : rng.below(4), child);
    // Any order of statements is legal; the model takes the last of each key.
    shuffle(b.statements, rng);
    shuffle(children, rng);
    for (block_kind child : children) b.children.push_back(random_block(rng, child));
    return b;
}

inline void add_spacing(std::string& out, random_bits& rng) {
    constexpr std::array<std::string_view, 8> pieces{" ",  "\t", "\n",   "\r\n",
                                                     "\r", "  ", "\t\t", "\n\n"};
    if (rng.chance(35)) return;
    for (std::size_t n = 1 + rng.below(3); n > 0; --n) out += pieces[rng.below(pieces.size())];
}

// "[" WORD "]": white space may follow each bracket, never precede "]".
inline void open(std::string& out, std::string_view word, random_bits& rng) {
    out += '[';
    add_spacing(out, rng);
    out += word;
    out += ']';
    add_spacing(out, rng);
}

inline void render(std::string& out, const statement& st, random_bits& rng) {
    open(out, st.key, rng);
    out += st.value;
    // Blanks after a name would belong to the name, so spacing there starts
    // with another byte; after map names, inks and paths nothing may stand.
    const std::size_t from = out.size();
    if (st.key != "folder" && st.key != "display" && st.key != "ink" && st.key != "image")
        add_spacing(out, rng);
    if (st.key == "name" && out.size() > from && out[from] == ' ') out[from] = '\t';
    out += ';';
    add_spacing(out, rng);
}

inline void render(std::string& out, const block& b, random_bits& rng) {
    open(out, shape_of(b.kind).keyword, rng);
    // Statements may stand before, between and after the nested blocks.
    for (std::size_t s = 0, c = 0; s < b.statements.size() || c < b.children.size();) {
        if (c == b.children.size() || (s < b.statements.size() && rng.chance(50)))
            render(out, b.statements[s++], rng);
        else
            render(out, b.children[c++], rng);
    }
    out += '!';
    add_spacing(out, rng);
}

} // namespace generator

inline block random_project(random_bits& rng) {
    return generator::random_block(rng, block_kind::project);
}

// The old-format text, with random legal white space and line ends.
inline std::string old_format(const block& project, random_bits& rng) {
    std::string out;
    generator::add_spacing(out, rng);
    for (const block& b : project.children) generator::render(out, b, rng);
    return out;
}

} // namespace morvane::testing
