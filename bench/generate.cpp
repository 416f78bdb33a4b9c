// morvane-bench-generate SHAPE AMOUNT OLD-FILE [--seed N] [--expect FILE]
// Writes a deterministic old-format file; AMOUNT is a size in bytes for the
// realistic shape and a record count for the others, with an optional k, M or G
// (powers of 1024). --expect writes what its conversion must produce, for
// morvane-bench-verify.

#include "expectation_file.hpp"
#include "project_generator.hpp"

#include <charconv>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace {

using namespace morvane::bench;

std::optional<std::uint64_t> parse_amount(std::string_view s) {
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end == s.data()) return std::nullopt;
    const std::string_view suffix(end, static_cast<std::size_t>(s.data() + s.size() - end));
    if (suffix.empty()) return value;
    if (suffix == "k" || suffix == "K") return value << 10U;
    if (suffix == "M") return value << 20U;
    if (suffix == "G") return value << 30U;
    return std::nullopt;
}

int usage(const char* program) {
    std::fprintf(stderr, "Usage: %s SHAPE AMOUNT OLD-FILE [--seed N] [--expect FILE]\nShapes: %s\n",
                 program, shape_names().c_str());
    return 2;
}

struct file_closer {
    void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) return usage(argv[0]);
    generator_options options;
    const auto kind = parse_shape(argv[1]);
    const auto amount = parse_amount(argv[2]);
    if (!kind || !amount) return usage(argv[0]);
    options.kind = *kind;
    options.amount = *amount;
    const char* expect_path = nullptr;
    for (int i = 4; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--seed" && i + 1 < argc) {
            const auto seed = parse_amount(argv[++i]);
            if (!seed) return usage(argv[0]);
            options.seed = *seed;
        } else if (arg == "--expect" && i + 1 < argc) {
            expect_path = argv[++i];
        } else {
            return usage(argv[0]);
        }
    }

    std::unique_ptr<std::FILE, file_closer> out(std::fopen(argv[3], "wb"));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[3]);
        return 1;
    }
    bool ok = true;
    const expectation expected = generate(options, [&](std::string_view bytes) {
        ok = ok && std::fwrite(bytes.data(), 1, bytes.size(), out.get()) == bytes.size();
    });
    ok = ok && std::fclose(out.release()) == 0;
    if (!ok) {
        std::fprintf(stderr, "cannot write %s\n", argv[3]);
        return 1;
    }
    if (expect_path != nullptr && !write_expectation(expect_path, expected)) {
        std::fprintf(stderr, "cannot write %s\n", expect_path);
        return 1;
    }
    return 0;
}
