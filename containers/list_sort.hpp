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
//
// Shortcuts that give the same order: when all keys differ, the result is simply
// the sorted order (so a strictly ascending list stays, a strictly descending one
// is reversed); when all keys are equal, every step keeps its first entry and
// reverses the rest, which yields the original positions 1, n, 2, n-1, 3, ...

#include "list.hpp"

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <utility>
#include <vector>

namespace morvane {
namespace detail {

// Range minimum and maximum of original positions over the key-sorted
// sequence, with point removal.
class position_tree {
  public:
    static constexpr std::size_t none = static_cast<std::size_t>(-1);

    explicit position_tree(const std::vector<std::size_t>& positions) {
        while (leaves_ < positions.size()) leaves_ <<= 1;
        min_.assign(2 * leaves_, none);
        max_.assign(2 * leaves_, none);
        for (std::size_t i = 0; i < positions.size(); ++i)
            min_[leaves_ + i] = max_[leaves_ + i] = positions[i];
        for (std::size_t i = leaves_ - 1; i >= 1; --i) pull(i);
    }

    void erase(std::size_t k) {
        k += leaves_;
        min_[k] = max_[k] = none;
        for (k >>= 1; k >= 1; k >>= 1) pull(k);
    }

    // Smallest or largest position left in [lo, hi), or none.
    [[nodiscard]] std::size_t query(std::size_t lo, std::size_t hi, bool want_max) const {
        std::size_t best = none;
        for (lo += leaves_, hi += leaves_; lo < hi; lo >>= 1, hi >>= 1) {
            if (lo & 1U) best = pick(best, lo++, want_max);
            if (hi & 1U) best = pick(best, --hi, want_max);
        }
        return best;
    }

  private:
    // none is the largest position: it loses every minimum, and maxima skip it.
    static std::size_t larger(std::size_t a, std::size_t b) noexcept {
        return a == none ? b : (b == none ? a : std::max(a, b));
    }
    void pull(std::size_t i) {
        min_[i] = std::min(min_[2 * i], min_[2 * i + 1]);
        max_[i] = larger(max_[2 * i], max_[2 * i + 1]);
    }
    [[nodiscard]] std::size_t pick(std::size_t best, std::size_t node, bool want_max) const {
        return want_max ? larger(best, max_[node]) : std::min(best, min_[node]);
    }

