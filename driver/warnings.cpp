#include "driver/warnings.hpp"

#include "parser/actions.hpp"
#include "parser/failure_report.hpp"
#include "writer/print.hpp"

#include <algorithm>
#include <functional>
#include <unordered_map>

namespace morvane {
namespace {

template <class R> R* as(const void* record) { return static_cast<R*>(const_cast<void*>(record)); }

// A kind of block that makes records. Kinds written under a key (their name,
// a map's folder) say how one without it is written and why one with it may
// write nothing; kinds written under an index have no key.
struct block_kind {
    action head; // the block's first action, which creates its record
    std::string_view noun;
    std::string_view parent_noun; // empty at the top level
    void* (*opened)(const builder&);
    const void* (*parent)(const builder&);
    std::string_view key_noun;
    text (*key)(const void* record);
    std::string_view without_key; // how a record without its key is written
    std::string_view why_unwritten;
    void (*print)(writer&, void* record, const void* parent);
};

const void* top_level(const builder&) { return nullptr; }

// In the order of their first actions, so that an action belongs to the last
// kind whose first action is not after it.
constexpr std::array<block_kind, 12> kinds{{
    {action::character_block_1, "character", "",
     [](const builder& b) -> void* { return b.current_character; }, top_level, "name",
     [](const void* r) { return as<character>(r)->name; },
     "its sections are written as \"[char /...\"", "it has neither animations nor variables",
     [](writer& w, void* r, const void*) { print_character(w, as<character>(r)); }},
    {action::variable_block_1, "variable", "character",
     [](const builder& b) -> void* { return b.current_variable; },
     [](const builder& b) -> const void* { return b.current_character; }, "name",
     [](const void* r) { return as<variable>(r)->name; }, "its line begins with \"=\"", "",
     [](writer& w, void* r, const void*) { print_variable(w, as<variable>(r)); }},
    {action::charmap_block_1, "charmap", "",
     [](const builder& b) -> void* { return b.current_charmap; }, top_level, "name",
     [](const void* r) { return as<charmap>(r)->name; }, "its line is written without \"NAME=\"",
     "", [](writer& w, void* r, const void*) { print_charmap(w, as<charmap>(r)); }},
    {action::map_block_1, "map", "charmap", [](const builder& b) -> void* { return b.current_map; },
     [](const builder& b) -> const void* { return b.current_charmap; }, "folder",
     [](const void* r) { return as<map>(r)->folder; }, "", "it has no display",
     [](writer& w, void* r, const void*) { print_map(w, as<map>(r)); }},
    {action::frame_block_1, "frame", "", [](const builder& b) -> void* { return b.current_frame; },
     top_level, "name", [](const void* r) { return as<frame>(r)->name; }, "written as \"[frame ]\"",
     "", [](writer& w, void* r, const void*) { print_frame(w, as<frame>(r)); }},
    {action::collision_rect_block_1, "collision rectangle", "frame",
     [](const builder& b) -> void* { return b.current_colrect; },
     [](const builder& b) -> const void* { return b.current_frame; }, "name",
     [](const void* r) { return as<colrect>(r)->name; },
     "its lines are written as \"colrect  ...\"", "it has no height, value, width, x, y or color",
     [](writer& w, void* r, const void*) { print_colrect(w, as<colrect>(r)); }},
    {action::point_block_1, "point", "frame",
     [](const builder& b) -> void* { return b.current_point; },
     [](const builder& b) -> const void* { return b.current_frame; }, "name",
     [](const void* r) { return as<point>(r)->name; }, "its lines are written as \"point  ...\"",
     "it has no x, y or type",
     [](writer& w, void* r, const void*) { print_point(w, as<point>(r)); }},
    {action::sprite_block_1, "sprite", "frame",
     [](const builder& b) -> void* { return b.current_sprite; },
     [](const builder& b) -> const void* { return b.current_frame; }, "", nullptr, "", "", nullptr},
    {action::animation_block_1, "animation", "character",
     [](const builder& b) -> void* { return b.current_anim; },
     [](const builder& b) -> const void* { return b.current_character; }, "name",
     [](const void* r) { return as<anim>(r)->name; },
     "its header is written as \"[char .../anim ]\"", "",
     [](writer& w, void* r, const void*) { print_anim(w, as<anim>(r)); }},
    {action::anim_frame_block_1, "animation frame", "animation",
     [](const builder& b) -> void* { return b.current_anim_frame; },
     [](const builder& b) -> const void* { return b.current_anim; }, "", nullptr, "", "", nullptr},
    {action::sound_block_1, "sound", "animation frame",
     [](const builder& b) -> void* { return b.current_sound; },
     [](const builder& b) -> const void* { return b.current_anim_frame; }, "", nullptr, "", "",
     nullptr},
    {action::variable_change_block_1, "variable change", "animation frame",
     [](const builder& b) -> void* { return b.current_variable_change; },
     [](const builder& b) -> const void* { return b.current_anim_frame; }, "name",
     [](const void* r) { return as<variable_change>(r)->name; }, "", "it has no value",
     [](writer& w, void* r, const void* parent) {
         print_variable_change(w, as<anim_frame>(parent), as<variable_change>(r));
     }},
}};

constexpr bool in_order() {
    for (std::size_t i = 1; i < kinds.size(); ++i)
        if (kinds[i - 1].head >= kinds[i].head) return false;
    return true;
}
static_assert(in_order(), "kinds go in the order of their first actions");

constexpr auto id_of(action a) { return static_cast<std::uint8_t>(a); }

// The kind that action id belongs to, or kinds.size() for one before them all.
std::size_t kind_of(std::uint8_t id) {
    std::size_t k = kinds.size();
    for (std::size_t i = 0; i < kinds.size() && id_of(kinds[i].head) <= id; ++i) k = i;
    return k;
}

// The "[" that opens the statement or block whose value or keyword is at `at`:
// only white space, a keyword and "]" lie between, and none of them is a "[".
std::size_t opening_bracket(std::string_view input, std::size_t at) { return input.rfind('[', at); }

// A statement's keyword: between its "[" with the white space after it, and "]".
std::string_view statement_key(std::string_view input, std::size_t open) {
    const std::size_t begin = input.find_first_not_of("\t\n\r ", open + 1);
    return input.substr(begin, input.find(']', begin) - begin);
}

std::string quoted(std::string_view s) { return '"' + std::string(s) + '"'; }

struct same_name {
    const void* parent;
    std::size_t kind;
    std::string_view key;
    bool operator==(const same_name&) const = default;
};
struct same_name_hash {
    std::size_t operator()(const same_name& s) const noexcept {
        return std::hash<std::string_view>()(s.key) ^ std::hash<const void*>()(s.parent) ^ s.kind;
    }
};

} // namespace

warning_collector::warning_collector() { given_.fill(no_earlier); }

void warning_collector::observe(std::uint8_t id, std::string_view captured, std::string_view input,
                                const builder& b) {
    input_ = input;
    const auto a = static_cast<action>(id);
    if (a == action::text_1 || a == action::num_1 || a == action::file_1 ||
        a == action::head_position) {
        value_at_ = static_cast<std::size_t>(captured.data() - input.data());
        return;
    }
    if (value_at_ == no_earlier) return; // it ends a block
    const std::size_t open = opening_bracket(input, value_at_);
    value_at_ = no_earlier;
    const std::size_t k = kind_of(id);
    if (k == kinds.size()) return;
    const block_kind& kind = kinds[k];
    if (a == kind.head) {
        blocks_.push_back({k, open, kind.opened(b), kind.parent(b)});
        const std::size_t last = k + 1 < kinds.size() ? id_of(kinds[k + 1].head) : given_.size();
        std::fill(given_.begin() + id_of(kind.head), given_.begin() + last, no_earlier);
        return;
    }
    std::size_t& earlier = given_[id];
    if (earlier != no_earlier) {
        found_.push_back({open,
                          quoted(statement_key(input, open)) + " given again in this " +
                              std::string(kind.noun) + "; the value at ",
                          earlier, " is dropped"});
    }
    earlier = open;
}

std::vector<warning> warning_collector::finish() {
    std::string printed;
    string_sink sink(printed);
    writer scratch(sink);
    std::unordered_map<same_name, std::size_t, same_name_hash> first;
    for (const opened_block& block : blocks_) {
        const block_kind& kind = kinds[block.kind];
        if (kind.key == nullptr) continue;
        const std::string noun(kind.noun);
        printed.clear();
        kind.print(scratch, block.record, block.parent);
        scratch.flush();
        const bool written = !printed.empty();
        const text key = kind.key(block.record);
        if (!key.present()) {
            found_.push_back(
                {block.at,
                 noun + " without a " + std::string(kind.key_noun) + ": " +
                     std::string(written ? kind.without_key : "nothing is written for it"),
                 no_earlier, ""});
            continue;
        }
        const auto [at, fresh] =
            first.try_emplace(same_name{block.parent, block.kind, key.view()}, block.at);
        if (!fresh) {
            const std::string where =
                kind.parent_noun.empty() ? "" : " in this " + std::string(kind.parent_noun);
            found_.push_back({block.at,
                              "another " + noun + " with " + std::string(kind.key_noun) + " " +
                                  quoted(key.view()) + where + "; not merged with the one at ",
                              at->second, ""});
        }
        if (!written) {
            found_.push_back({block.at,
                              noun + " " + quoted(key.view()) +
                                  " is not written: " + std::string(kind.why_unwritten),
                              no_earlier, ""});
        }
    }
    std::stable_sort(found_.begin(), found_.end(),
                     [](const pending& x, const pending& y) { return x.at < y.at; });

    // Line and column of every place named, counted in one pass.
    std::vector<std::size_t> places;
    for (const pending& p : found_) {
        places.push_back(p.at);
        if (p.earlier != no_earlier) places.push_back(p.earlier);
    }
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());
    std::vector<text_position> positions;
    line_counter lines(input_);
    for (const std::size_t at : places) positions.push_back(lines.at(at));
    const auto position = [&](std::size_t at) {
        return positions[static_cast<std::size_t>(
            std::lower_bound(places.begin(), places.end(), at) - places.begin())];
    };

    std::vector<warning> warnings;
    warnings.reserve(found_.size());
    for (pending& p : found_) {
        const text_position here = position(p.at);
        std::string message = std::move(p.message);
        if (p.earlier != no_earlier) {
            const text_position there = position(p.earlier);
            message += std::to_string(there.line) + ":" + std::to_string(there.column);
            message += p.after;
        }
        warnings.push_back(
            {p.at, here.line, here.column, here.line_begin, here.line_end, std::move(message)});
    }
    found_.clear();
    return warnings;
}

} // namespace morvane
