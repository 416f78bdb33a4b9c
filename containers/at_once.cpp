#include "containers/at_once.hpp"

#include <system_error>
#include <thread>

namespace morvane {

std::vector<std::exception_ptr> run_at_once(std::size_t count,
                                            const std::function<void(std::size_t)>& task) {
    std::vector<std::exception_ptr> ended(count);
    if (count == 0) return ended;
    const auto run = [&task, &ended](std::size_t i) noexcept {
        try {
            task(i);
        } catch (...) {
            ended[i] = std::current_exception();
        }
    };
    std::vector<std::size_t> here;
    here.reserve(count);
    here.push_back(0);
    std::vector<std::thread> threads;
    threads.reserve(count);
    for (std::size_t i = 1; i < count; ++i) {
        try {
            threads.emplace_back(run, i);
        } catch (const std::system_error&) {
            here.push_back(i);
        }
    }
    for (const std::size_t i : here) run(i);
    for (std::thread& t : threads) t.join();
    return ended;
}

void run_all_at_once(std::size_t count, const std::function<void(std::size_t)>& task) {
    for (const std::exception_ptr& failed : run_at_once(count, task))
        if (failed) std::rethrow_exception(failed);
}

} // namespace morvane
