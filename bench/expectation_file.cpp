#include "expectation_file.hpp"

#include <cinttypes>
#include <cstdio>

namespace morvane::bench {

bool write_expectation(const char* path, const expectation& e) {
    std::FILE* f = std::fopen(path, "w");
    if (f == nullptr) return false;
    const bool ok = std::fprintf(f, "lines %" PRIu64 "\nbytes %" PRIu64 "\nhash %" PRIu64 "\n",
                                 e.lines, e.bytes, e.hash_sum) > 0;
    return std::fclose(f) == 0 && ok;
}

std::optional<expectation> read_expectation(const char* path) {
    std::FILE* f = std::fopen(path, "r");
    if (f == nullptr) return std::nullopt;
    expectation e;
    const int n = std::fscanf(f, "lines %" SCNu64 " bytes %" SCNu64 " hash %" SCNu64, &e.lines,
                              &e.bytes, &e.hash_sum);
    std::fclose(f);
    if (n != 3) return std::nullopt;
    return e;
}

} // namespace morvane::bench
