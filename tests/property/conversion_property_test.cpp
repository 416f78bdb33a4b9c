// Thousands of random projects, each rendered in the old format with random
// legal spacing and line ends, converted in memory and compared with the text
// that this model of the new format gives for the same project: sections in
// their fixed order, groups sorted by name with the partition sort's tie order,
// absent names sorting first and printing as empty text.

#include "property/random_project.hpp"
#include "support/convert.hpp"
#include "support/partition_sort.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace morvane::testing {
namespace {

using enum block_kind;

// Parts of a byte or more, on 1, 2, 3 or 8 threads by turns.
part_plan in_parts(std::size_t turn) { return {std::array{1U, 2U, 3U, 8U}[turn % 4], 1}; }

std::string shown(const std::string* value) { return value != nullptr ? *value : ""; }

std::vector<const block*> sorted_by_name(std::vector<const block*> blocks) {
    return partition_sorted(blocks, [](const block* a, const block* b) {
        const auto x = std::pair(a->last("name") != nullptr, shown(a->last("name")));
        const auto y = std::pair(b->last("name") != nullptr, shown(b->last("name")));
        return (x > y) - (x < y);
    });
}

// "HEAD KEY=VALUE" lines for the keys given, in this order.
void keyed_lines(std::string& out, const block& b, const std::string& head,
                 std::initializer_list<const char*> keys) {
    for (const char* key : keys)
        if (const auto* v = b.last(key)) out += head + " " + key + "=" + *v + "\n";
}

void frame_lines(std::string& out, const block& f, const std::string& head) {
    if (const auto* name = f.last("name")) out += head + "=" + *name + "\n";
    for (const block* v : sorted_by_name(f.children_of(variable_change)))
        if (v->last("name") != nullptr && v->last("value") != nullptr)
            out += head + " :" + *v->last("name") + "=" + *v->last("value") + "\n";
    keyed_lines(out, f, head, {"duration"});
    // Sounds go by their index as text: 0, 1, 10, 11, 2, ...
    const auto sounds = f.children_of(sound);
    std::vector<std::string> indices;
    for (std::size_t i = 0; i < sounds.size(); ++i) indices.push_back(std::to_string(i));
    std::sort(indices.begin(), indices.end());
    for (const std::string& i : indices) {
        const block& s = *sounds[std::stoul(i)];
        if (const auto* name = s.last("name")) out += head + " sound " + i + "=" + *name + "\n";
        keyed_lines(out, s, head + " sound " + i, {"volume"});
    }
}

// Characters, then charmaps, then frames.
std::string expected_new_format(const block& project) {
    std::string out;
    for (const block* c : sorted_by_name(project.children_of(character))) {
        const std::string name = shown(c->last("name"));
        for (const block* a : c->children_of(anim)) {
            out += "[char " + name + "/anim " + shown(a->last("name")) + "]\n";
            const auto frames = a->children_of(anim_frame);
            for (std::size_t i = 0; i < frames.size(); ++i)
                frame_lines(out, *frames[i], "frame " + std::to_string(i));
        }
        const auto variables = c->children_of(variable);
        if (!variables.empty()) out += "[char " + name + "/variables]\n";
        for (const block* v : variables)
            out += shown(v->last("name")) + "=" + shown(v->last("default")) + "\n";
    }
    const auto all = project.children_of(charmap);
    if (!all.empty()) out += "[charmaps]\n";
    for (const block* c : sorted_by_name(all)) {
        if (const auto* name = c->last("name")) out += *name + "=";
        for (const block* m : c->children_of(map))
            if (m->last("folder") != nullptr && m->last("display") != nullptr)
                out += *m->last("folder") + ":" + *m->last("display") + ",";
        out += "\n";
    }
    for (const block* f : sorted_by_name(project.children_of(frame))) {
        out += "[frame " + shown(f->last("name")) + "]\n";
        for (const block* c : sorted_by_name(f->children_of(colrect))) {
            const std::string name = shown(c->last("name"));
            keyed_lines(out, *c, "colrect " + name, {"height", "value", "width", "x", "y"});
            if (const auto* v = c->last("color")) out += "colrect: " + name + "=" + *v + "\n";
        }
        for (const block* p : sorted_by_name(f->children_of(point))) {
            const std::string name = shown(p->last("name"));
            keyed_lines(out, *p, "point " + name, {"x", "y"});
            if (const auto* v = p->last("type")) out += "point: " + name + "=" + *v + "\n";
        }
        const auto sprites = f->children_of(sprite);
        for (std::size_t i = 0; i < sprites.size(); ++i)
            keyed_lines(out, *sprites[i], "sprite " + std::to_string(i),
                        {"angle", "color", "height", "image", "ink", "opacity", "width", "x",
                         "x flip", "y", "y flip"});
    }
    return out;
}

TEST(conversion_property, random_projects_convert_to_the_models_new_format) {
    constexpr std::uint64_t projects = 2000;
    std::size_t lines = 0, parts = 0;
    for (std::uint64_t seed = 1; seed <= projects; ++seed) {
        random_bits rng{std::mt19937_64(seed)};
        const block project = random_project(rng);
        const std::string input = old_format(project, rng);
        const std::string expected = expected_new_format(project);
        const converted r = convert(input);
        const std::string shown = ::testing::PrintToString(input);
        ASSERT_TRUE(r.parsed) << "seed " << seed << ", input: " << shown;
        ASSERT_EQ(r.output, expected) << "seed " << seed << ", input: " << shown;
        const converted split = convert(input, in_parts(seed));
        ASSERT_EQ(split, r) << "in parts, seed " << seed;
        parts += split.parts;
        lines += static_cast<std::size_t>(std::count(expected.begin(), expected.end(), '\n'));
    }
    // The generator must produce real documents, not mostly empty ones, and
    // most of them must really be split (in_parts allows 3.5 parts on average).
    EXPECT_GT(lines, projects * 10);
    EXPECT_GT(parts, projects * 2);
}

// The same block with every value's bytes replaced by `mark`: rendered with the
// same random bits, it gives the same text with its values masked.
constexpr char mark = '\x01';
block masked(block b) {
    for (statement& s : b.statements) s.value.assign(s.value.size(), mark);
    for (block& c : b.children) c = masked(c);
    return b;
}

// Damaged inputs: every strict prefix and every single-byte deletion of the text
// of three random projects (3.6 kB, 14 top-level blocks, every keyword), rendered
// a top-level block at a time. The sanitizer build also checks that none of them
// reads out of bounds or leaks.
TEST(malformed_sweep, prefixes_and_deletions_fail_exactly_where_they_break_the_structure) {
    random_bits rng{std::mt19937_64(117)};
    block all{project, {}, {}}, before = all;
    for (int i = 0; i < 3; ++i)
        for (const block& b : random_project(rng).children) all.children.push_back(b);
    // The text and the same with its values masked; after each top-level block,
    // where its "!" ends and the model's output of the blocks up to there.
    std::string whole, values;
    std::vector<std::size_t> closes{0};
    std::vector<std::string> outputs{""};
    for (const block& b : all.children) {
        random_bits same = rng;
        whole += old_format({project, {}, {b}}, rng);
        values += old_format({project, {}, {masked(b)}}, same);
        closes.push_back(whole.find_last_not_of(" \t\r\n") + 1);
        before.children.push_back(b);
        outputs.push_back(expected_new_format(before));
    }
    std::size_t successes = 0, failures = 0;
    for (std::size_t n = 0; n < whole.size(); ++n) {
        // A prefix parses exactly where it ends after a top-level block's "!" or
        // before the first, and gives the output of the blocks before.
        const std::string_view prefix(whole.data(), n);
        const auto closed =
            std::find(closes.begin(), closes.end(), prefix.find_last_not_of(" \t\r\n") + 1);
        const converted cut = convert(prefix);
        ASSERT_EQ(convert(prefix, in_parts(n)), cut) << "in parts, prefix of " << n << " bytes";
        ASSERT_EQ(cut.parsed, closed != closes.end()) << "prefix of " << n << " bytes";
        ASSERT_EQ(cut.output, cut.parsed ? outputs[closed - closes.begin()] : "") << n;
        successes += cut.parsed ? 1 : 0;
        std::string damaged = whole;
        damaged.erase(n, 1);
        const converted r = convert(damaged);
        ASSERT_EQ(convert(damaged, in_parts(n)), r) << "in parts, byte " << n << " deleted";
        failures += r.parsed ? 0 : 1;
        // Deleting a byte of spacing changes nothing, but for the first after a
        // value (a blank after it would join a name). Deleting a bracket, "!",
        // ";" or a keyword's byte breaks the structure, but for an image path's
        // ";" (the path runs on to the next). What a value's byte does is left open.
        std::size_t k = n; // deleting any of a run of equal bytes deletes its last
        while (k + 1 < whole.size() && whole[k + 1] == whole[n]) ++k;
        const char at = values[k], prior = k > 0 ? values[k - 1] : ' ';
        const bool blank = std::isspace(static_cast<unsigned char>(at)) != 0;
        if (at == mark || (prior == mark && blank) ||
            (at == ';' && values.compare(values.rfind(']', k) - 5, 5, "image") == 0))
            continue;
        if (blank && !(prior >= 'a' && prior <= 'z')) { // not the blank in "x flip"
            ASSERT_TRUE(r.parsed) << "deleting spacing at byte " << n;
            ASSERT_EQ(r.output, outputs.back()) << n;
        } else {
            ASSERT_FALSE(r.parsed)
                << "deleting '" << whole[n] << "' at byte " << n << " still parsed";
        }
    }
    EXPECT_GT(successes, 14U) << "one or more per top-level block";
    EXPECT_GT(failures, whole.size() / 10);
}

} // namespace
} // namespace morvane::testing
