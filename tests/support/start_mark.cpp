// The start hook of every test program that cmake/wine-start runs: it creates the
// file that MORVANE_START_MARK names, so the wrapper knows the program started.
// Priority 101 runs it before every constructor of default priority.

#include <cstdio>
#include <cstdlib>

namespace {

[[gnu::constructor(101)]] void mark_start() {
    const char* mark = std::getenv("MORVANE_START_MARK");
    if (mark == nullptr) return;
    std::FILE* file = std::fopen(mark, "w");
    if (file == nullptr || std::fclose(file) != 0) {
        // Unmarked, the run counts as never started: end it before it does anything.
        std::fprintf(stderr, "cannot create the start mark %s\n", mark);
        std::_Exit(125);
    }
}

} // namespace
