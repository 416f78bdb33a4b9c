// The start hook of every program that cmake/wine-start runs: before anything
// else of the program runs, it creates the file that MORVANE_START_MARK names,
// so that the wrapper knows wine started the program and never starts it again.
// Priority 101 puts it before every constructor of default priority, so a
// program that fails in one of those still counts as started.

#include <cstdio>
#include <cstdlib>

namespace {

[[gnu::constructor(101)]] void mark_start() {
    const char* mark = std::getenv("MORVANE_START_MARK");
    if (mark == nullptr) return;
    std::FILE* file = std::fopen(mark, "w");
    if (file == nullptr || std::fclose(file) != 0) {
        // Unmarked, the run would count as never started: end it before it
        // does anything that starting it again could repeat.
        std::fprintf(stderr, "cannot create the start mark %s\n", mark);
        std::_Exit(125);
    }
}

} // namespace
