// The containers: every list, queue and string operation, including those the
// converter itself does not call, and list_sort against an independent oracle.

#include "containers/compare_string.hpp"
#include "containers/list_sort.hpp"
#include "containers/queue.hpp"
#include "support/partition_sort.hpp"

#include <gtest/gtest.h>

#include <deque>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace morvane {
namespace {

// The values in order, checked against the prev links and the count.
template <class T> std::string contents(const list<T>& l) {
    std::vector<const T*> forwards, backwards;
    for (const T* v : l) forwards.push_back(v);
    for (auto* e = l.tail; e != nullptr; e = list_prev(e)) backwards.push_back(list_data(e));
    std::reverse(backwards.begin(), backwards.end());
    EXPECT_EQ(forwards, backwards) << "next and prev links disagree";
    EXPECT_EQ(forwards.size(), list_length(l));
    EXPECT_TRUE(l.head == nullptr || l.head->prev == nullptr);
    std::string shown;
    for (const T* v : forwards) shown += std::to_string(*v) + " ";
    return shown;
}

int same(const int* a, const int& b) { return *a == b ? 1 : 0; }

TEST(list, every_operation_keeps_both_ends_and_the_count) {
    int v[] = {0, 1, 2, 3, 1};
    list<int> l;
    EXPECT_EQ(list_nth_entry(l, 0), nullptr);
    EXPECT_TRUE(list_to_array(l).empty());
    (void)list_append(l, &v[1]);
    (void)list_append(l, &v[2]);
    (void)list_prepend(l, &v[0]);
    (void)list_append(l, &v[3]);
    EXPECT_EQ(contents(l), "0 1 2 3 ");
    EXPECT_EQ(list_next(l.head)->data, &v[1]);
    EXPECT_EQ(list_nth_data(l, 3), &v[3]);
    EXPECT_EQ(list_nth_data(l, 4), nullptr);
    EXPECT_EQ(list_nth_entry(l, -1), nullptr);
    EXPECT_EQ(list_to_array(l), (std::vector<int*>{&v[0], &v[1], &v[2], &v[3]}));

    int calls = 0;
    list<int> empty;
    EXPECT_EQ(list_find_data(
                  empty, [&](const int*, const int&) { return ++calls; }, 0),
              nullptr);
    EXPECT_EQ(calls, 0) << "an empty list calls no comparison";
    (void)list_append(l, &v[4]);
    EXPECT_EQ(list_find_data(l, same, 1)->data, &v[1]) << "the first match";
    EXPECT_EQ(list_find_data(l, same, 9), nullptr);

    EXPECT_EQ(list_remove_entry(l, l.head), 1);
    EXPECT_EQ(list_remove_entry(l, l.tail), 1);
    EXPECT_EQ(list_remove_entry(l, static_cast<list_entry<int>*>(nullptr)), 0);
    EXPECT_EQ(list_remove_entry(empty, l.head), 0);
    EXPECT_EQ(contents(l), "1 2 3 ");
    (void)list_append(l, &v[4]);
    EXPECT_EQ(list_remove_data(l, same, 1), 2U);
    EXPECT_EQ(contents(l), "2 3 ");
    list_free(l);
    EXPECT_TRUE(l.empty() && l.tail == nullptr && l.count == 0);
}

TEST(list, the_iterator_survives_removal_of_the_current_entry) {
    int v[] = {0, 1, 2, 3, 4};
    list<int> l;
    list_iterator<int> it;
    list_iterate(l, it);
    EXPECT_FALSE(list_iter_has_more(it));
    for (int& x : v) (void)list_append(l, &x);
    list_iterate(l, it);
    std::string seen;
    while (list_iter_has_more(it)) {
        int* x = list_iter_next(it);
        seen += std::to_string(*x);
        if (*x % 2 == 1 || *x == 4) list_iter_remove(it);
    }
    EXPECT_EQ(list_iter_next(it), nullptr);
    EXPECT_EQ(seen, "01234");
    EXPECT_EQ(contents(l), "0 2 ");
    EXPECT_EQ(l.tail->data, &v[2]) << "removing the last entry moves the tail back";
}

// Sorts the positions 0..n-1 by the keys given in this order with list_sort,
// and returns them in the order it left them (links checked by contents). The
// same list sorted with the merge in place tried first must come out the same.
std::string list_sorted(const std::vector<int>& keys) {
    std::vector<int> positions(keys.size());
    std::iota(positions.begin(), positions.end(), 0);
    const auto cmp = [&keys](const int* a, const int* b) {
        return (keys[*a] > keys[*b]) - (keys[*a] < keys[*b]);
    };
    list<int> l, merged_first;
    for (int& p : positions) {
        (void)list_append(l, &p);
        (void)list_append(merged_first, &p);
    }
    list_sort(l, cmp);
    no_sort_prefix prefix;
    detail::sort_list(merged_first, cmp, prefix, 0);
    EXPECT_EQ(contents(merged_first), contents(l));
    return contents(l);
}

// Where all keys differ there is one sorted order; ties must follow the
// partition sort's order, which the oracle gives (slowly: it is quadratic on
// sorted input, so long lists here have distinct keys).
std::string expected_order(const std::vector<int>& keys) {
    std::vector<int> positions(keys.size());
    std::iota(positions.begin(), positions.end(), 0);
    const auto by = [&keys](int a, int b) {
        return keys[a] < keys[b] ? -1 : (keys[a] > keys[b] ? 1 : 0);
    };
    if (keys.size() > 1000)
        std::sort(positions.begin(), positions.end(), [&by](int a, int b) { return by(a, b) < 0; });
    else
        positions = testing::partition_sorted(positions, by);
    std::string shown;
    for (const int p : positions) shown += std::to_string(p) + " ";
    return shown;
}

// Random lists with many ties; lists of the shapes the sort takes shortcuts on
// (ascending, descending, all equal, all different, ascending with ties); and
// long sorted and reversed lists, which must not recurse deeply.
TEST(list_sort, matches_the_partition_sort_on_lists_of_every_shape) {
    std::mt19937 rng(20261206);
    std::vector<std::vector<int>> lists;
    for (int round = 0; round < 3000; ++round) {
        std::vector<int> keys(rng() % 40);
        const unsigned distinct = 1 + rng() % 6;
        for (int& k : keys) k = static_cast<int>(rng() % distinct);
        lists.push_back(keys);
    }
    for (const int n : {17, 18, 33, 300, 200000}) {
        std::vector<std::vector<int>> shapes(n > 1000 ? 2 : 6, std::vector<int>(n));
        for (auto& keys : shapes) std::iota(keys.begin(), keys.end(), 0);
        std::reverse(shapes[1].begin(), shapes[1].end());
        if (n < 1000) {
            std::fill(shapes[2].begin(), shapes[2].end(), 4);
            std::shuffle(shapes[3].begin(), shapes[3].end(), rng);
            for (int& k : shapes[4]) k /= 2;
            for (int& k : shapes[5]) k = static_cast<int>(rng() % 5);
        }
        lists.insert(lists.end(), shapes.begin(), shapes.end());
    }
    for (const auto& keys : lists) ASSERT_EQ(list_sorted(keys), expected_order(keys));
}

TEST(queue, both_ends_keep_one_order_across_growth) {
    std::vector<int> values(100);
    queue<int*> q;
    EXPECT_EQ(queue_pop_head(q), nullptr);
    EXPECT_EQ(queue_pop_tail(q), nullptr);
    EXPECT_EQ(queue_peek_head(q), nullptr);
    EXPECT_EQ(queue_peek_tail(q), nullptr);
    std::deque<int*> model;
    for (int i = 0; i < 100; ++i) {
        values[i] = i;
        const bool tail = i % 3 == 0;
        ASSERT_EQ(tail ? queue_push_tail(q, &values[i]) : queue_push_head(q, &values[i]), 1);
        tail ? model.push_back(&values[i]) : model.push_front(&values[i]);
        ASSERT_EQ(queue_peek_head(q), model.front());
        if (i % 7 == 0) {
            ASSERT_EQ(queue_pop_head(q), model.front());
            model.pop_front();
        }
    }
    EXPECT_EQ(queue_is_empty(q), 0);
    for (; !model.empty(); model.pop_back()) {
        ASSERT_EQ(queue_peek_tail(q), model.back());
        ASSERT_EQ(queue_pop_tail(q), model.back());
    }
    EXPECT_EQ(queue_is_empty(q), 1);
}

TEST(compare_string, byte_order_and_ascii_case_folding_reduced_to_sign) {
    struct row {
        std::string a, b;
        int compare, nocase;
    };
    const row rows[] = {
        {"abc", "abd", -1, -1}, {"abd", "abc", 1, 1},
        {"abc", "abc", 0, 0},   {"B", "a", -1, 1},
        {"ab", "abc", -1, -1},  {"", "", 0, 0},
        {"\x80", "a", 1, 1},    {"Hero", "hERO", -1, 0},
        {"a", "AB", 1, -1},     {std::string("a\0b", 3), std::string("a\0c", 3), -1, -1},
    };
    for (const row& r : rows) {
        EXPECT_EQ(string_compare(r.a, r.b), r.compare) << r.a << " / " << r.b;
        EXPECT_EQ(string_equal(r.a, r.b), r.compare == 0 ? 1 : 0) << r.a << " / " << r.b;
        EXPECT_EQ(string_nocase_compare(r.a, r.b), r.nocase) << r.a << " / " << r.b;
        EXPECT_EQ(string_nocase_equal(r.a, r.b), r.nocase == 0 ? 1 : 0) << r.a << " / " << r.b;
    }
}

} // namespace
} // namespace morvane
