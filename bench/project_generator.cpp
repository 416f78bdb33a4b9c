#include "project_generator.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

namespace morvane::bench {
namespace {

constexpr std::array<std::string_view, 8> shape_table{"realistic",
                                                      "sorted-frames",
                                                      "reverse-frames",
                                                      "same-name-frames",
                                                      "sprites-in-one-frame",
                                                      "sounds-in-one-anim-frame",
                                                      "variables-in-one-character",
                                                      "long-value"};

constexpr std::uint64_t mix(std::uint64_t x) noexcept {
    x ^= x >> 32U;
    x *= 0xd6e8feb86659fd93ULL;
    x ^= x >> 32U;
    x *= 0xd6e8feb86659fd93ULL;
    return x ^ (x >> 32U);
}

// splitmix64: small, fast and the same on every platform.
class random_source {
  public:
    explicit random_source(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() noexcept {
        state_ += 0x9e3779b97f4a7c15ULL;
        return mix(state_);
    }
    std::uint64_t below(std::uint64_t n) noexcept { return next() % n; }
    std::int64_t between(std::int64_t lo, std::int64_t hi) noexcept {
        return lo + static_cast<std::int64_t>(below(static_cast<std::uint64_t>(hi - lo + 1)));
    }
    bool chance(unsigned percent) noexcept { return below(100) < percent; }
    template <class C> auto pick(const C& items) noexcept { return items[below(items.size())]; }

  private:
    std::uint64_t state_;
};

// A short decimal text that lives as long as the object.
class number {
  public:
    explicit number(std::int64_t v) noexcept {
        size_ = static_cast<std::size_t>(std::to_chars(digits_, digits_ + sizeof digits_, v).ptr -
                                         digits_);
    }
    [[nodiscard]] std::string_view view() const noexcept { return {digits_, size_}; }
    operator std::string_view() const noexcept { return view(); }

  private:
    char digits_[24];
    std::size_t size_;
};

// Old-format text with two-blank indentation, and the expected new-format lines.
class project_writer {
  public:
    project_writer(const byte_sink& sink, std::uint64_t seed) : random(seed), sink_(sink) {
        out_.reserve(block + 4096);
    }

    void open(std::string_view keyword) {
        indent();
        out_ += '[';
        out_ += keyword;
        out_ += "]\n";
        ++depth_;
    }
    void close() {
        --depth_;
        indent();
        out_ += "!\n";
        if (out_.size() >= block) spill();
    }
    void statement(std::string_view keyword, std::string_view value) {
        indent();
        out_ += '[';
        out_ += keyword;
        out_ += "] ";
        out_ += value;
        out_ += ";\n";
    }

    // One line of the expected output, given as its pieces.
    template <class... Parts> void expect(const Parts&... parts) {
        line_.clear();
        (line_.append(std::string_view(parts)), ...);
        expected_.add_line(line_);
    }

    // Old-format bytes written as they come, without keeping them.
    void raw(std::string_view bytes) {
        spill();
        sink_(bytes);
        spilled_ += bytes.size();
    }
    // An expected line hashed in pieces; finish() resets the hasher.
    void expect_line(line_hasher& line) {
        ++expected_.lines;
        expected_.bytes += line.size() + 1;
        expected_.hash_sum += line.finish();
    }

    [[nodiscard]] std::uint64_t written() const noexcept { return spilled_ + out_.size(); }
    expectation finish() {
        spill();
        return expected_;
    }

    random_source random;

  private:
    static constexpr std::size_t block = 1 << 20;

    void indent() { out_.append(2 * depth_, ' '); }
    void spill() {
        if (out_.empty()) return;
        sink_(out_);
        spilled_ += out_.size();
        out_.clear();
    }

    const byte_sink& sink_;
    std::string out_;
    std::string line_;
    std::size_t depth_ = 0;
    std::uint64_t spilled_ = 0;
    expectation expected_;
};

constexpr std::array<std::string_view, 16> character_words{
    "knight", "archer", "Slime",  "wizard", "goblin", "Dragon", "bat",   "skeleton",
    "ghost",  "Robot",  "pirate", "ninja",  "golem",  "fairy",  "Troll", "merchant"};
constexpr std::array<std::string_view, 10> anim_words{"idle", "walk", "run",  "jump",   "attack",
                                                      "hurt", "die",  "cast", "crouch", "Victory"};
constexpr std::array<std::string_view, 8> variable_words{"health", "stamina", "attacking", "mana",
                                                         "speed",  "armor",   "combo",     "Score"};
constexpr std::array<std::string_view, 8> sound_words{
    "step_stone.wav", "sword_swing.wav", "grunt.wav", "jump.wav",
    "land.wav",       "spell.wav",       "hit.wav",   "Coin.wav"};
constexpr std::array<std::string_view, 6> part_words{"body", "head",   "legs",
                                                     "arm",  "weapon", "cape"};
constexpr std::array<std::string_view, 5> point_words{"hand", "Feet", "head", "muzzle", "center"};
constexpr std::array<std::string_view, 4> colrect_words{"body", "hit", "hurt", "Shield"};
constexpr std::array<std::string_view, 5> ink_words{"normal", "add", "subtract", "alpha blend",
                                                    "multiply"};

// A character with its variables and animations, then one sprite frame per
// animation frame, and now and then a charmap: roughly what an editor saves.
class realistic_project {
  public:
    explicit realistic_project(project_writer& w) : w_(w), r_(w.random) {}

