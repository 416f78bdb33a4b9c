#include "containers/compare_string.hpp"

#include <gtest/gtest.h>

#include <string>

namespace morvane {
namespace {

TEST(compare_string, byte_order_reduced_to_sign) {
    EXPECT_EQ(string_compare("abc", "abd"), -1);
    EXPECT_EQ(string_compare("abd", "abc"), 1);
    EXPECT_EQ(string_compare("abc", "abc"), 0);
    EXPECT_EQ(string_compare("B", "a"), -1) << "upper case sorts first";
    EXPECT_EQ(string_compare("ab", "abc"), -1);
    EXPECT_EQ(string_compare("", ""), 0);
    EXPECT_EQ(string_compare("\x80", "a"), 1) << "bytes compare unsigned";
    EXPECT_EQ(string_compare(std::string("a\0b", 3), std::string("a\0c", 3)), -1);
    EXPECT_EQ(string_equal("x", "x"), 1);
    EXPECT_EQ(string_equal("x", "X"), 0);
}

TEST(compare_string, nocase_ignores_ascii_case_only) {
    EXPECT_EQ(string_nocase_compare("Hero", "hERO"), 0);
    EXPECT_EQ(string_nocase_equal("Hero", "hERO"), 1);
    EXPECT_EQ(string_nocase_compare("B", "a"), 1);
    EXPECT_EQ(string_nocase_compare("a", "AB"), -1);
    EXPECT_EQ(string_nocase_equal("a", "b"), 0);
}

} // namespace
} // namespace morvane
