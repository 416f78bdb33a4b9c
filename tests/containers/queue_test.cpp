#include "containers/queue.hpp"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

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

// Mixed pushes at both ends, past several growths, keep one order.
TEST(queue, both_ends_keep_their_order_across_growth) {
    std::vector<int> values(100);
    queue<int*> q;
    std::deque<int*> model;
    for (int i = 0; i < 100; ++i) {
        values[i] = i;
        if (i % 3 == 0) {
            ASSERT_EQ(queue_push_tail(q, &values[i]), 1);
            model.push_back(&values[i]);
        } else {
            ASSERT_EQ(queue_push_head(q, &values[i]), 1);
            model.push_front(&values[i]);
        }
        if (i % 7 == 0) {
            ASSERT_EQ(queue_pop_head(q), model.front());
            model.pop_front();
        }
    }
    while (!model.empty()) {
        ASSERT_EQ(queue_peek_tail(q), model.back());
        ASSERT_EQ(queue_pop_tail(q), model.back());
        model.pop_back();
    }
    EXPECT_EQ(queue_is_empty(q), 1);
}

} // namespace
} // namespace morvane
