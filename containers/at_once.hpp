#pragma once
// Tasks run at once, one thread each: task 0 on the calling thread, the others
// on threads of their own, all joined before this returns. A task touches only
// what is its own, or what no task writes while they run; joining orders every
// task's writes before whatever the caller does next.

#include <algorithm>
#include <cstddef>
#include <exception>
#include <functional>
#include <vector>

namespace morvane {

// Runs task(0) ... task(count - 1) at once; a task for which no thread can be
// had runs on the calling thread once the others have started. The exception
// each task ended with, if any, by task; none is thrown from here.
[[nodiscard]] std::vector<std::exception_ptr>
run_at_once(std::size_t count, const std::function<void(std::size_t)>& task);

// The start of slice k of [0, n) cut into `slices` slices of near equal size.
[[nodiscard]] constexpr std::size_t slice_start(std::size_t n, std::size_t slices,
                                                std::size_t k) noexcept {
    return n * k / slices;
}

// run_at_once, then, once every task has ended, rethrows the first exception
// a task ended with.
void run_all_at_once(std::size_t count, const std::function<void(std::size_t)>& task);

// Runs body(from, to) on each of up to `threads` slices of [0, n) at once, as
// run_all_at_once does.
template <class Body> void for_slices(std::size_t n, std::size_t threads, Body&& body) {
    const std::size_t slices = std::max<std::size_t>(1, std::min(threads, n));
    run_all_at_once(slices, [&](std::size_t k) {
        body(slice_start(n, slices, k), slice_start(n, slices, k + 1));
    });
}

} // namespace morvane
