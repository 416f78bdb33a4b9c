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

#include "at_once.hpp"
#include "large_block.hpp"
#include "list.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace morvane {

// An optional projection for list_sort: a key that orders entries as cmp does
// wherever two keys differ. It must hold that cmp(a, b) < 0 implies
// key(a) <= key(b), and that cmp(a, b) == 0 implies key(a) == key(b). A long
// list with ties is then ordered by these keys, held next to each other, calling
// cmp only where they tie: cmp usually reads records and texts scattered through
// memory. (A long list whose keys all differ is merge-sorted in place with cmp.)
//
// A key is three 64-bit words, compared in order; where two keys tie, cmp
// decides, unless both keys are complete: a complete key tells all that cmp
// would, so two equal complete keys belong to entries that cmp holds equal.
// Against cmp alone (bench/ledger.sh), instructions: sounds-in-one-anim-frame
// 100k 220.4M with, 336.3M without; realistic 10 MiB 256.7M with, 262.8M
// without; peak: realistic 100 MiB 212,472 KiB with, 208,928 without.
struct sort_prefix {
    std::array<std::uint64_t, 3> words{};
    bool complete = false;
};

// The projection that says nothing: every entry gets the same key.
struct no_sort_prefix {
    template <class T> sort_prefix operator()(const T*) const noexcept { return {}; }
};

namespace detail {

// The sort's arrays, each as long as the list (see large_allocator).
template <class V> using scratch = std::vector<V, large_allocator<V>>;

// Range minimum and maximum of original positions over the key-sorted sequence,
// with point removal.
class position_tree {
  public:
    static constexpr std::size_t none = static_cast<std::size_t>(-1);

