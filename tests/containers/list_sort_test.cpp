#include "containers/list_sort.hpp"
#include "support/reference_sort.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace morvane {
namespace {

struct item {
    int key;
    std::string label;
};

int by_key(const item* a, const item* b) {
    return a->key < b->key ? -1 : (a->key > b->key ? 1 : 0);
}

std::string labels(const list<item>& l) {
    std::string s;
    for (const item* i : l) s += (s.empty() ? "" : " ") + i->label;
    return s;
}

void expect_linked(const list<item>& l) {
    ASSERT_TRUE(l.head == nullptr || l.head->prev == nullptr);
    ASSERT_TRUE(l.tail == nullptr || l.tail->next == nullptr);
    std::size_t n = 0;
    const list_entry<item>* last = nullptr;
    for (auto* e = l.head; e != nullptr; e = e->next, ++n) {
        ASSERT_EQ(e->prev, last);
        last = e;
    }
    EXPECT_EQ(last, l.tail);
    EXPECT_EQ(n, l.count);
}

std::string sorted_labels(std::vector<item>& items) {
    list<item> l;
    for (auto& i : items) (void)list_append(l, &i);
    list_sort(l, by_key);
    expect_linked(l);
    return labels(l);
}

TEST(list_sort, ties_follow_the_partition_order) {
    std::vector<item> three{{1, "A1"}, {1, "A2"}, {1, "A3"}};
    EXPECT_EQ(sorted_labels(three), "A1 A3 A2");
    std::vector<item> four{{1, "A1"}, {1, "A2"}, {1, "A3"}, {1, "A4"}};
    EXPECT_EQ(sorted_labels(four), "A1 A4 A2 A3");
    std::vector<item> five{{1, "A1"}, {1, "A2"}, {1, "A3"}, {1, "A4"}, {1, "A5"}};
    EXPECT_EQ(sorted_labels(five), "A1 A5 A2 A4 A3");
    std::vector<item> mixed{{2, "B1"}, {1, "A1"}, {2, "B2"}, {1, "A2"}, {2, "B3"}};
    EXPECT_EQ(sorted_labels(mixed), "A2 A1 B1 B3 B2");
}

TEST(list_sort, short_lists) {
    std::vector<item> none;
    EXPECT_EQ(sorted_labels(none), "");
    std::vector<item> one{{5, "x"}};
    EXPECT_EQ(sorted_labels(one), "x");
    std::vector<item> equal_pair{{1, "first"}, {1, "second"}};
    EXPECT_EQ(sorted_labels(equal_pair), "first second");
    std::vector<item> reversed_pair{{2, "b"}, {1, "a"}};
    EXPECT_EQ(sorted_labels(reversed_pair), "a b");
}

// Sorts items with list_sort and with the literal partition sort; same order.
void expect_partition_order(std::vector<item>& items, const std::string& context) {
    list<item> fast;
    list<item> slow;
    for (auto& i : items) {
        (void)list_append(fast, &i);
        (void)list_append(slow, &i);
    }
    list_sort(fast, by_key);
    testing::reference_sort(slow, by_key);
    ASSERT_EQ(labels(fast), labels(slow)) << context;
    expect_linked(fast);
}

TEST(list_sort, matches_the_partition_sort_on_random_lists_with_many_ties) {
    std::mt19937 rng(20261206);
    for (int round = 0; round < 3000; ++round) {
        const int n = static_cast<int>(rng() % 40);
        const int keys = 1 + static_cast<int>(rng() % 6);
        std::vector<item> items;
        for (int i = 0; i < n; ++i)
            items.push_back({static_cast<int>(rng() % keys), std::to_string(i)});
        expect_partition_order(items, "round " + std::to_string(round));
    }
}

TEST(list_sort, long_sorted_and_reversed_lists_do_not_recurse) {
    for (bool reverse : {false, true}) {
        std::vector<item> items;
        const int n = 200000;
        for (int i = 0; i < n; ++i) items.push_back({reverse ? n - i : i, ""});
        list<item> l;
        for (auto& i : items) (void)list_append(l, &i);
        list_sort(l, by_key);
        expect_linked(l);
        int previous = -1;
        for (const item* i : l) {
            ASSERT_LE(previous, i->key);
            previous = i->key;
        }
    }
}

// Lists long enough for the shortcuts (strictly ascending, strictly
// descending, all equal, all different) and for the general walk, against the
// partition sort itself.
TEST(list_sort, long_lists_of_every_shape_match_the_partition_sort) {
    std::mt19937 rng(7);
    for (const int n : {17, 18, 33, 300}) {
        std::vector<std::vector<int>> shapes(6);
        for (int i = 0; i < n; ++i) {
            shapes[0].push_back(i);
            shapes[1].push_back(n - i);
            shapes[2].push_back(4);
            shapes[3].push_back(i);
            shapes[4].push_back(i / 2);                       // ascending with ties
            shapes[5].push_back(static_cast<int>(rng() % 5)); // many ties
        }
        std::shuffle(shapes[3].begin(), shapes[3].end(), rng);
        for (const auto& keys : shapes) {
            std::vector<item> items;
            for (int i = 0; i < n; ++i) items.push_back({keys[i], std::to_string(i)});
            expect_partition_order(items, std::to_string(n) + " entries, first key " +
                                              std::to_string(keys[0]));
        }
    }
}

} // namespace
} // namespace morvane
