// How fast each processor is at the moment: the milliseconds one fixed loop
// of arithmetic takes pinned to each, printed as "cpu0 86.2, cpu1 85.4 ms".
//
// On a virtual machine the processors need not be equally fast: here one took
// 150 ms and the other 106-124 for a while. A conversion split into equal
// parts then waits for the part on the slower one, while a conversion on one
// thread may run on the faster one throughout, so run.sh records this before
// and after its runs, and before each round of each input.

#include <sched.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

double loop_milliseconds() {
    const auto start = std::chrono::steady_clock::now();
    volatile unsigned long sum = 0;
    for (unsigned long i = 0; i < 300000000UL; ++i) sum = sum + i * 7;
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

int main() {
    cpu_set_t allowed;
    if (::sched_getaffinity(0, sizeof allowed, &allowed) != 0) {
        std::perror("morvane-bench-processor-speed: sched_getaffinity");
        return 1;
    }
    std::string line;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (!CPU_ISSET(cpu, &allowed)) continue;
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(cpu, &one);
        if (::sched_setaffinity(0, sizeof one, &one) != 0) continue;
        char figure[64];
        std::snprintf(figure, sizeof figure, "%scpu%d %.1f", line.empty() ? "" : ", ", cpu,
                      loop_milliseconds());
        line += figure;
    }
    std::printf("%s ms\n", line.c_str());
    return 0;
}
