// morvane-bench-verify NEW-FILE EXPECT-FILE
// Checks a converted benchmark file without a second converter: the multiset of
// its lines must be the one the generator recorded (count, bytes, hash sum), the
// sections must come in their order (characters, charmaps, frames), character,
// charmap and frame names must not decrease, and sprite indices must not
// decrease within a frame. Reads the file in blocks, so any size works.

#include "expectation_file.hpp"

#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace morvane::bench;

class order_check {
  public:
    void line(std::string_view l) {
        if (!error_.empty()) return;
        if (l.starts_with("[char ")) {
            if (phase_ != 0) return fail("a character section after charmaps or frames", l);
            const std::string_view name = l.substr(6, l.find('/') - 6);
            if (name < last_) return fail("characters out of order", l);
            last_.assign(name);
        } else if (l == "[charmaps]") {
            if (phase_ != 0) return fail("a second or late charmaps section", l);
            phase_ = 1;
            last_.clear();
        } else if (l.starts_with("[frame ")) {
            if (phase_ != 2) last_.clear();
            phase_ = 2;
            const std::string_view name = l.substr(7, l.size() - 8);
            if (name < last_) return fail("frames out of order", l);
            last_.assign(name);
            last_sprite_ = -1;
        } else if (phase_ == 1) {
            const std::string_view name = l.substr(0, l.find('='));
            if (name < last_) return fail("charmaps out of order", l);
            last_.assign(name);
        } else if (phase_ == 2 && l.starts_with("sprite ")) {
            std::int64_t index = 0;
            std::from_chars(l.data() + 7, l.data() + l.size(), index);
            if (index < last_sprite_) return fail("sprites out of order", l);
            last_sprite_ = index;
        }
    }
    [[nodiscard]] const std::string& error() const noexcept { return error_; }

  private:
    void fail(std::string_view what, std::string_view l) {
        error_ = std::string(what) + ": " + std::string(l.substr(0, 120));
    }

    int phase_ = 0;
    std::string last_;
    std::int64_t last_sprite_ = -1;
    std::string error_;
};

struct file_closer {
    void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "Usage: %s NEW-FILE EXPECT-FILE\n", argv[0]);
        return 2;
    }
    const auto expected = read_expectation(argv[2]);
    std::unique_ptr<std::FILE, file_closer> in(std::fopen(argv[1], "rb"));
    if (!expected || !in) {
        std::fprintf(stderr, "cannot read %s or %s\n", argv[1], argv[2]);
        return 2;
    }
    // Lines are hashed as they stream past, so a line may be of any length;
    // the order checks see the first head_limit bytes of each, which hold
    // every section header of a generated file.
    constexpr std::size_t head_limit = 4096;
    expectation seen;
    order_check order;
    line_hasher line;
    std::string head;
    const auto take = [&](std::string_view piece) {
        line.add(piece);
        if (head.size() < head_limit) head.append(piece.substr(0, head_limit - head.size()));
    };
    std::vector<char> block(std::size_t{1} << 20U);
    for (;;) {
        const std::size_t n = std::fread(block.data(), 1, block.size(), in.get());
        if (n == 0) break;
        std::string_view rest(block.data(), n);
        for (std::size_t eol; (eol = rest.find('\n')) != std::string_view::npos;) {
            take(rest.substr(0, eol));
            ++seen.lines;
            seen.bytes += line.size() + 1;
            seen.hash_sum += line.finish();
            order.line(head);
            head.clear();
            rest.remove_prefix(eol + 1);
        }
        take(rest);
    }
    if (line.size() != 0) {
        std::fprintf(stderr, "the last line has no line feed\n");
        return 1;
    }
    if (!(seen == *expected)) {
        std::fprintf(stderr,
                     "lines %" PRIu64 " (want %" PRIu64 "), bytes %" PRIu64 " (want %" PRIu64
                     "), hash %s\n",
                     seen.lines, expected->lines, seen.bytes, expected->bytes,
                     seen.hash_sum == expected->hash_sum ? "matches" : "differs");
        return 1;
    }
    if (!order.error().empty()) {
        std::fprintf(stderr, "%s\n", order.error().c_str());
        return 1;
    }
    std::printf("ok: %" PRIu64 " lines, %" PRIu64 " bytes\n", seen.lines, seen.bytes);
    return 0;
}
