#pragma once
// A doubly linked list of pointers to data it does not own, with a tail pointer so
// that appending is constant time. Entries may come from an arena, so a document
// can place them all in one.

#include "containers/arena.hpp"

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace morvane {

template <class T> struct list_entry {
    T* data = nullptr;
    list_entry* prev = nullptr;
    list_entry* next = nullptr;
};

template <class T> class list {
  public:
    using entry = list_entry<T>;

    list() = default;
    explicit list(arena_allocator alloc) : alloc_(alloc) {}
    list(const list&) = delete;
    list& operator=(const list&) = delete;
    list(list&& other) noexcept
        : head(other.head), tail(other.tail), count(other.count), alloc_(other.alloc_) {
        other.head = other.tail = nullptr;
        other.count = 0;
    }
    ~list() { clear(); }

    [[nodiscard]] bool empty() const noexcept { return head == nullptr; }
    [[nodiscard]] std::size_t size() const noexcept { return count; }

    // Frees every entry; the data they point to is untouched.
    void clear() noexcept {
        entry* e = head;
        while (e != nullptr) {
            entry* next = e->next;
            release(e);
            e = next;
        }
        head = tail = nullptr;
        count = 0;
    }

    // Links a new entry between prev and next (null at either end); returns it,
    // or null (list unchanged) when memory runs out.
    [[nodiscard]] entry* insert(T* data, entry* prev, entry* next) noexcept {
        entry* e;
        try {
            e = new (alloc_.allocate<entry>()) entry{data, prev, next};
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        (prev != nullptr ? prev->next : head) = e;
        (next != nullptr ? next->prev : tail) = e;
        ++count;
        return e;
    }
    void release(entry* e) noexcept { alloc_.deallocate(e); }

    class iterator {
      public:
        explicit iterator(entry* e) : e_(e) {}
        T* operator*() const { return e_->data; }
        iterator& operator++() {
            e_ = e_->next;
            return *this;
        }
        bool operator==(const iterator&) const = default;

      private:
        entry* e_;
    };
    [[nodiscard]] iterator begin() const { return iterator(head); }
    [[nodiscard]] iterator end() const { return iterator(nullptr); }

    // Invariants: head->prev and tail->next are null; every next/prev pair agrees;
    // count is the number of entries.
    entry* head = nullptr;
    entry* tail = nullptr;
    std::size_t count = 0;

  private:
    arena_allocator alloc_{};
};

// Appends at the end; returns the new entry, or null (list unchanged) when memory runs out.
template <class T> typename list<T>::entry* list_append(list<T>& l, T* data) noexcept {
    return l.insert(data, l.tail, nullptr);
}
template <class T> typename list<T>::entry* list_prepend(list<T>& l, T* data) noexcept {
    return l.insert(data, nullptr, l.head);
}

template <class T> T* list_data(const list_entry<T>* e) noexcept { return e->data; }
template <class T> list_entry<T>* list_prev(const list_entry<T>* e) noexcept { return e->prev; }
template <class T> list_entry<T>* list_next(const list_entry<T>* e) noexcept { return e->next; }

template <class T>
typename list<T>::entry* list_nth_entry(const list<T>& l, std::int64_t n) noexcept {
    if (n < 0) return nullptr;
    auto* e = l.head;
    for (; n > 0 && e != nullptr; --n) e = e->next;
    return e;
}

template <class T> T* list_nth_data(const list<T>& l, std::int64_t n) noexcept {
    auto* e = list_nth_entry(l, n);
    return e != nullptr ? e->data : nullptr;
}

template <class T> std::size_t list_length(const list<T>& l) noexcept { return l.count; }

// Moves every entry of `later`, in order, to the end of `l`, leaving `later`
// empty. The entries stay where they were allocated, which must outlive `l`.
template <class T> void list_concat(list<T>& l, list<T>& later) noexcept {
    if (later.empty()) return;
    (l.tail != nullptr ? l.tail->next : l.head) = later.head;
    later.head->prev = l.tail;
    l.tail = later.tail;
    l.count += later.count;
    later.head = later.tail = nullptr;
    later.count = 0;
}

template <class T> std::vector<T*> list_to_array(const list<T>& l) {
    std::vector<T*> out;
    out.reserve(l.count);
    for (auto* e = l.head; e != nullptr; e = e->next) out.push_back(e->data);
    return out;
}

// Unlinks and frees the entry; 0 when the list is empty or the entry is null.
template <class T> int list_remove_entry(list<T>& l, list_entry<T>* e) noexcept {
    if (l.head == nullptr || e == nullptr) return 0;
    (e->prev != nullptr ? e->prev->next : l.head) = e->next;
    (e->next != nullptr ? e->next->prev : l.tail) = e->prev;
    --l.count;
    l.release(e);
    return 1;
}

// Removes every entry whose data equals the value; returns how many were removed.
template <class T, class Eq, class V>
std::size_t list_remove_data(list<T>& l, Eq&& equal, const V& value) {
    std::size_t removed = 0;
    for (auto* e = l.head; e != nullptr;) {
        auto* next = e->next;
        if (equal(e->data, value)) removed += static_cast<std::size_t>(list_remove_entry(l, e));
        e = next;
    }
    return removed;
}

// The first entry, in list order, whose data equals the value.
template <class T, class Eq, class V>
typename list<T>::entry* list_find_data(const list<T>& l, Eq&& equal, const V& value) {
    for (auto* e = l.head; e != nullptr; e = e->next)
        if (equal(e->data, value)) return e;
    return nullptr;
}

// A walk that survives removal of the current entry. prev_next is the link that
// refers to the current entry: the head pointer, or the next field before it.
template <class T> struct list_iterator {
    list<T>* owner = nullptr;
    list_entry<T>** prev_next = nullptr;
    list_entry<T>* current = nullptr;

    // Whether the walk stands on an entry still in the list, as opposed to
    // before the first or on one just removed, where prev_next already refers
    // to the next.
    [[nodiscard]] bool on_entry() const noexcept {
        return current != nullptr && current == *prev_next;
    }
};

template <class T> void list_iterate(list<T>& l, list_iterator<T>& it) noexcept {
    it = {&l, &l.head, nullptr};
}

template <class T> T* list_iter_next(list_iterator<T>& it) noexcept {
    if (it.on_entry()) it.prev_next = &it.current->next;
    it.current = *it.prev_next;
    return it.current != nullptr ? it.current->data : nullptr;
}

template <class T> bool list_iter_has_more(const list_iterator<T>& it) noexcept {
    return (it.on_entry() ? it.current->next : *it.prev_next) != nullptr;
}

template <class T> void list_iter_remove(list_iterator<T>& it) noexcept {
    if (!it.on_entry()) return;
    (void)list_remove_entry(*it.owner, it.current);
    it.current = nullptr;
}

template <class T> void list_free(list<T>& l) noexcept { l.clear(); }

} // namespace morvane