    explicit position_tree(const scratch<std::size_t>& positions) {
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
    scratch<std::size_t> min_;
    scratch<std::size_t> max_;
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

// Asks for the memory at p to be brought into the cache: a hint only.
inline void prefetch([[maybe_unused]] const void* p) noexcept {
#if defined(__GNUC__)
    __builtin_prefetch(p);
#endif
}

// Relinks the list as entries[order(0)], entries[order(1)], ... (n >= 1). The
// walks below find the order first and link after it: linking scattered
// entries while walking stalls the walk (88,097 frames of realistic 100 MiB:
// 13-14 ms for the walk and then the links, against 17-20 ms interleaved).
template <class T, class Order>
void link_in_order(list<T>& l, const scratch<list_entry<T>*>& entries, const Order& order) {
    const std::size_t n = entries.size();
    for (std::size_t k = 0; k < n; ++k) {
        list_entry<T>* e = entries[order(k)];
        e->prev = k == 0 ? nullptr : entries[order(k - 1)];
        e->next = k + 1 == n ? nullptr : entries[order(k + 1)];
    }
    l.head = entries[order(0)];
    l.tail = entries[order(n - 1)];
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

// Up to this many entries, sort_long_list goes first: its keys, held side by
// side, take fewer instructions than a merge that reads scattered records at
// every comparison (against the merge first for every list: realistic 10 MiB
// 256.7M with, 266.8M without; sounds-in-one-anim-frame 100k 220.4M with,
// 267.5M without), and its tables stay within a few MiB. Longer lists try the
// merge sort in place first, which needs no memory when every key differs.
inline constexpr std::size_t keyed_sort_limit = std::size_t{1} << 18;

// Merges two sorted chains of next links, taking from `a` (the earlier one) on
// ties. before(x, y): whether x goes strictly before y.
template <class E, class Before> E* merge_chains(E* a, E* b, Before& before) {
    E* out = nullptr;
    E** tail = &out;
    while (a != nullptr && b != nullptr) {
        E*& from = before(b, a) ? b : a;
        *tail = from;
        tail = &from->next;
        from = from->next;
    }
    *tail = a != nullptr ? a : b;
    return out;
}

// Stable bottom-up merge sort of a chain of next links; prev links are left alone.
template <class E, class Before> E* merge_sort_chain(E* head, Before& before) {
    std::array<E*, 64> bins{}; // bins[i]: a sorted run of 2^i entries, or null
    while (head != nullptr) {
        E* run = head;
        head = head->next;
        run->next = nullptr;
        std::size_t i = 0;
        for (; bins[i] != nullptr; ++i) {
            run = merge_chains(bins[i], run, before);
            bins[i] = nullptr;
        }
        bins[i] = run;
    }
    E* sorted = nullptr;
    for (E* bin : bins)
        if (bin != nullptr) sorted = merge_chains(bin, sorted, before);
    return sorted;
}

// When every key of the list differs, the partition order is simply the sorted
// order: this sorts the list in place, without memory of its own, and reports
// true. Otherwise it leaves the list in its original order and reports false.
// While it works, each entry's prev link holds its original position. Against
// the tables alone (bench/ledger.sh), peak: sounds-in-one-anim-frame 1M
// 143,344 KiB with, 189,408 without; instructions: realistic 10 MiB 256.7M
// with, 255.9M without.
template <class T, class Cmp> bool sort_in_place_if_all_differ(list<T>& l, Cmp& cmp) {
    using entry = list_entry<T>;
    const auto position_of = [](const entry* e) {
        return reinterpret_cast<std::uintptr_t>(e->prev);
    };
    std::uintptr_t position = 0;
    for (entry* e = l.head; e != nullptr; e = e->next)
        e->prev = reinterpret_cast<entry*>(position++);
    const auto by_position = [&position_of](const entry* x, const entry* y) {
        return position_of(x) < position_of(y);
    };
    // A merge compares every two entries that end up side by side, and equal
    // keys end up side by side: a tie always shows. From the first tie on,
    // the merge goes on by position, which costs next to nothing, and the list
    // is then put back in its original order. Realistic 1 GiB, whose frame
    // names repeat: 30 ms for this attempt, against 747 ms merging to the end
    // and then looking for neighbours that tie; the whole run 2.35-2.81 s
    // against 3.09-5.02, user time 3.4-3.6 s against 4.2 (3 interleaved runs).
    bool all_differ = true;
    const auto by_data = [&](const entry* x, const entry* y) {
        if (!all_differ) return by_position(x, y);
        const int c = cmp(x->data, y->data);
        all_differ = c != 0;
        return c < 0;
    };
    entry* head = merge_sort_chain(l.head, by_data);
    if (!all_differ) head = merge_sort_chain(head, by_position);
    l.head = nullptr;
    entry* last = nullptr;
    for (entry* e = head; e != nullptr;) {
        entry* next = e->next;
        link_after(l, last, e);
        e = next;
    }
    last->next = nullptr;
    l.tail = last;
    return all_differ;
}

// The partition tree's in-order walk, for a list of n >= 2 entries.
template <class T, class Cmp, class Prefix>
void sort_long_list(list<T>& l, Cmp& cmp, Prefix& prefix, std::size_t threads) {
    const std::size_t n = l.count;
    // Each entry's key sits next to its position, so that comparisons read
    // neither list entries nor records until two keys tie; then cmp decides.
    // The position breaks ties that cmp leaves, which makes the unstable sort
    // stable without the buffer of a stable one.
    struct keyed {
        sort_prefix key;
        std::size_t position;
    };
    // Making a key reads a record and its text, scattered through memory, so
    // the keys are made along the walk that lists the entries: the processor
    // reads ahead to the next entry while this one's record and text arrive.
    // 88,097 frames of realistic 100 MiB: 41-45 ms for the walk and the keys,
    // against 20 ms for the walk and then 26-43 ms for the keys on both threads.
    // The record of the entry 16 ahead is asked for early: 13-18 ms with,
    // 19-26 ms without (5 runs each, the root lists' entries side by side).
    scratch<list_entry<T>*> entries(n);
    scratch<keyed> sorted(n);
    std::size_t listed = 0;
    auto* ahead = l.head;
    for (std::size_t k = 0; k < 16 && ahead != nullptr; ++k) ahead = ahead->next;
    for (auto* e = l.head; e != nullptr; e = e->next, ++listed) {
        if (ahead != nullptr) {
            prefetch(ahead->data);
            ahead = ahead->next;
        }
        entries[listed] = e;
        sorted[listed] = {prefix(static_cast<const T*>(e->data)), listed};
    }
    // Negative, zero or positive as a's data sorts before, with or after b's.
    const auto order = [&cmp, &entries](const keyed& a, const keyed& b) {
        for (std::size_t w = 0; w < a.key.words.size(); ++w)
            if (a.key.words[w] != b.key.words[w]) return a.key.words[w] < b.key.words[w] ? -1 : 1;
        if (a.key.complete && b.key.complete) return 0;
        const T* x = entries[a.position]->data;
        const T* y = entries[b.position]->data;
        return cmp(x, y);
    };
    const auto before = [&order](const keyed& a, const keyed& b) {
        const int c = order(a, b);
        return c < 0 || (c == 0 && a.position < b.position);
    };
    std::sort(sorted.begin(), sorted.end(), before);
    // run_start[k]: where the run of keys equal to the k-th smallest begins.
    // Every key range the walk visits is a union of whole runs, so the entries
    // of a range that sort below its pivot are exactly those before the pivot's
    // run: the split needs no comparison.
    constexpr std::size_t none = position_tree::none;
    scratch<std::size_t> run_start(n);
    for_slices(n, threads, [&](std::size_t from, std::size_t to) {
        for (std::size_t k = from; k < to; ++k)
            run_start[k] = k == 0 || order(sorted[k - 1], sorted[k]) != 0 ? k : none;
    });
    const bool all_differ = std::find(run_start.begin(), run_start.end(), none) == run_start.end();
    if (all_differ)
        return link_in_order(l, entries, [&sorted](std::size_t k) { return sorted[k].position; });
    scratch<std::size_t> by_key(n);
    scratch<std::size_t> rank(n);
    for (std::size_t k = 0; k < n; ++k) {
        if (run_start[k] == none) run_start[k] = run_start[k - 1];
        by_key[k] = sorted[k].position;
        rank[by_key[k]] = k;
    }
    sorted = {};
    position_tree tree(by_key);
    scratch<std::size_t>& in_order = by_key; // its storage, for the walk's output

    // In-order walk of the partition tree with an explicit stack. A task emits
    // a pivot (unless none) and then expands the key range after it, so a lower
    // subtree's task sits above the task of its parent's pivot and upper range.
    struct task {
        std::size_t emit;
        std::size_t lo;
        std::size_t hi;
        bool odd_depth;
    };
    std::vector<task> stack{{none, 0, n, false}};
    std::size_t emitted = 0;
    while (!stack.empty()) {
        const task t = stack.back();
        stack.pop_back();
        if (t.emit != none) in_order[emitted++] = t.emit;
        if (t.lo >= t.hi) continue;
        const std::size_t p = tree.query(t.lo, t.hi, t.odd_depth);
        if (p == none) continue;
        tree.erase(rank[p]);
        const std::size_t mid = run_start[rank[p]];
        stack.push_back({p, mid, t.hi, !t.odd_depth});
        stack.push_back({none, t.lo, mid, !t.odd_depth});
    }
    link_in_order(l, entries, [&in_order](std::size_t k) { return in_order[k]; });
}

// list_sort with the length above which the merge sort in place goes first.
template <class T, class Cmp, class Prefix>
void sort_list(list<T>& l, Cmp& cmp, Prefix& prefix, std::size_t keyed_limit, std::size_t threads) {
    const std::size_t n = l.count;
    if (n < 2) return;
    switch (shape_of(l, cmp)) {
    case list_shape::strictly_ascending:
        return;
    case list_shape::strictly_descending:
        reverse(l);
        return;
    case list_shape::all_equal:
        zigzag(l);
        return;
    case list_shape::other:
        break;
    }
    if (n <= keyed_limit || !sort_in_place_if_all_differ(l, cmp))
        sort_long_list(l, cmp, prefix, threads);
}

} // namespace detail

// cmp(a, b) returns a negative, zero or positive int, like a three-way compare;
// prefix is a sort_prefix projection that agrees with it. cmp and prefix may
// be called on up to `threads` threads at once.
template <class T, class Cmp, class Prefix = no_sort_prefix>
void list_sort(list<T>& l, Cmp&& cmp, Prefix&& prefix = {}, std::size_t threads = 1) {
    detail::sort_list(l, cmp, prefix, detail::keyed_sort_limit, threads);
}

} // namespace morvane
