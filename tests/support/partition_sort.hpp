#pragma once
// The partition sort as the format's ordering defines it, on a vector: the first
// entry is the pivot; every other entry, in order, goes to the front of the
// lower (cmp < 0) or the upper part, so each part holds its entries in the
// reverse of the order met; then lower, pivot, upper, each part sorted the same
// way. Recursive and quadratic on sorted input: an oracle for small inputs.

#include <algorithm>
#include <vector>

namespace morvane::testing {

template <class T, class Cmp> std::vector<T> partition_sorted(const std::vector<T>& v, Cmp cmp) {
    if (v.size() < 2) return v;
    std::vector<T> lower, upper; // each in the reverse of the order met
    for (std::size_t i = v.size() - 1; i > 0; --i)
        (cmp(v[i], v[0]) < 0 ? lower : upper).push_back(v[i]);
    std::vector<T> sorted = partition_sorted(lower, cmp);
    sorted.push_back(v[0]);
    for (const T& t : partition_sorted(upper, cmp)) sorted.push_back(t);
    return sorted;
}

} // namespace morvane::testing