    void unit(std::uint64_t n) {
        const std::string name =
            std::string(r_.pick(character_words)) + "_" + std::string(number(r_.between(0, 99999)));
        if (n % 8 == 0) charmap(name);
        frame_names_.clear();
        character(name);
        for (const std::string& f : frame_names_) frame(name, f);
    }

  private:
    void charmap(const std::string& owner) {
        if (!charmaps_seen_) w_.expect("[charmaps]");
        charmaps_seen_ = true;
        const std::string name = owner + "_skin";
        w_.open("charmap");
        w_.statement("name", name);
        line_ = name + "=";
        for (std::int64_t i = 0, maps = r_.between(2, 6); i < maps; ++i) {
            const std::string_view folder = r_.pick(part_words);
            const std::string display = std::string(folder) + "_" + std::string(number(i));
            w_.open("map");
            w_.statement("folder", folder);
            w_.statement("display", display);
            w_.close();
            line_ += std::string(folder) + ":" + display + ",";
        }
        w_.close();
        w_.expect(line_);
    }

    void character(const std::string& name) {
        w_.open("char");
        w_.statement("name", name);
        variables_.clear();
        const std::int64_t count = r_.between(3, 6);
        if (count > 0) w_.expect("[char ", name, "/variables]");
        for (std::int64_t i = 0; i < count; ++i) {
            const std::string_view var = r_.pick(variable_words);
            const number value(r_.between(0, 200));
            variables_.push_back(var);
            w_.open("var");
            w_.statement("name", var);
            w_.statement("default", value);
            w_.close();
            w_.expect(var, "=", value);
        }
        for (std::int64_t a = 0, anims = r_.between(2, 5); a < anims; ++a) anim(name);
        w_.close();
    }

    void anim(const std::string& owner) {
        const std::string_view name = r_.pick(anim_words);
        w_.open("anim");
        w_.statement("name", name);
        w_.expect("[char ", owner, "/anim ", name, "]");
        for (std::int64_t i = 0, frames = r_.between(3, 8); i < frames; ++i) {
            const number index(i);
            frame_names_.push_back(owner + "_" + std::string(name) + "_" + std::string(index));
            const std::string& shown = frame_names_.back();
            const number duration(r_.between(30, 240));
            w_.open("frame");
            w_.statement("name", shown);
            w_.statement("duration", duration);
            w_.expect("frame ", index, "=", shown);
            w_.expect("frame ", index, " duration=", duration);
            for (std::int64_t s = 0, sounds = r_.between(0, 2); s < sounds; ++s) {
                const std::string_view sound = r_.pick(sound_words);
                const number volume(r_.between(10, 100));
                w_.open("sound");
                w_.statement("name", sound);
                w_.statement("volume", volume);
                w_.close();
                w_.expect("frame ", index, " sound ", number(s), "=", sound);
                w_.expect("frame ", index, " sound ", number(s), " volume=", volume);
            }
            for (std::int64_t c = 0, changes = r_.between(0, 2); c < changes; ++c) {
                const std::string_view var = r_.pick(variables_);
                const number value(r_.between(-20, 20));
                w_.open("variable change");
                w_.statement("name", var);
                w_.statement("value", value);
                w_.close();
                w_.expect("frame ", index, " :", var, "=", value);
            }
            w_.close();
        }
        w_.close();
    }

    void frame(const std::string& owner, const std::string& name) {
        w_.open("frame");
        w_.statement("name", name);
        w_.expect("[frame ", name, "]");
        for (std::int64_t i = 0, sprites = r_.between(2, 8); i < sprites; ++i) sprite(owner, i);
        for (std::int64_t i = 0, points = r_.between(0, 3); i < points; ++i) point();
        for (std::int64_t i = 0, rects = r_.between(0, 2); i < rects; ++i) colrect();
        w_.close();
    }

