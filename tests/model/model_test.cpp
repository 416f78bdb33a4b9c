// The document records: find-or-create, index values, a sprite's fields and
// the fatal errors.

#include "model/error.hpp"
#include "model/operations.hpp"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <string>
#include <vector>

namespace morvane {
namespace {

// Given a key equal to an earlier record's, find-or-create returns that record;
// another key, or none, appends a new one to the parent's list.
template <class Get, class Record>
void expect_find_or_create(document& doc, Get get, const list<Record>& listed, std::string_view key,
                           std::string_view equal_key) {
    const std::size_t before = list_length(listed);
    Record* first = get(doc.copy(key));
    EXPECT_EQ(first, listed.tail->data);
    EXPECT_EQ(get(doc.copy(equal_key)), first) << key;
    EXPECT_NE(get(doc.copy("other")), first) << key;
    Record* unkeyed = get(text());
    EXPECT_NE(get(text()), unkeyed) << key;
    EXPECT_EQ(list_length(listed), before + 4) << key;
}

TEST(find_or_create, every_record_kind_finds_by_its_key) {
    document doc;
    frame* f = get_frame(doc, doc.copy("f"));
    character* c = get_character(doc, doc.copy("c"));
    anim* a = get_anim(doc, c, doc.copy("a"));
    anim_frame* af = get_anim_frame(doc, a, doc.copy("0"));
    charmap* m = new_charmap(doc, doc.copy("m"));
    // The parent, if any, goes between the document and the key.
    const auto in = [&doc](auto get, auto*... parent) {
        return [&doc, get, parent...](text key) { return get(doc, parent..., key); };
    };
    expect_find_or_create(doc, in(get_sprite, f), f->sprites, "7", "07");
    expect_find_or_create(doc, in(get_colrect, f), f->colrects, "body", "body");
    expect_find_or_create(doc, in(get_point, f), f->points, "hand", "hand");
    expect_find_or_create(doc, in(get_variable, c), c->variables, "hp", "hp");
    expect_find_or_create(doc, in(get_anim, c), c->anims, "walk", "walk");
    expect_find_or_create(doc, in(get_anim_frame, a), a->anim_frames, "1", "1");
    expect_find_or_create(doc, in(get_sound, af), af->sounds, "1", "1");
    expect_find_or_create(doc, in(get_variable_change, af), af->variable_changes, "v", "v");
    expect_find_or_create(doc, in(get_map, m), m->maps, "head", "head");
    expect_find_or_create(doc, in(get_frame), doc.frame_list, "idle", "idle");
    expect_find_or_create(doc, in(get_character), doc.character_list, "hero", "hero");
    expect_find_or_create(doc, in(new_charmap), doc.charmap_list, "alt", "alt");
    EXPECT_EQ(get_map(doc, nullptr, doc.copy("loose"))->folder.view(), "loose")
        << "without a parent the record stays unattached";
}

// An index's value reads like a decimal conversion, saturated; sprites order by it.
TEST(orderings, index_values_read_as_saturated_decimals) {
    document doc;
    constexpr std::int64_t max = INT64_MAX;
    // clang-format off
    const std::pair<const char*, std::int64_t> index_values[] = {
        {"", 0}, {"00", 0}, {"-0", 0}, {"7", 7}, {" 7", 7}, {"+3", 3}, {"x", 0}, {"-12ab", -12},
        {"10", 10}, {"99999999999999999999999", max}, {"-99999999999999999999", -max}};
    // clang-format on
    for (const auto& [s, value] : index_values) EXPECT_EQ(index_value(doc.copy(s)), value) << s;
    EXPECT_EQ(doc.index_text(1234567890123).view(), "1234567890123");
    // A compare_sprites that subtracted values would overflow on these.
    for (const auto& [a, x] : index_values)
        for (const auto& [b, y] : index_values) {
            sprite p{}, q{};
            p.index = doc.copy(a);
            q.index = doc.copy(b);
            EXPECT_EQ(compare_sprites(&p, &q), (x > y) - (x < y)) << a << " / " << b;
        }
}

// Random sets and removals, with other allocations in between so that the
// values must sometimes move, against a plain array of the eleven fields.
TEST(sprite, fields_hold_what_was_last_set_and_are_visited_in_field_order) {
    document doc;
    sprite s;
    constexpr auto fields = static_cast<std::size_t>(sprite_field::count);
    std::array<text, fields> model{};
    const std::array<text, 4> values{text(), doc.copy(""), doc.copy("5"), doc.copy("-12")};
    std::uint32_t seed = 7;
    for (int step = 0; step < 3000; ++step) {
        seed = seed * 1103515245U + 12345U;
        const std::size_t f = (seed >> 8U) % fields;
        model[f] = values[(seed >> 16U) % values.size()];
        if ((seed >> 24U) % 4 == 0) (void)doc.copy("elsewhere");
        s.set(static_cast<sprite_field>(f), model[f], doc.storage());
        std::string expected, visited, got;
        for (std::size_t g = 0; g < fields; ++g) {
            const auto field = static_cast<sprite_field>(g);
            if (model[g].present())
                expected += std::to_string(g) + "=" + std::string(model[g].view()) + ";";
            if (s.has(field))
                got += std::to_string(g) + "=" + std::string(s.get(field).view()) + ";";
        }
        s.for_each_present([&visited](auto field, const text& value) {
            visited += std::to_string(static_cast<int>(decltype(field)::value)) + "=" +
                       std::string(value.view()) + ";";
        });
        ASSERT_EQ(got, expected) << step;
        ASSERT_EQ(visited, expected) << step;
    }
}

TEST(builder, error_throws_and_an_unknown_index_reads_as_unknown) {
    EXPECT_THROW(error(error_out_of_memory), fatal_error);
    EXPECT_STREQ(fatal_error(42).what(), "Unknown");
    EXPECT_STREQ(fatal_error(-1).what(), "Unknown");
}

} // namespace
} // namespace morvane
