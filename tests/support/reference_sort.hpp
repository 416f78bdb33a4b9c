#pragma once
// The partition sort exactly as the format's ordering is defined: first entry as
// pivot, entries met in list order pushed onto the front of the lower (cmp < 0)
// or upper partition, both sorted recursively and joined. Recursive and
// quadratic on sorted input: for checking the real sort on small lists only.

#include "containers/list.hpp"

namespace morvane::testing {

template <class T, class Cmp> list_entry<T>* reference_sort_step(list_entry<T>** head, Cmp& cmp) {
    list_entry<T>* pivot = *head;
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
    list_entry<T>* lower_last = reference_sort_step(&lower, cmp);
    list_entry<T>* upper_last = reference_sort_step(&upper, cmp);
    if (lower != nullptr) {
        *head = lower;
        pivot->prev = lower_last;
        lower_last->next = pivot;
    } else {
        *head = pivot;
        pivot->prev = nullptr;
    }
    pivot->next = upper;
    if (upper != nullptr) upper->prev = pivot;
    return upper_last != nullptr ? upper_last : pivot;
}

template <class T, class Cmp> void reference_sort(list<T>& l, Cmp cmp) {
    l.tail = reference_sort_step(&l.head, cmp);
}

} // namespace morvane::testing
