#include "containers/queue.hpp"

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(queue, head_is_last_in_first_out_and_tail_mirrors_it) {
    int a = 1, b = 2, c = 3;
    queue<int*> q;
    EXPECT_EQ(queue_pop_head(q), nullptr);
    EXPECT_EQ(queue_pop_tail(q), nullptr);
    EXPECT_EQ(queue_is_empty(q), 1);
    EXPECT_EQ(queue_push_head(q, &a), 1);
    EXPECT_EQ(queue_push_head(q, &b), 1);
    EXPECT_EQ(queue_push_tail(q, &c), 1);
    EXPECT_EQ(queue_peek_head(q), &b);
    EXPECT_EQ(queue_peek_tail(q), &c);
    EXPECT_EQ(queue_pop_head(q), &b);
    EXPECT_EQ(queue_pop_tail(q), &c);
    EXPECT_EQ(queue_pop_head(q), &a);
    EXPECT_EQ(queue_is_empty(q), 1);
    EXPECT_EQ(queue_peek_head(q), nullptr);
    EXPECT_EQ(queue_peek_tail(q), nullptr);
}

} // namespace
} // namespace morvane
