// The containers: every list, queue and string operation, including those the
// converter itself does not call, and list_sort against an independent oracle.

#include "containers/compare_string.hpp"
#include "containers/list_sort.hpp"
#include "containers/queue.hpp"
#include "support/partition_sort.hpp"

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <numeric>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace morvane {
namespace {

// The values in order, checked against the prev links, the tail and the count.
template <class T> std::string contents(const list<T>& l) {
    std::vector<const T*> forwards, backwards;
    for (auto* e = l.head; e != nullptr; e = list_next(e)) forwards.push_back(list_data(e));
    for (auto* e = l.tail; e != nullptr; e = list_prev(e)) backwards.push_back(list_data(e));
    EXPECT_EQ(forwards, std::vector(backwards.rbegin(), backwards.rend())) << "prev links disagree";
    EXPECT_EQ(forwards.size(), list_length(l));
    std::string shown;
    for (const T* v : forwards) shown += std::to_string(*v) + " ";
    return shown;
}

// Random steps of every list and queue operation, those the converter never
// calls included, each against a plain deque of the same values; after each
// step both ends, the links and the count agree with it.
TEST(containers, every_list_and_queue_operation_agrees_with_a_deque) {
    int values[] = {0, 1, 2, 3};
    list<int> l;
    queue<int*> q;
    std::deque<int*> in_list, in_queue;
    const auto same = [](const int* a, const int& b) { return *a == b ? 1 : 0; };
    std::mt19937 rng(5);
    for (int step = 0; step < 3000; ++step) {
        int* v = &values[rng() % 4];
        const auto is_v = [v](const int* x) { return *x == *v; };
        const auto n = static_cast<std::int64_t>(rng() % (in_list.size() + 2)) - 1;
        const bool inside = n >= 0 && n < static_cast<std::int64_t>(in_list.size());
        const bool head = n % 2 == 0;
        switch (rng() % 6) {
        case 0:
            ASSERT_EQ(list_data(head ? list_prepend(l, v) : list_append(l, v)), v);
            head ? in_list.push_front(v) : in_list.push_back(v);
            break;
        case 1:
            ASSERT_EQ(list_nth_data(l, n), inside ? in_list[n] : nullptr);
            ASSERT_EQ(list_remove_entry(l, list_nth_entry(l, n)), inside ? 1 : 0);
            if (inside) in_list.erase(in_list.begin() + n);
            break;
        case 2: // the first entry of a value, then all of them
            ASSERT_EQ(list_find_data(l, same, *v),
                      list_nth_entry(l, std::ranges::find_if(in_list, is_v) - in_list.begin()));
            ASSERT_EQ(list_remove_data(l, same, *v), std::erase_if(in_list, is_v));
            break;
        case 3: { // a walk that removes the entries of a value as it meets them
            list_iterator<int> it;
            list_iterate(l, it);
            for (int* const expected : list_to_array(l)) {
                ASSERT_TRUE(list_iter_has_more(it));
                ASSERT_EQ(list_iter_next(it), expected);
                if (*expected == *v) list_iter_remove(it);
            }
            ASSERT_FALSE(list_iter_has_more(it));
            ASSERT_EQ(list_iter_next(it), nullptr);
            std::erase_if(in_list, is_v);
            break;
        }
        case 4:
            ASSERT_EQ(head ? queue_push_head(q, v) : queue_push_tail(q, v), 1);
            head ? in_queue.push_front(v) : in_queue.push_back(v);
            break;
        default: { // peek and pop at either end
            int* const end = in_queue.empty() ? nullptr : head ? in_queue.front() : in_queue.back();
            ASSERT_EQ(head ? queue_peek_head(q) : queue_peek_tail(q), end);
            ASSERT_EQ(head ? queue_pop_head(q) : queue_pop_tail(q), end);
            if (end != nullptr) head ? in_queue.pop_front() : in_queue.pop_back();
        }
        }
        ASSERT_EQ(queue_is_empty(q), in_queue.empty() ? 1 : 0);
        ASSERT_EQ(list_to_array(l), std::vector<int*>(in_list.begin(), in_list.end()));
        ASSERT_EQ(contents(l).size(), 2 * in_list.size()) << "the links and the count agree";
    }
    list_free(l);
    EXPECT_TRUE(l.empty() && l.tail == nullptr && list_length(l) == 0);
}

// Sorts the positions 0..n-1 by the keys given in this order with list_sort,
// and with the merge in place tried first, each on one to three threads, against the partition
// sort's order (the oracle is quadratic on sorted input, so long lists here have distinct keys,
// which have one sorted order). Links are checked by contents.
void expect_sorted(const std::vector<int>& keys) {
    std::vector<int> positions(keys.size());
    std::iota(positions.begin(), positions.end(), 0);
    std::vector<int> order = positions;
    const auto by = [&keys](int a, int b) { return (keys[a] > keys[b]) - (keys[a] < keys[b]); };
    const auto cmp = [&by](const int* a, const int* b) { return by(*a, *b); };
    list<int> l, merged_first;
    for (int& p : positions) (void)(list_append(l, &p), list_append(merged_first, &p));
    const std::size_t threads = 1 + keys.size() % 3;
    list_sort(l, cmp, no_sort_prefix{}, threads);
    no_sort_prefix prefix;
    detail::sort_list(merged_first, cmp, prefix, 0, threads);
    if (keys.size() > 1000)
        std::sort(order.begin(), order.end(), [&by](int a, int b) { return by(a, b) < 0; });
    else
        order = testing::partition_sorted(order, by);
    std::string expected;
    for (const int p : order) expected += std::to_string(p) + " ";
    ASSERT_EQ(contents(l), expected);
    ASSERT_EQ(contents(merged_first), expected);
}

// Random lists with many ties; lists of the shapes the sort takes shortcuts on
// (ascending, descending, all equal, all different, ascending with ties) and
// a few keys at random; and long sorted and reversed lists, which must not
// recurse deeply.
TEST(list_sort, matches_the_partition_sort_on_lists_of_every_shape) {
    std::mt19937 rng(20261206);
    std::vector<std::vector<int>> lists;
    for (int round = 0; round < 3000; ++round) {
        std::vector<int> keys(rng() % 40);
        const unsigned distinct = 1 + rng() % 6;
        for (int& k : keys) k = static_cast<int>(rng() % distinct);
        lists.push_back(keys);
    }
    for (const int n : {17, 18, 33, 300, 200000})
        for (std::size_t shape = 0; shape < (n > 1000 ? 2 : 6); ++shape) {
            std::vector<int> keys(n);
            for (int i = 0; i < n; ++i)
                keys[i] = std::array{i, n - i, 4, i * 7919 % n, i / 2, int(rng() % 5)}[shape];
            lists.push_back(keys);
        }
    for (const auto& keys : lists) ASSERT_NO_FATAL_FAILURE(expect_sorted(keys));
}

// Each row both ways round: swapping the strings negates the orderings.
TEST(compare_string, byte_order_and_ascii_case_folding_reduced_to_sign) {
    const std::tuple<std::string, std::string, int, int> rows[] = {
        {"abc", "abd", -1, -1}, {"abc", "abc", 0, 0},
        {"B", "a", -1, 1},      {"ab", "abc", -1, -1},
        {"", "", 0, 0},         {"b", "", 1, 1},
        {"\x80", "a", 1, 1},    {"Hero", "hERO", -1, 0},
        {"a", "AB", 1, -1},     {std::string("a\0b", 3), std::string("a\0c", 3), -1, -1},
    };
    for (const auto& [a, b, compare, nocase] : rows) {
        SCOPED_TRACE(a + " / " + b);
        EXPECT_EQ(string_compare(a, b), compare);
        EXPECT_EQ(string_compare(b, a), -compare);
        EXPECT_EQ(string_equal(a, b), compare == 0 ? 1 : 0);
        EXPECT_EQ(string_nocase_compare(a, b), nocase);
        EXPECT_EQ(string_nocase_compare(b, a), -nocase);
        EXPECT_EQ(string_nocase_equal(a, b), nocase == 0 ? 1 : 0);
    }
}

} // namespace
} // namespace morvane
