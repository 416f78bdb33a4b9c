#include "containers/list.hpp"

#include <gtest/gtest.h>

#include <string>

namespace morvane {
namespace {

int same(const int* a, const int& b) { return *a == b ? 1 : 0; }

std::string contents(const list<int>& l) {
    std::string s;
    for (const int* v : l) s += std::to_string(*v);
    std::string backwards;
    for (auto* e = l.tail; e != nullptr; e = e->prev) backwards.insert(0, std::to_string(*e->data));
    EXPECT_EQ(s, backwards) << "next and prev links disagree";
    return s;
}

TEST(list, append_prepend_nth_and_length) {
    int v[] = {0, 1, 2, 3};
    list<int> l;
    EXPECT_EQ(list_nth_entry(l, 0), nullptr);
    (void)list_append(l, &v[1]);
    (void)list_append(l, &v[2]);
    (void)list_prepend(l, &v[0]);
    (void)list_append(l, &v[3]);
    EXPECT_EQ(contents(l), "0123");
    EXPECT_EQ(list_length(l), 4U);
    EXPECT_EQ(list_nth_data(l, 0), &v[0]);
    EXPECT_EQ(list_nth_data(l, 3), &v[3]);
    EXPECT_EQ(list_nth_data(l, 4), nullptr);
    EXPECT_EQ(list_nth_entry(l, -1), nullptr);
    EXPECT_EQ(list_to_array(l), (std::vector<int*>{&v[0], &v[1], &v[2], &v[3]}));
    EXPECT_TRUE(list_to_array(list<int>()).empty());
}

TEST(list, find_returns_the_first_match_and_never_calls_on_empty) {
    int v[] = {7, 8, 7};
    list<int> l;
    int calls = 0;
    auto counting = [&](const int* a, const int& b) {
        ++calls;
        return *a == b ? 1 : 0;
    };
    EXPECT_EQ(list_find_data(l, counting, 7), nullptr);
    EXPECT_EQ(calls, 0);
    for (int& x : v) (void)list_append(l, &x);
    EXPECT_EQ(list_find_data(l, same, 7)->data, &v[0]);
    EXPECT_EQ(list_find_data(l, same, 9), nullptr);
}

TEST(list, removal_keeps_both_ends_right) {
    int v[] = {0, 1, 2, 3, 1};
    list<int> l;
    for (int& x : v) (void)list_append(l, &x);
    EXPECT_EQ(list_remove_entry(l, l.head), 1);
    EXPECT_EQ(list_remove_entry(l, l.tail), 1);
    EXPECT_EQ(contents(l), "123");
    EXPECT_EQ(list_remove_entry(l, static_cast<list_entry<int>*>(nullptr)), 0);
    (void)list_append(l, &v[4]);
    EXPECT_EQ(list_remove_data(l, same, 1), 2U);
    EXPECT_EQ(contents(l), "23");
    EXPECT_EQ(l.count, 2U);
    list<int> empty;
    EXPECT_EQ(list_remove_entry(empty, l.head), 0);
}

TEST(list, iterator_survives_removal_of_the_current_entry) {
    int v[] = {0, 1, 2, 3, 4};
    list<int> l;
    for (int& x : v) (void)list_append(l, &x);
    list_iterator<int> it;
    list_iterate(l, it);
    std::string seen;
    while (int* x = list_iter_next(it)) {
        seen += std::to_string(*x);
        if (*x % 2 == 1) list_iter_remove(it);
    }
    EXPECT_EQ(seen, "01234");
    EXPECT_EQ(contents(l), "024");
    EXPECT_FALSE(list_iter_has_more(it));

    // Removing the last entry moves the tail back.
    list_iterate(l, it);
    while (int* x = list_iter_next(it))
        if (*x == 4) list_iter_remove(it);
    EXPECT_EQ(contents(l), "02");
    EXPECT_EQ(l.tail->data, &v[2]);
}

TEST(list, has_more_looks_ahead_without_moving) {
    int v[] = {0, 1};
    list<int> l;
    list_iterator<int> it;
    list_iterate(l, it);
    EXPECT_FALSE(list_iter_has_more(it));
    for (int& x : v) (void)list_append(l, &x);
    list_iterate(l, it);
    EXPECT_TRUE(list_iter_has_more(it));
    EXPECT_EQ(list_iter_next(it), &v[0]);
    EXPECT_TRUE(list_iter_has_more(it));
    list_iter_remove(it);
    EXPECT_TRUE(list_iter_has_more(it));
    EXPECT_EQ(list_iter_next(it), &v[1]);
    EXPECT_FALSE(list_iter_has_more(it));
    EXPECT_EQ(list_iter_next(it), nullptr);
}

} // namespace
} // namespace morvane
