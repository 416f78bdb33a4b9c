// The document records: find-or-create, orderings and their sort keys, index
// values and a sprite's fields.

#include "model/operations.hpp"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace morvane {
namespace {

// Given a key equal to an earlier record's (for a sprite, an index of the same
// value), find-or-create returns that record; another key, or none, appends a
// new one to the parent's list.
template <class R, class Get, class... Parent>
void expect_find_or_create(document& doc, const list<R>& in, Get get, Parent*... parent) {
    const std::size_t before = list_length(in);
    R* first = get(doc, parent..., doc.copy("7"));
    EXPECT_EQ(first, in.tail->data);
    EXPECT_EQ(get(doc, parent..., doc.copy(std::is_same_v<R, sprite> ? "07" : "7")), first);
    EXPECT_NE(get(doc, parent..., doc.copy("other")), first);
    EXPECT_NE(get(doc, parent..., text()), get(doc, parent..., text()));
    EXPECT_EQ(list_length(in), before + 4);
}

// The sort keys must agree with the orderings: a smaller record never gets a
// larger key, equal records get equal keys, and equal complete keys are equal
// records; the equalities hold where the orderings tie. Indices with signs,
// zeros and overflow (a compare_sprites that overflowed would disagree with its
// keys); names around the length a key holds whole, with NUL bytes, which the
// input cannot give.
template <class R>
void expect_keys_agree(document& doc, const std::vector<text>& keys, auto cmp, auto equal,
                       auto prefix) {
    for (const text& a : keys)
        for (const text& b : keys) {
            R* x = doc.make<R>();
            R* y = doc.make<R>();
            x->*key_of<R> = a;
            y->*key_of<R> = b;
            SCOPED_TRACE(std::string(a.view()) + " / " + std::string(b.view()));
            const int order = cmp(x, y);
            const sort_prefix kx = prefix(x), ky = prefix(y);
            EXPECT_TRUE(order < 0   ? kx.words <= ky.words
                        : order > 0 ? kx.words >= ky.words
                                    : kx.words == ky.words);
            EXPECT_TRUE(!(kx.words == ky.words && kx.complete && ky.complete) || order == 0);
            EXPECT_EQ(equal(x, y), order == 0 ? 1 : 0);
        }
}

TEST(records, every_kind_finds_by_its_key_and_sorts_as_its_sort_key_says) {
    document doc;
    frame* f = get_frame(doc, doc.copy("f"));
    character* c = get_character(doc, doc.copy("c"));
    anim* a = get_anim(doc, c, doc.copy("a"));
    const std::tuple parents{f, c, a, get_anim_frame(doc, a, doc.copy("0")),
                             new_charmap(doc, doc.copy("m"))};
    // Each record type in its parent from the tuple, then the root lists.
#define MORVANE_EXPECT_FIND_OR_CREATE(R, Rs, ...)                                                  \
    __VA_OPT__(expect_find_or_create(doc, std::get<__VA_ARGS__*>(parents)->Rs, get_##R,            \
                                     std::get<__VA_ARGS__*>(parents));)
    MORVANE_KEYED_RECORDS(MORVANE_EXPECT_FIND_OR_CREATE)
#undef MORVANE_EXPECT_FIND_OR_CREATE
    expect_find_or_create(doc, doc.frame_list, get_frame);
    expect_find_or_create(doc, doc.character_list, get_character);
    expect_find_or_create(doc, doc.charmap_list, new_charmap);
    EXPECT_EQ(get_map(doc, nullptr, doc.copy("loose"))->folder.view(), "loose")
        << "without a parent the record stays unattached";
    // Each key with its value as an index, which reads like a decimal
    // conversion, saturated; a value just short of the limit is still exact.
    const std::string held(22, 'n');
    // clang-format off
    const std::pair<std::string, std::int64_t> values[] = {
        {"", 0}, {"00", 0}, {"-0", 0}, {"7", 7}, {" 7", 7}, {"+3", 3}, {"x", 0}, {"-12ab", -12},
        {"99999999999999999999999", INT64_MAX}, {"-9223372036854775798", -9223372036854775798},
        {"9", 9}, {"a", 0}, {std::string("a\0", 2), 0}, {std::string("a\0b", 3), 0}, {"ab", 0},
        {held, 0}, {held + '\0', 0}, {held + 'a', 0}, {held + 'b', 0}, {held + 'a' + '\0', 0},
        {"\xFF", 0}, {held + "ab", 0}, {held.substr(1) + 'o', 0}, {"\t7", 7}, {"10", 10}};
    // clang-format on
    std::vector<text> keys{text()};
    for (const auto& [s, value] : values) {
        keys.push_back(doc.copy(s));
        EXPECT_EQ(index_value(keys.back()), value) << s;
    }
    EXPECT_EQ(doc.index_text(1234567890123).view(), "1234567890123");
#define MORVANE_EXPECT_KEYS_AGREE(R, Rs, ...)                                                      \
    expect_keys_agree<R>(doc, keys, compare_##Rs, Rs##_equal, Rs##_prefix);
    MORVANE_KEYED_RECORDS(MORVANE_EXPECT_KEYS_AGREE)
#undef MORVANE_EXPECT_KEYS_AGREE
}

// Random sets and removals, with other allocations in between so that the
// values must sometimes move, against a plain array of the eleven fields.
TEST(sprite, fields_hold_what_was_last_set_and_are_visited_in_field_order) {
    document doc;
    sprite s;
    std::array<text, static_cast<std::size_t>(sprite_field::count)> model{};
    const std::array<text, 4> values{text(), doc.copy(""), doc.copy("5"), doc.copy("-12")};
    std::mt19937 rng(7);
    for (int step = 0; step < 3000; ++step) {
        const std::size_t f = rng() % model.size();
        model[f] = values[rng() % values.size()];
        if (rng() % 4 == 0) (void)doc.copy("elsewhere");
        s.set(sprite_field(f), model[f], doc.storage());
        std::vector<std::pair<std::size_t, std::string_view>> expected, visited;
        for (std::size_t g = 0; g < model.size(); ++g) {
            ASSERT_EQ(s.has(sprite_field(g)), model[g].present()) << step;
            ASSERT_EQ(s.get(sprite_field(g)).view(), model[g].view()) << step;
            if (model[g].present()) expected.emplace_back(g, model[g].view());
        }
        s.for_each_present(
            [&](auto g, text v) { visited.emplace_back(std::size_t(g()), v.view()); });
        ASSERT_EQ(visited, expected) << step;
    }
}

} // namespace
} // namespace morvane
