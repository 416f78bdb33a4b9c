// The grammar driven in memory: what the rules accept and what values they capture.

#include "driver/conversion.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace morvane {
namespace {

std::optional<std::string> convert(std::string_view input) {
    conversion run;
    memory_source source(input);
    if (!run.parse(source)) return std::nullopt;
    std::string out;
    string_sink sink(out);
    run.write(sink);
    return out;
}

TEST(grammar, values_keep_their_exact_bytes) {
    EXPECT_EQ(convert("[frame][name]a b  ;!"), "[frame a b  ]\n");
    EXPECT_EQ(convert("[frame][name]a b\t;!"), "[frame a b]\n");
    EXPECT_EQ(convert("[frame][sprite][x];[y]-;[width] -0012 \r\n ;!!"),
              "[frame ]\nsprite 0 width=-0012\nsprite 0 x=\nsprite 0 y=-\n");
    EXPECT_EQ(convert("[frame][sprite][image]  a [b]\n!c ;!!"),
              "[frame ]\nsprite 0 image=a [b]\n!c \n");
}

TEST(grammar, values_longer_than_any_buffer_and_holding_nul_pass_through) {
    const std::string path = std::string(100000, 'p') + std::string("\0\x80\xff", 3);
    EXPECT_EQ(convert("[frame][sprite][image]" + path + ";!!"),
              "[frame ]\nsprite 0 image=" + path + "\n");
    const std::string name(70000, 'n');
    EXPECT_EQ(convert("[char][name]" + name + ";[var][name]v;[default]1;!!"),
              "[char " + name + "/variables]\nv=1\n");
}

TEST(grammar, tight_statements_reject_a_tab_before_the_semicolon) {
    EXPECT_FALSE(convert("[frame][sprite][ink]normal\t;!!"));
    EXPECT_FALSE(convert("[charmap][map][folder]f\t;!!"));
    EXPECT_FALSE(convert("[charmap][map][display]d\t;!!"));
    EXPECT_EQ(convert("[charmap][map][folder]f ;[display]d;!!"), "[charmaps]\nf :d,\n");
}

TEST(grammar, keywords_are_exact) {
    EXPECT_EQ(convert("[ char]!"), "");
    EXPECT_FALSE(convert("[char ]!"));
    EXPECT_FALSE(convert("[Char]!"));
    EXPECT_FALSE(convert("[chars]!"));
    EXPECT_EQ(convert("[charmap]!"), "[charmaps]\n\n");
    EXPECT_FALSE(convert("[frame][sprite][x  flip]1;!!"));
    EXPECT_EQ(convert("[frame][sprite][ x flip]1;!!"), "[frame ]\nsprite 0 x flip=1\n");
}

TEST(grammar, a_conversion_can_run_many_times_in_one_process) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(convert("[frame][name]f;!"), "[frame f]\n");
        EXPECT_FALSE(convert("[frame][name]f;"));
    }
}

} // namespace
} // namespace morvane
