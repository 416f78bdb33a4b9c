#pragma once
// Tasks run at once, one thread each: task 0 on the calling thread, the others
// on threads of their own, all joined before this returns. A task touches only
// what is its own, or what no task writes while they run; joining orders every
// task's writes before whatever the caller does next.

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

} // namespace morvane
