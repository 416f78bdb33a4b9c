#pragma once
// list_sort reorders a list exactly as the partition sort below would, in
// O(n log n) comparisons and without recursion:
//
//   step(list): the first entry is the pivot; every other entry, walked in list
//   order, goes to the front of the lower partition when cmp(entry, pivot) < 0
//   and to the front of the upper partition otherwise (ties go up); both
//   partitions are sorted by the same step and joined as lower, pivot, upper.
//
// Because each partition reverses the order in which its entries were met, a
// sublist at depth d of the partition tree holds its entries in their original
// order when d is even and reversed when d is odd. Its pivot is therefore the
// earliest (even d) or latest (odd d) original position among the entries not
// yet used as pivots whose keys lie in the subtree's key interval. With the
// entries stable-sorted by key, that interval is a contiguous range, and the
// pivot is a range-minimum or range-maximum query over original positions.

#include "list.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <vector>

namespace morvane {
namespace detail {

// Range minimum and maximum of original positions over the key-sorted sequence,
// with point removal.
class position_tree {
  public:
    static constexpr std::int64_t none = -1;

    explicit position_tree(const std::vector<std::size_t>& positions) {
        while (leaves_ < positions.size()) leaves_ <<= 1;
        min_.assign(2 * leaves_, absent_min);
        max_.assign(2 * leaves_, none);
        for (std::size_t i = 0; i < positions.size(); ++i)
            min_[leaves_ + i] = max_[leaves_ + i] = static_cast<std::int64_t>(positions[i]);
        for (std::size_t i = leaves_ - 1; i >= 1; --i) pull(i);
    }

    void erase(std::size_t k) {
        k += leaves_;
        min_[k] = absent_min;
        max_[k] = none;
        for (k >>= 1; k >= 1; k >>= 1) pull(k);
    }

    // Smallest or largest position left in [lo, hi), or none.
    [[nodiscard]] std::int64_t query(std::size_t lo, std::size_t hi, bool want_max) const {
        std::int64_t best = want_max ? none : absent_min;
        for (lo += leaves_, hi += leaves_; lo < hi; lo >>= 1, hi >>= 1) {
            if (lo & 1U) best = pick(best, lo++, want_max);
            if (hi & 1U) best = pick(best, --hi, want_max);
        }
        return best == absent_min ? none : best;
    }

  private:
    static constexpr std::int64_t absent_min = INT64_MAX;

    void pull(std::size_t i) {
        min_[i] = std::min(min_[2 * i], min_[2 * i + 1]);
        max_[i] = std::max(max_[2 * i], max_[2 * i + 1]);
    }
    [[nodiscard]] std::int64_t pick(std::int64_t best, std::size_t node, bool want_max) const {
        return want_max ? std::max(best, max_[node]) : std::min(best, min_[node]);
    }

    std::size_t leaves_ = 1;
    std::vector<std::int64_t> min_;
    std::vector<std::int64_t> max_;
};

} // namespace detail

// cmp(a, b) returns a negative, zero or positive int, like a three-way compare.
template <class T, class Cmp> void list_sort(list<T>& l, Cmp&& cmp) {
    const std::size_t n = l.count;
    if (n < 2) return;

    std::vector<list_entry<T>*> entries;
    entries.reserve(n);
    for (auto* e = l.head; e != nullptr; e = e->next) entries.push_back(e);

    std::vector<std::size_t> by_key(n);
    std::iota(by_key.begin(), by_key.end(), std::size_t{0});
    std::stable_sort(by_key.begin(), by_key.end(), [&](std::size_t a, std::size_t b) {
        return cmp(entries[a]->data, entries[b]->data) < 0;
    });
    std::vector<std::size_t> rank(n);
    for (std::size_t k = 0; k < n; ++k) rank[by_key[k]] = k;
    detail::position_tree tree(by_key);

    // In-order walk of the partition tree with an explicit stack: a task either
    // expands a key range at some depth or emits a pivot.
    struct task {
        std::size_t lo;
        std::size_t hi;
        std::size_t depth;
        std::int64_t emit; // original position to emit, or none
    };
    std::vector<task> stack{{0, n, 0, detail::position_tree::none}};
    list_entry<T>* last = nullptr;
    l.head = nullptr;
    while (!stack.empty()) {
        const task t = stack.back();
        stack.pop_back();
        if (t.emit != detail::position_tree::none) {
            auto* e = entries[static_cast<std::size_t>(t.emit)];
            e->prev = last;
            if (last != nullptr)
                last->next = e;
            else
                l.head = e;
            last = e;
            continue;
        }
        if (t.lo >= t.hi) continue;
        const std::int64_t p = tree.query(t.lo, t.hi, t.depth % 2 == 1);
        if (p == detail::position_tree::none) continue;
        tree.erase(rank[static_cast<std::size_t>(p)]);
        const T* pivot = entries[static_cast<std::size_t>(p)]->data;
        const auto first = by_key.begin() + static_cast<std::ptrdiff_t>(t.lo);
        const auto past = by_key.begin() + static_cast<std::ptrdiff_t>(t.hi);
        const auto split = std::partition_point(
            first, past, [&](std::size_t k) { return cmp(entries[k]->data, pivot) < 0; });
        const auto mid = static_cast<std::size_t>(split - by_key.begin());
        stack.push_back({mid, t.hi, t.depth + 1, detail::position_tree::none});
        stack.push_back({0, 0, 0, p});
        stack.push_back({t.lo, mid, t.depth + 1, detail::position_tree::none});
    }
    last->next = nullptr;
    l.tail = last;
}

} // namespace morvane
