#include "containers/list_sort.hpp"
#include "model/operations.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace morvane {
namespace {

TEST(find_or_create, without_a_key_always_creates_and_appends) {
    document doc;
    frame* a = get_frame(doc, text());
    frame* b = get_frame(doc, text());
    EXPECT_NE(a, b);
    EXPECT_EQ(doc.frame_list.size(), 2U);
    EXPECT_FALSE(a->name.present());
    EXPECT_TRUE(a->sprites.empty() && a->colrects.empty() && a->points.empty());
}

TEST(find_or_create, with_a_key_finds_the_first_match) {
    document doc;
    frame* idle = get_frame(doc, doc.copy("idle"));
    frame* second_idle = doc.make<frame>();
    second_idle->name = doc.copy("idle");
    (void)list_append(doc.frame_list, second_idle);
    EXPECT_EQ(get_frame(doc, doc.copy("idle")), idle);
    frame* run = get_frame(doc, doc.copy("run"));
    EXPECT_NE(run, idle);
    EXPECT_EQ(doc.frame_list.size(), 3U);
}

TEST(find_or_create, sprites_match_by_numeric_index_and_unparented_records_stay_loose) {
    document doc;
    frame* f = get_frame(doc, text());
    sprite* s = get_sprite(doc, f, doc.copy("7"));
    EXPECT_EQ(get_sprite(doc, f, doc.copy("07")), s);
    EXPECT_NE(get_sprite(doc, f, doc.copy("8")), s);
    EXPECT_EQ(f->sprites.size(), 2U);
    map* loose = get_map(doc, nullptr, doc.copy("body"));
    EXPECT_EQ(loose->folder.view(), "body");
}

TEST(orderings, absent_keys_first_and_sprites_numeric_without_overflow) {
    document doc;
    frame absent(doc.alloc());
    frame named(doc.alloc());
    named.name = doc.copy("A");
    EXPECT_LT(compare_frames(&absent, &named), 0);
    EXPECT_GT(compare_frames(&named, &absent), 0);
    EXPECT_EQ(compare_frames(&absent, &absent), 0);

    sprite big{}, small{}, nine{}, ten{};
    big.index = doc.copy(std::to_string(INT_MAX));
    small.index = doc.copy(std::to_string(INT_MIN));
    nine.index = doc.copy("9");
    ten.index = doc.copy("10");
    EXPECT_GT(compare_sprites(&big, &small), 0);
    EXPECT_LT(compare_sprites(&small, &big), 0);
    EXPECT_LT(compare_sprites(&nine, &ten), 0);

    sound s1{}, s10{}, s2{};
    s1.index = doc.copy("1");
    s10.index = doc.copy("10");
    s2.index = doc.copy("2");
    EXPECT_LT(compare_sounds(&s1, &s10), 0);
    EXPECT_LT(compare_sounds(&s10, &s2), 0) << "sounds sort as text";
}

TEST(orderings, index_value_reads_like_a_decimal_conversion) {
    document doc;
    EXPECT_EQ(index_value(doc.copy("  -12abc")), -12);
    EXPECT_EQ(index_value(doc.copy("+3")), 3);
    EXPECT_EQ(index_value(doc.copy("x")), 0);
    EXPECT_EQ(index_value(text()), 0);
    EXPECT_EQ(index_value(doc.copy("99999999999999999999999")), INT64_MAX);
}

// The sort prefixes must agree with the orderings: a smaller record never gets
// a larger key, and equal records get equal keys. Texts sharing long beginnings,
// holding NUL and high bytes, and indices with signs, zeros and overflow.
TEST(orderings, sort_prefixes_agree_with_the_orderings) {
    document doc;
    std::vector<text> texts{text(), doc.copy(""), doc.copy(std::string_view("\0", 1)),
                            doc.copy(std::string_view("a\0", 2)), doc.copy("a")};
    for (const char* s : {"knight_123_walk_0", "knight_123_walk_1", "knight_123_walk_10",
                          "knight_123_walk_", "knight_123_walk", "knight_123_wal", "Knight", "\xff",
                          "\x80"
                          "a",
                          "b", "ab", "abcdefghijklmnopq", "abcdefghijklmnopr", "abcdefghijklmno",
                          "abcdefghijklmnop"})
        texts.push_back(doc.copy(s));
    // Around the 31 bytes that the key words hold.
    const std::string long_name = "character_with_a_long_name_walk_frame_";
    for (const std::size_t n : {30, 31, 32, 38})
        texts.push_back(doc.copy(std::string_view(long_name).substr(0, n)));
    for (const std::string& tail : {std::string("10"), std::string("9"), std::string(1, '\0')})
        texts.push_back(doc.copy(long_name + tail));
    std::vector<text> indices{text(),
                              doc.copy(""),
                              doc.copy("0"),
                              doc.copy("00"),
                              doc.copy("-0"),
                              doc.copy("7"),
                              doc.copy(" 7"),
                              doc.copy("-3"),
                              doc.copy("10"),
                              doc.copy("99999999999999999999999"),
                              doc.copy("-99999999999999999999")};
    const auto agree = [](int order, sort_prefix a, sort_prefix b) {
        return order < 0 ? a <= b : (order > 0 ? a >= b : a == b);
    };
    for (const text& a : texts)
        for (const text& b : texts) {
            frame x(doc.alloc()), y(doc.alloc());
            x.name = a;
            y.name = b;
            EXPECT_TRUE(agree(compare_frames(&x, &y), frames_prefix(&x), frames_prefix(&y)))
                << a.view() << " / " << b.view();
        }
    for (const text& a : indices)
        for (const text& b : indices) {
            sprite x{}, y{};
            x.index = a;
            y.index = b;
            EXPECT_TRUE(agree(compare_sprites(&x, &y), sprites_prefix(&x), sprites_prefix(&y)))
                << a.view() << " / " << b.view();
        }
}

TEST(document, texts_keep_empty_apart_from_absent_and_hold_any_byte) {
    document doc;
    EXPECT_FALSE(text().present());
    EXPECT_TRUE(doc.copy("").present());
    EXPECT_TRUE(text(std::string_view()).present());
    const std::string with_nul("a\0b\xff", 4);
    EXPECT_EQ(doc.copy(with_nul).view(), with_nul);
    EXPECT_EQ(doc.index_text(1234567890123).view(), "1234567890123");
}

} // namespace
} // namespace morvane
