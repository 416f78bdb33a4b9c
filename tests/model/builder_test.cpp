#include "model/builder.hpp"
#include "model/error.hpp"

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(builder, text_stack_is_last_in_first_out_and_empty_pops_absent) {
    document doc;
    builder b(doc);
    b.push(doc.copy("first"));
    b.push(doc.copy(""));
    const text empty = b.pop();
    EXPECT_TRUE(empty.present());
    EXPECT_EQ(empty.view(), "");
    EXPECT_EQ(b.pop().view(), "first");
    EXPECT_FALSE(b.pop().present());
}

TEST(builder, error_carries_the_message_of_its_index) {
    try {
        error(error_out_of_memory);
        FAIL() << "error must not return";
    } catch (const fatal_error& e) {
        EXPECT_STREQ(e.what(), "Out of Memory");
        EXPECT_EQ(e.index(), 1);
    }
    EXPECT_STREQ(fatal_error(0).what(), "Unknown");
    EXPECT_STREQ(fatal_error(42).what(), "Unknown");
}

} // namespace
} // namespace morvane
