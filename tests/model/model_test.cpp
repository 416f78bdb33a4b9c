// The document records: find-or-create, orderings and their sort keys, index
// values, a sprite's fields and the fatal errors.

#include "model/error.hpp"
#include "model/operations.hpp"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <string>
#include <tuple>
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

// The sort keys must agree with the orderings: a smaller record never gets a
// larger key, equal records get equal keys, and equal complete keys are equal
// records. Sprite indices with signs, zeros and overflow (a compare_sprites
// that overflowed would disagree with its keys); names around the length a key
// holds whole, with NUL bytes, which the input cannot give.
template <class R> struct key_row {
    text R::*field;
    int (*cmp)(const R*, const R*);
    sort_prefix (*prefix)(const R*);
    const std::vector<text>* keys;
};

template <class R> void expect_keys_agree(document& doc, const key_row<R>& row) {
    for (const text& a : *row.keys)
        for (const text& b : *row.keys) {
            R* x = doc.make<R>();
            R* y = doc.make<R>();
            x->*row.field = a;
            y->*row.field = b;
            const int order = row.cmp(x, y);
            const sort_prefix kx = row.prefix(x), ky = row.prefix(y);
            EXPECT_TRUE(order < 0   ? kx.words <= ky.words
                        : order > 0 ? kx.words >= ky.words
                                    : kx.words == ky.words)
                << a.view() << " / " << b.view();
            EXPECT_TRUE(!(kx.words == ky.words && kx.complete && ky.complete) || order == 0)
                << a.view() << " / " << b.view();
        }
}

TEST(orderings, sort_keys_agree_with_the_orderings) {
    document doc;
    // An index's value reads like a decimal conversion, saturated.
    constexpr std::int64_t max = INT64_MAX;
    // clang-format off
    const std::pair<const char*, std::int64_t> index_values[] = {
        {"", 0}, {"00", 0}, {"-0", 0}, {"7", 7}, {" 7", 7}, {"+3", 3}, {"x", 0}, {"-12ab", -12},
        {"10", 10}, {"99999999999999999999999", max}, {"-99999999999999999999", -max}};
    // clang-format on
    std::vector<text> indices{text()};
    for (const auto& [s, value] : index_values) {
        indices.push_back(doc.copy(s));
        EXPECT_EQ(index_value(indices.back()), value) << s;
    }
    EXPECT_EQ(doc.index_text(1234567890123).view(), "1234567890123");
    const std::string held(22, 'n');
    std::vector<text> names{text()};
    for (const std::string& s :
         {std::string(), std::string("a"), std::string("a\0", 2), std::string("a\0b", 3),
          std::string("ab"), held, held + '\0', held + 'a', held + 'b', held + "a\0", held + "ab",
          held.substr(1) + 'o', std::string("\xFF"), std::string("10"), std::string("9")})
        names.push_back(doc.copy(s));
    // Every record type whose list the writer sorts with a key.
    const auto rows = std::make_tuple(
        key_row<sprite>{&sprite::index, compare_sprites, sprites_prefix, &indices},
        key_row<frame>{&frame::name, compare_frames, frames_prefix, &names},
        key_row<colrect>{&colrect::name, compare_colrects, colrects_prefix, &names},
        key_row<point>{&point::name, compare_points, points_prefix, &names},
        key_row<character>{&character::name, compare_characters, characters_prefix, &names},
        key_row<sound>{&sound::index, compare_sounds, sounds_prefix, &names},
        key_row<variable_change>{&variable_change::name, compare_variable_changes,
                                 variable_changes_prefix, &names},
        key_row<charmap>{&charmap::name, compare_charmaps, charmaps_prefix, &names});
    std::apply([&doc](const auto&... row) { (expect_keys_agree(doc, row), ...); }, rows);
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
