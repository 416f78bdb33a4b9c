// Thousands of random projects, each rendered in the old format with random
// legal spacing and line ends, converted in memory and compared with the text
// that this model of the new format gives for the same project: sections in
// their fixed order, groups sorted by name with the partition sort's tie order,
// absent names sorting first and printing as empty text.

#include "property/project_model.hpp"
#include "support/convert.hpp"
#include "support/partition_sort.hpp"
#include "support/run_program.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace morvane::testing {
namespace {

using enum block_kind;

std::vector<const block*> sorted_by_name(std::vector<const block*> blocks) {
    return partition_sorted(blocks, [](const block* a, const block* b) {
        const std::string* x = a->last("name");
        const std::string* y = b->last("name");
        if (x == nullptr || y == nullptr) return (x != nullptr ? 1 : 0) - (y != nullptr ? 1 : 0);
        const int c = x->compare(*y);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    });
}

std::string shown(const std::string* value) { return value != nullptr ? *value : ""; }

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
    std::vector<std::pair<std::string, const block*>> by_index;
    for (std::size_t i = 0; i < sounds.size(); ++i)
        by_index.emplace_back(std::to_string(i), sounds[i]);
    std::sort(by_index.begin(), by_index.end());
    for (const auto& [i, s] : by_index) {
        if (const auto* name = s->last("name")) out += head + " sound " + i + "=" + *name + "\n";
        keyed_lines(out, *s, head + " sound " + i, {"volume"});
    }
}

void characters(std::string& out, const block& project) {
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
}

void charmaps(std::string& out, const block& project) {
    const auto all = project.children_of(charmap);
    if (!all.empty()) out += "[charmaps]\n";
    for (const block* c : sorted_by_name(all)) {
        if (const auto* name = c->last("name")) out += *name + "=";
        for (const block* m : c->children_of(map))
            if (m->last("folder") != nullptr && m->last("display") != nullptr)
                out += *m->last("folder") + ":" + *m->last("display") + ",";
        out += "\n";
    }
}

void frames(std::string& out, const block& project) {
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
}

std::string expected_new_format(const block& project) {
    std::string out;
    characters(out, project);
    charmaps(out, project);
    frames(out, project);
    return out;
}

TEST(conversion_property, random_projects_convert_to_the_models_new_format) {
    constexpr std::uint64_t projects = 2000;
    std::size_t lines = 0;
    for (std::uint64_t seed = 1; seed <= projects; ++seed) {
        random_bits rng{std::mt19937_64(seed)};
        const block project = random_project(rng);
        const std::string input = old_format(project, rng);
        const std::string expected = expected_new_format(project);
        const converted r = convert(input);
        const std::string shown = ::testing::PrintToString(input);
        ASSERT_TRUE(r.parsed) << "seed " << seed << ", input: " << shown;
        ASSERT_EQ(r.output, expected) << "seed " << seed << ", input: " << shown;
        lines += static_cast<std::size_t>(std::count(expected.begin(), expected.end(), '\n'));
    }
    // The generator must produce real documents, not mostly empty ones.
    EXPECT_GT(lines, projects * 10);
}

// Damaged inputs: every strict prefix and every single-byte deletion of the
// bundled example converts cleanly or fails leaving nothing to write (the
// sanitizer build also checks that none of them reads out of bounds or leaks),
// and fails where the damage is certain to break the structure.
TEST(malformed_sweep, prefixes_and_deletions_fail_exactly_where_they_break_the_structure) {
    const std::string whole = read_file(std::string(MORVANE_EXAMPLES) + "/project.old");
    std::size_t successes = 0, failures = 0;
    for (std::size_t n = 0; n < whole.size(); ++n) {
        // In the example every top-level block closes with "!" alone at the start
        // of a line and every nested block's "!" is indented.
        const std::string_view prefix(whole.data(), n);
        const std::string_view kept = prefix.substr(0, prefix.find_last_not_of(" \t\r\n") + 1);
        const converted cut = convert(prefix);
        ASSERT_EQ(cut.parsed, kept.empty() || kept.ends_with("\n!"))
            << "prefix of " << n << " bytes";
        successes += cut.parsed ? 1 : 0;
        std::string damaged = whole;
        damaged.erase(n, 1);
        const converted r = convert(damaged);
        failures += r.parsed ? 0 : 1;
        // Brackets and closing marks carry the structure: none may go missing.
        ASSERT_TRUE(!r.parsed || std::string_view("[]!").find(whole[n]) == std::string_view::npos)
            << "deleting '" << whole[n] << "' at byte " << n << " still parsed";
        ASSERT_TRUE(!r.parsed || !r.output.empty()) << n;
    }
    EXPECT_GT(successes, 14U) << "one or more per top-level block";
    EXPECT_GT(failures, whole.size() / 10);
}

} // namespace
} // namespace morvane::testing
