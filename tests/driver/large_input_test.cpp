// Very large values and documents, generated in memory: a 100 MB image path, a
// 10 MB name and 100,000 frames convert exactly.

#include "driver/conversion.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {
namespace {

std::string converted(const std::string& input) {
    conversion run;
    memory_source source(input);
    if (!run.parse(source)) return "(failed)";
    std::string out;
    string_sink sink(out);
    run.write(sink);
    return out;
}

TEST(large_inputs, a_100_mb_image_path_is_carried_over_whole) {
    // Every byte but ";" in turn: NUL, line ends, brackets, bytes above 127. The
    // first byte is not white space, which would belong to the spacing before it.
    std::string pattern;
    for (int c = 0; c < 256; ++c) pattern += c == ';' ? 'x' : static_cast<char>(c);
    const std::string head = "[frame] [name] big; [sprite] [image] p";
    std::string input = head;
    input.reserve(head.size() + (100U << 20U) + 64); // room for all: `path` stays valid
    while (input.size() - head.size() + pattern.size() <= (100U << 20U)) input += pattern;
    const std::string_view path(input.data() + head.size() - 1, input.size() - head.size() + 1);
    input += "; [x] 1; ! !\n";

    const std::string out = converted(input);
    const std::string_view before = "[frame big]\nsprite 0 image=";
    const std::string_view after = "\nsprite 0 x=1\n";
    ASSERT_EQ(out.size(), before.size() + path.size() + after.size());
    EXPECT_TRUE(out.starts_with(before));
    EXPECT_TRUE(std::string_view(out).substr(before.size(), path.size()) == path)
        << "the path did not come through byte for byte";
    EXPECT_TRUE(out.ends_with(after));
}

TEST(large_inputs, a_10_mb_name_is_carried_over_whole) {
    const std::string letters = "abc DEF_.\\09 ";
    std::string name = "a";
    name.reserve(10U << 20U);
    while (name.size() < (10U << 20U)) name += letters;
    const std::string input =
        "[char] [name] " + name + ";\n [anim] [name] walk; !\n [var] [name] hp; [default] 3; !\n!";
    const std::string expected =
        "[char " + name + "/anim walk]\n[char " + name + "/variables]\nhp=3\n";
    EXPECT_TRUE(converted(input) == expected) << "the name did not come through byte for byte";
}

TEST(large_inputs, a_hundred_thousand_frames_come_out_sorted) {
    constexpr std::size_t count = 100'000;
    // Distinct names in a scrambled order (7919 is prime, so i * 7919 % count
    // visits every number once).
    std::vector<std::string> names;
    names.reserve(count);
    for (std::size_t i = 0; i < count; ++i) names.push_back("f" + std::to_string(i * 7919 % count));
    std::string input;
    for (const std::string& n : names) {
        input += "[frame] [name] ";
        input += n;
        input += "; [sprite] [y] 2; !\n!\n";
    }
    std::sort(names.begin(), names.end());
    std::string expected;
    for (const std::string& n : names) {
        expected += "[frame ";
        expected += n;
        expected += "]\nsprite 0 y=2\n";
    }
    EXPECT_TRUE(converted(input) == expected) << "frames missing, changed or out of order";
}

} // namespace
} // namespace morvane
