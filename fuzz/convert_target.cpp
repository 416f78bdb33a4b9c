// Fuzz target: one whole conversion in memory on arbitrary bytes. Aborts when an
// invariant of a conversion breaks:
//   - a parse either succeeds, with its output (possibly empty), or fails and
//     leaves nothing in the document, so that nothing at all is written (the
//     conversion throws, which ends the run, when it does);
//   - output that is not empty ends with a line end;
//   - converting the same bytes again gives the same result when they arrive
//     a few bytes per read, whether no size is known in advance (as from a
//     pipe) or a wrong one is (as from a file that changed since it was opened);
//   - matching and building in parts of a few bytes on up to 8 threads, from
//     memory or read in pieces, gives the same result too;
//   - asking for warnings changes nothing that is converted, and gives none
//     for an input that does not parse.
// Crashes, leaks and out-of-bounds accesses are the sanitizers' to report.

#include "tests/support/convert.hpp"
#include "tests/support/sources.hpp"

#include <morvane/morvane.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

[[noreturn]] void violated(const char* invariant) {
    std::fprintf(stderr, "conversion invariant violated: %s\n", invariant);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const auto first = morvane::testing::convert(bytes);
    if (!first.output.empty() && first.output.back() != '\n')
        violated("the output does not end with a line end");

    // Either other way of reading, chosen by the input itself so that a crash
    // reproduces; small odd chunks make refills stop anywhere in a token.
    const unsigned char first_byte = size == 0 ? 0 : static_cast<unsigned char>(bytes[0]);
    morvane::testing::source_behaviour pieces{1U + first_byte % 7U, {}};
    if (first_byte % 2 != 0) // a size claimed at open that the bytes no longer have
        pieces = {1U + first_byte % 5U, size / (1 + first_byte % 3) + first_byte % 5};
    morvane::testing::scripted_source again(bytes, pieces);
    if (morvane::testing::convert(again) != first)
        violated("converting the same bytes twice differed");
    const morvane::part_plan parts{1U + first_byte % 8U, 1U + first_byte % 3U};
    morvane::testing::scripted_source in_pieces(bytes, pieces);
    if (morvane::testing::convert(bytes, parts) != first ||
        morvane::testing::convert(in_pieces, parts) != first)
        violated("converting in parts differed");

    const morvane::conversion_result warned = morvane::convert(bytes, {.warnings = true});
    if (warned.ok() != first.parsed || warned.text != first.output)
        violated("asking for warnings changed the conversion");
    if (!warned.ok() && !warned.warnings.empty()) violated("warnings for a failed parse");
    return 0;
}
