#pragma once
// A double-ended queue of values. Pointer values are not owned: popping or
// destroying the queue never frees what they point to.
//
// The values sit in a ring that doubles when full, so a push followed by a pop
// (the text stack's pattern: at most one value at a time) never allocates.

#include <cstddef>
#include <memory>
#include <new>
#include <utility>

namespace morvane {

template <class T> class queue {
  public:
    [[nodiscard]] bool empty() const noexcept { return size_ == 0; }
    [[nodiscard]] std::size_t size() const noexcept { return size_; }

    // Each throws std::bad_alloc when the ring cannot grow; the queue is then unchanged.
    void push_front(T value) {
        if (size_ == capacity_) grow();
        head_ = (head_ - 1) & mask();
        ring_[head_] = std::move(value);
        ++size_;
    }
    void push_back(T value) {
        if (size_ == capacity_) grow();
        ring_[(head_ + size_) & mask()] = std::move(value);
        ++size_;
    }
    // Both require a non-empty queue.
    T pop_front() noexcept {
        T value = std::move(ring_[head_]);
        head_ = (head_ + 1) & mask();
        --size_;
        return value;
    }
    T pop_back() noexcept {
        --size_;
        return std::move(ring_[(head_ + size_) & mask()]);
    }
    [[nodiscard]] const T& front() const noexcept { return ring_[head_]; }
    [[nodiscard]] const T& back() const noexcept { return ring_[(head_ + size_ - 1) & mask()]; }

  private:
    [[nodiscard]] std::size_t mask() const noexcept { return capacity_ - 1; }
    void grow() {
        const std::size_t wider = capacity_ == 0 ? 8 : 2 * capacity_;
        auto ring = std::make_unique<T[]>(wider);
        for (std::size_t i = 0; i < size_; ++i) ring[i] = std::move(ring_[(head_ + i) & mask()]);
        ring_ = std::move(ring);
        capacity_ = wider;
        head_ = 0;
    }

    std::unique_ptr<T[]> ring_;
    std::size_t capacity_ = 0; // 0 or a power of two
    std::size_t head_ = 0;
    std::size_t size_ = 0;
};

// 1 on success, 0 (queue unchanged) when memory runs out.
template <class T> int queue_push_head(queue<T>& q, T value) noexcept {
    try {
        q.push_front(std::move(value));
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

template <class T> int queue_push_tail(queue<T>& q, T value) noexcept {
    try {
        q.push_back(std::move(value));
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

// The head's value, or an empty value when the queue is empty.
template <class T> T queue_pop_head(queue<T>& q) { return q.empty() ? T{} : q.pop_front(); }
template <class T> T queue_pop_tail(queue<T>& q) { return q.empty() ? T{} : q.pop_back(); }

template <class T> T queue_peek_head(const queue<T>& q) { return q.empty() ? T{} : q.front(); }
template <class T> T queue_peek_tail(const queue<T>& q) { return q.empty() ? T{} : q.back(); }
template <class T> int queue_is_empty(const queue<T>& q) noexcept { return q.empty() ? 1 : 0; }

} // namespace morvane
