// Fuzz target: one whole conversion in memory on arbitrary bytes. Aborts when an
// invariant of a conversion breaks:
//   - a parse either succeeds, with its output (possibly empty), or fails and
//     writes nothing at all;
//   - output that is not empty ends with a line end;
//   - converting the same bytes again, this time delivered a few bytes per read
//     with no size known in advance, gives the same result.
// Crashes, leaks and out-of-bounds accesses are the sanitizers' to report.

#include "driver/conversion.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

struct outcome {
    bool parsed = false;
    std::string output;
    bool operator==(const outcome&) const = default;
};

// Hands out the bytes at most `chunk` at a time and never tells their size, so
// the parser has to refill its buffer again and again.
class trickle_source : public morvane::input_source {
  public:
    trickle_source(std::string_view bytes, std::size_t chunk) : rest_(bytes), chunk_(chunk) {}
    std::size_t read(char* dst, std::size_t max) override {
        const std::size_t n = std::min({max, chunk_, rest_.size()});
        std::copy_n(rest_.data(), n, dst);
        rest_.remove_prefix(n);
        return n;
    }

  private:
    std::string_view rest_;
    std::size_t chunk_;
};

outcome convert(morvane::input_source& in) {
    morvane::conversion run;
    outcome result;
    result.parsed = run.parse(in);
    // Written after a failed parse too: the document must then be empty.
    morvane::string_sink sink(result.output);
    run.write(sink);
    return result;
}

[[noreturn]] void violated(const char* invariant) {
    std::fprintf(stderr, "conversion invariant violated: %s\n", invariant);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    morvane::memory_source whole(bytes);
    const outcome first = convert(whole);
    if (!first.parsed && !first.output.empty()) violated("a failed parse wrote output");
    if (!first.output.empty() && first.output.back() != '\n')
        violated("the output does not end with a line end");

    const std::size_t chunk = size == 0 ? 1 : 1 + static_cast<unsigned char>(bytes[0]) % 7;
    trickle_source pieces(bytes, chunk);
    if (convert(pieces) != first) violated("converting the same bytes twice differed");
    return 0;
}