    // Writes the statement when the odds say so, with its expected line.
    void sprite_key(std::string_view index, unsigned percent, std::string_view keyword,
                    std::string_view value) {
        if (!r_.chance(percent)) return;
        w_.statement(keyword, value);
        w_.expect("sprite ", index, " ", keyword, "=", value);
    }

    void sprite(const std::string& owner, std::int64_t i) {
        const number index(i);
        const std::string image = "sprites/" + owner + "/" + std::string(r_.pick(part_words)) +
                                  "_" + std::string(number(r_.between(0, 9))) + ".png";
        w_.open("sprite");
        sprite_key(index, 100, "image", image);
        sprite_key(index, 100, "x", number(r_.between(-64, 64)));
        sprite_key(index, 100, "y", number(r_.between(-96, 32)));
        sprite_key(index, 60, "width", number(r_.between(4, 128)));
        sprite_key(index, 60, "height", number(r_.between(4, 128)));
        sprite_key(index, 30, "angle", number(r_.between(0, 359)));
        sprite_key(index, 30, "color", number(r_.between(0, 16777215)));
        sprite_key(index, 25, "ink", r_.pick(ink_words));
        sprite_key(index, 40, "opacity", number(r_.between(0, 255)));
        sprite_key(index, 25, "x flip", number(r_.between(0, 1)));
        sprite_key(index, 20, "y flip", number(r_.between(0, 1)));
        w_.close();
    }

    void point() {
        const std::string_view name = r_.pick(point_words);
        const number x(r_.between(-40, 40));
        const number y(r_.between(-80, 10));
        const number type(r_.between(0, 3));
        w_.open("point");
        w_.statement("name", name);
        w_.statement("x", x);
        w_.statement("y", y);
        w_.statement("type", type);
        w_.close();
        w_.expect("point ", name, " x=", x);
        w_.expect("point ", name, " y=", y);
        w_.expect("point: ", name, "=", type);
    }

    void colrect() {
        const std::string_view name = r_.pick(colrect_words);
        const number x(r_.between(-20, 0));
        const number y(r_.between(-60, 0));
        const number width(r_.between(4, 40));
        const number height(r_.between(4, 60));
        const number value(r_.between(0, 3));
        const number color(r_.between(0, 16777215));
        w_.open("colrect");
        w_.statement("name", name);
        w_.statement("x", x);
        w_.statement("y", y);
        w_.statement("width", width);
        w_.statement("height", height);
        w_.statement("value", value);
        w_.statement("color", color);
        w_.close();
        w_.expect("colrect ", name, " height=", height);
        w_.expect("colrect ", name, " value=", value);
        w_.expect("colrect ", name, " width=", width);
        w_.expect("colrect ", name, " x=", x);
        w_.expect("colrect ", name, " y=", y);
        w_.expect("colrect: ", name, "=", color);
    }

