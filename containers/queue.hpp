#pragma once
// A double-ended queue of values. Pointer values are not owned: popping or
// destroying the queue never frees what they point to.

#include <deque>
#include <new>

namespace morvane {

template <class T> class queue {
  public:
    std::deque<T> items;
};

// 1 on success, 0 (queue unchanged) when memory runs out.
template <class T> int queue_push_head(queue<T>& q, T value) noexcept {
    try {
        q.items.push_front(std::move(value));
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

template <class T> int queue_push_tail(queue<T>& q, T value) noexcept {
    try {
        q.items.push_back(std::move(value));
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

// The head's value, or an empty value when the queue is empty.
template <class T> T queue_pop_head(queue<T>& q) {
    if (q.items.empty()) return T{};
    T value = std::move(q.items.front());
    q.items.pop_front();
    return value;
}

template <class T> T queue_pop_tail(queue<T>& q) {
    if (q.items.empty()) return T{};
    T value = std::move(q.items.back());
    q.items.pop_back();
    return value;
}

template <class T> T queue_peek_head(const queue<T>& q) {
    return q.items.empty() ? T{} : q.items.front();
}
template <class T> T queue_peek_tail(const queue<T>& q) {
    return q.items.empty() ? T{} : q.items.back();
}
template <class T> int queue_is_empty(const queue<T>& q) noexcept {
    return q.items.empty() ? 1 : 0;
}

} // namespace morvane