    std::size_t leaves_ = 1;
    std::vector<std::size_t> min_;
    std::vector<std::size_t> max_;
};

// Appends e to a list being rebuilt; last is its last entry so far.
template <class T> void link_after(list<T>& l, list_entry<T>*& last, list_entry<T>* e) noexcept {
    e->prev = last;
    if (last != nullptr)
        last->next = e;
    else
        l.head = e;
    last = e;
}

// What one pass of comparisons between neighbours shows about a list. The
// shortcuts it allows, against the tables for every list (bench/ledger.sh):
// sorted-frames 100k 87.7M instructions with, 260.4M without, 1M peak
// 181,284 KiB with, 293,772 without; same-name-frames 100k 81.5M with, 236.6M
// without, 1M peak 169,020 with, 232,376 without.
enum class list_shape { strictly_ascending, strictly_descending, all_equal, other };

template <class T, class Cmp> list_shape shape_of(const list<T>& l, Cmp& cmp) {
    bool ascending = true, descending = true, equal = true;
    for (auto* e = l.head; e->next != nullptr && (ascending || descending || equal); e = e->next) {
        const int c = cmp(e->data, e->next->data);
        ascending = ascending && c < 0;
        descending = descending && c > 0;
        equal = equal && c == 0;
    }
    if (ascending) return list_shape::strictly_ascending;
    if (descending) return list_shape::strictly_descending;
    return equal ? list_shape::all_equal : list_shape::other;
}

template <class T> void reverse(list<T>& l) noexcept {
    for (auto* e = l.head; e != nullptr; e = e->prev) std::swap(e->prev, e->next);
    std::swap(l.head, l.tail);
}

// All keys equal: original positions 1, n, 2, n-1, ... (counting from 1).
template <class T> void zigzag(list<T>& l) noexcept {
    list_entry<T>* front = l.head;
    list_entry<T>* back = l.tail;
    list_entry<T>* last = nullptr;
    l.head = nullptr;
    for (bool take_front = true; front != back; take_front = !take_front) {
        list_entry<T>* e = take_front ? front : back;
        if (take_front)
            front = front->next;
        else
            back = back->prev;
        link_after(l, last, e);
    }
    link_after(l, last, front);
    last->next = nullptr;
    l.tail = last;
}

// The partition step as defined above, applied directly: for a short list it
// costs less than setting up the tables (realistic 10 MiB: 262.8M instructions
// with, 268.0M without; peak unchanged), and it recurses at most as deep as
// the list is long. Returns the sorted list's last entry.
template <class T, class Cmp> list_entry<T>* partition_step(list_entry<T>*& head, Cmp& cmp) {
    list_entry<T>* pivot = head;
    if (pivot == nullptr) return nullptr;
    if (pivot->next == nullptr) return pivot;
    list_entry<T>* lower = nullptr;
    list_entry<T>* upper = nullptr;
    for (list_entry<T>* e = pivot->next; e != nullptr;) {
        list_entry<T>* next = e->next;
        list_entry<T>*& part = cmp(e->data, pivot->data) < 0 ? lower : upper;
        e->prev = nullptr;
        e->next = part;
        if (part != nullptr) part->prev = e;
        part = e;
        e = next;
    }
    list_entry<T>* lower_last = partition_step(lower, cmp);
    list_entry<T>* upper_last = partition_step(upper, cmp);
    if (lower != nullptr) {
        head = lower;
        pivot->prev = lower_last;
        lower_last->next = pivot;
    } else {
        head = pivot;
        pivot->prev = nullptr;
    }
    pivot->next = upper;
    if (upper != nullptr) upper->prev = pivot;
    return upper_last != nullptr ? upper_last : pivot;
}

// Lists up to this long are sorted by partition_step itself.
inline constexpr std::size_t direct_sort_limit = 16;

} // namespace detail

// cmp(a, b) returns a negative, zero or positive int, like a three-way compare.
template <class T, class Cmp> void list_sort(list<T>& l, Cmp&& cmp) {
    const std::size_t n = l.count;
    if (n < 2) return;
    switch (detail::shape_of(l, cmp)) {
    case detail::list_shape::strictly_ascending:
        return;
    case detail::list_shape::strictly_descending:
        detail::reverse(l);
        return;
    case detail::list_shape::all_equal:
        detail::zigzag(l);
        return;
    case detail::list_shape::other:
        break;
    }
    if (n <= detail::direct_sort_limit) {
        l.tail = detail::partition_step(l.head, cmp);
        return;
    }
    std::vector<list_entry<T>*> entries;
    entries.reserve(n);
    for (auto* e = l.head; e != nullptr; e = e->next) entries.push_back(e);
    const auto order = [&cmp, &entries](std::size_t a, std::size_t b) {
        return cmp(static_cast<const T*>(entries[a]->data),
                   static_cast<const T*>(entries[b]->data));
    };

    // by_key[k]: the original position of the k-th entry in key order.
    // run_start[k]: where the run of keys equal to the k-th smallest begins.
    // Every key range the walk visits is a union of whole runs, so the entries
    // of a range that sort below its pivot are exactly those before the pivot's
    // run: the split needs no comparison.
    std::vector<std::size_t> by_key(n);
    std::iota(by_key.begin(), by_key.end(), std::size_t{0});
    std::stable_sort(by_key.begin(), by_key.end(),
                     [&order](std::size_t a, std::size_t b) { return order(a, b) < 0; });
    std::vector<std::size_t> run_start(n);
    std::vector<std::size_t> rank(n);
    for (std::size_t k = 0; k < n; ++k) {
        const bool new_run = k == 0 || order(by_key[k - 1], by_key[k]) != 0;
        run_start[k] = new_run ? k : run_start[k - 1];
        rank[by_key[k]] = k;
    }
    detail::position_tree tree(by_key);
    by_key = {};

    // In-order walk of the partition tree with an explicit stack. A task emits
    // a pivot (unless none) and then expands the key range after it, so a lower
    // subtree's task sits above the task of its parent's pivot and upper range.
    constexpr std::size_t none = detail::position_tree::none;
    struct task {
        std::size_t emit;
        std::size_t lo;
        std::size_t hi;
        bool odd_depth;
    };
    std::vector<task> stack{{none, 0, n, false}};
    list_entry<T>* last = nullptr;
    l.head = nullptr;
    while (!stack.empty()) {
        const task t = stack.back();
        stack.pop_back();
        if (t.emit != none) detail::link_after(l, last, entries[t.emit]);
        if (t.lo >= t.hi) continue;
        const std::size_t p = tree.query(t.lo, t.hi, t.odd_depth);
        if (p == none) continue;
        tree.erase(rank[p]);
        const std::size_t mid = run_start[rank[p]];
        stack.push_back({p, mid, t.hi, !t.odd_depth});
        stack.push_back({none, t.lo, mid, !t.odd_depth});
    }
    last->next = nullptr;
    l.tail = last;
}

} // namespace morvane