    project_writer& w_;
    random_source& r_;
    std::vector<std::string> frame_names_;
    std::vector<std::string_view> variables_;
    std::string line_;
    bool charmaps_seen_ = false;
};

void realistic(project_writer& w, std::uint64_t bytes) {
    realistic_project project(w);
    for (std::uint64_t n = 0; w.written() < bytes; ++n) project.unit(n);
}

// Frames with a name only: the cheapest record per byte, so sorting weighs most.
void frames(project_writer& w, std::uint64_t count, shape kind) {
    char name[32];
    for (std::uint64_t i = 0; i < count; ++i) {
        std::string_view shown = "frame";
        if (kind != shape::same_name_frames) {
            const std::uint64_t k = kind == shape::sorted_frames ? i : count - 1 - i;
            const int n = std::snprintf(name, sizeof name, "frame_%012llu",
                                        static_cast<unsigned long long>(k));
            shown = std::string_view(name, static_cast<std::size_t>(n));
        }
        w.open("frame");
        w.statement("name", shown);
        w.close();
        w.expect("[frame ", shown, "]");
    }
}

void sprites(project_writer& w, std::uint64_t count) {
    w.open("frame");
    w.statement("name", "crowd");
    w.expect("[frame crowd]");
    for (std::uint64_t i = 0; i < count; ++i) {
        const number index(static_cast<std::int64_t>(i));
        const number x(w.random.between(-500, 500));
        const number y(w.random.between(-500, 500));
        w.open("sprite");
        w.statement("x", x);
        w.statement("y", y);
        w.close();
        w.expect("sprite ", index, " x=", x);
        w.expect("sprite ", index, " y=", y);
    }
    w.close();
}

void sounds(project_writer& w, std::uint64_t count) {
    w.open("char");
    w.statement("name", "orchestra");
    w.open("anim");
    w.statement("name", "play");
    w.expect("[char orchestra/anim play]");
    w.open("frame");
    w.statement("name", "play_0");
    w.statement("duration", "100");
    w.expect("frame 0=play_0");
    w.expect("frame 0 duration=100");
    for (std::uint64_t i = 0; i < count; ++i) {
        const number index(static_cast<std::int64_t>(i));
        const std::string name = "note_" + std::string(index) + ".wav";
        const number volume(w.random.between(0, 100));
        w.open("sound");
        w.statement("name", name);
        w.statement("volume", volume);
        w.close();
        w.expect("frame 0 sound ", index, "=", name);
        w.expect("frame 0 sound ", index, " volume=", volume);
    }
    w.close();
    w.close();
    w.close();
}

// One sprite whose image path is `bytes` long: a single value of any size,
// written and hashed in blocks.
void long_value(project_writer& w, std::uint64_t bytes) {
    w.open("frame");
    w.statement("name", "wide");
    w.expect("[frame wide]");
    w.open("sprite");
    w.raw("    [image] ");
    constexpr std::string_view path_bytes = "abcdefghijklmnopqrstuvwxyz/._";
    std::string block(1 << 20, ' ');
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = path_bytes[i % path_bytes.size()];
    line_hasher line;
    line.add("sprite 0 image=");
    for (std::uint64_t left = bytes; left > 0;) {
        const std::string_view piece(block.data(), std::min<std::uint64_t>(left, block.size()));
        w.raw(piece);
        line.add(piece);
        left -= piece.size();
    }
    w.raw(";\n");
    w.expect_line(line);
    w.close();
    w.close();
}

void variables(project_writer& w, std::uint64_t count) {
    w.open("char");
    w.statement("name", "hoarder");
    if (count > 0) w.expect("[char hoarder/variables]");
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::string name = "v_" + std::string(number(static_cast<std::int64_t>(i)));
        const number value(w.random.between(-1000, 1000));
        w.open("var");
        w.statement("name", name);
        w.statement("default", value);
        w.close();
        w.expect(name, "=", value);
    }
    w.close();
}

} // namespace

std::optional<shape> parse_shape(std::string_view name) {
    for (std::size_t i = 0; i < shape_table.size(); ++i)
        if (shape_table[i] == name) return static_cast<shape>(i);
    return std::nullopt;
}

std::string_view shape_name(shape s) { return shape_table[static_cast<std::size_t>(s)]; }

std::string shape_names() {
    std::string names;
    for (const std::string_view n : shape_table) names.append(names.empty() ? "" : " ").append(n);
    return names;
}

void line_hasher::add(std::string_view bytes) noexcept {
    size_ += bytes.size();
    while (!bytes.empty()) {
        if (pending_size_ == 0 && bytes.size() >= 8) {
            std::uint64_t word;
            std::memcpy(&word, bytes.data(), 8);
            state_ = mix(state_ ^ word);
            bytes.remove_prefix(8);
            continue;
        }
        const std::size_t take = std::min(8 - pending_size_, bytes.size());
        std::memcpy(pending_ + pending_size_, bytes.data(), take);
        pending_size_ += take;
        bytes.remove_prefix(take);
        if (pending_size_ == 8) {
            std::uint64_t word;
            std::memcpy(&word, pending_, 8);
            state_ = mix(state_ ^ word);
            pending_size_ = 0;
        }
    }
}

std::uint64_t line_hasher::finish() noexcept {
    std::uint64_t tail = 0;
    std::memcpy(&tail, pending_, pending_size_);
    const std::uint64_t h = mix(state_ ^ tail ^ mix(size_ + 0xa5a5a5a5a5a5a5a5ULL));
    *this = line_hasher();
    return h;
}

std::uint64_t line_hash(std::string_view line) noexcept {
    line_hasher h;
    h.add(line);
    return h.finish();
}

void expectation::add_line(std::string_view line) noexcept {
    ++lines;
    bytes += line.size() + 1;
    hash_sum += line_hash(line);
}

expectation generate(const generator_options& options, const byte_sink& sink) {
    project_writer w(sink, options.seed);
    switch (options.kind) {
    case shape::realistic:
        realistic(w, options.amount);
        break;
    case shape::sorted_frames:
    case shape::reverse_frames:
    case shape::same_name_frames:
        frames(w, options.amount, options.kind);
        break;
    case shape::sprites_in_one_frame:
        sprites(w, options.amount);
        break;
    case shape::sounds_in_one_anim_frame:
        sounds(w, options.amount);
        break;
    case shape::variables_in_one_character:
        variables(w, options.amount);
        break;
    case shape::long_value:
        long_value(w, options.amount);
        break;
    }
    return w.finish();
}

std::string generate_string(const generator_options& options) {
    std::string out;
    generate(options, [&out](std::string_view bytes) { out.append(bytes); });
    return out;
}

} // namespace morvane::bench
