#include "driver/warnings.hpp"

#include "parser/actions.hpp"
#include "parser/failure_report.hpp"
#include "writer/print.hpp"

#include <algorithm>
#include <map>
#include <tuple>

namespace morvane {
namespace {

template <class P> P as(const void* record) { return static_cast<P>(const_cast<void*>(record)); }

// The record type R*, from a member `R::*` or a printer `void(writer&, R*)`.
template <class R, class T> R* record_type(T R::*);
template <class R> R* record_type(void (*)(writer&, R*));
template <auto of> using record_of = decltype(record_type(of));

// What a row of the table needs of its kind's record, each as a function of
// the untyped record: the builder's cursor to it, its key and its printer.
template <auto cursor> void* opened(const builder& b) { return b.*cursor; }
template <auto field> text key(const void* r) { return as<record_of<field>>(r)->*field; }
template <auto print> void printed(writer& w, void* r, const void*) {
    print(w, as<record_of<print>>(r));
}

// A kind of block that makes records. Kinds written under a key (their name,
// a map's folder) say how one without it is written and why one with it may
// write nothing; kinds written under an index have no key.
struct block_kind {
    action head; // the block's first action, which creates its record
    std::string_view noun;
    std::string_view parent_noun;    // the kind it lies in; empty at the top level
    void* (*opened)(const builder&); // the record its first action created
    std::string_view key_noun = "";
    text (*key)(const void* record) = nullptr;
    std::string_view without_key = ""; // how a record without its key is written
    std::string_view why_unwritten = "";
    void (*print)(writer&, void* record, const void* parent) = nullptr;
};

// In the order of their first actions, so that an action belongs to the last
// kind whose first action is not after it.
constexpr std::array<block_kind, 12> kinds{{
    {action::character_block_1, "character", "", opened<&builder::current_character>, "name",
     key<&character::name>, "its sections are written as \"[char /...\"",
     "it has neither animations nor variables", printed<print_character>},
    {action::variable_block_1, "variable", "character", opened<&builder::current_variable>, "name",
     key<&variable::name>, "its line begins with \"=\"", "", printed<print_variable>},
    {action::charmap_block_1, "charmap", "", opened<&builder::current_charmap>, "name",
     key<&charmap::name>, "its line is written without \"NAME=\"", "", printed<print_charmap>},
    {action::map_block_1, "map", "charmap", opened<&builder::current_map>, "folder",
     key<&map::folder>, "", "it has no display", printed<print_map>},
    {action::frame_block_1, "frame", "", opened<&builder::current_frame>, "name", key<&frame::name>,
     "written as \"[frame ]\"", "", printed<print_frame>},
    {action::collision_rect_block_1, "collision rectangle", "frame",
     opened<&builder::current_colrect>, "name", key<&colrect::name>,
     "its lines are written as \"colrect  ...\"", "it has no height, value, width, x, y or color",
     printed<print_colrect>},
    {action::point_block_1, "point", "frame", opened<&builder::current_point>, "name",
     key<&point::name>, "its lines are written as \"point  ...\"", "it has no x, y or type",
     printed<print_point>},
    {action::sprite_block_1, "sprite", "frame", opened<&builder::current_sprite>},
    {action::animation_block_1, "animation", "character", opened<&builder::current_anim>, "name",
     key<&anim::name>, "its header is written as \"[char .../anim ]\"", "", printed<print_anim>},
    {action::anim_frame_block_1, "animation frame", "animation",
     opened<&builder::current_anim_frame>},
    {action::sound_block_1, "sound", "animation frame", opened<&builder::current_sound>},
    {action::variable_change_block_1, "variable change", "animation frame",
     opened<&builder::current_variable_change>, "name", key<&variable_change::name>, "",
     "it has no value",
     [](writer& w, void* r, const void* parent) {
         print_variable_change(w, as<anim_frame*>(parent), as<variable_change*>(r));
     }},
}};

static_assert(std::adjacent_find(kinds.begin(), kinds.end(),
                                 [](const block_kind& x, const block_kind& y) {
                                     return x.head >= y.head;
                                 }) == kinds.end(),
              "kinds go in the order of their first actions");

// The kind that an action belongs to, or kinds.size() for one before them all.
std::size_t kind_of(action a) {
    std::size_t k = kinds.size();
    for (std::size_t i = 0; i < kinds.size() && kinds[i].head <= a; ++i) k = i;
    return k;
}

// The record that a kind's open block lies in; null at the top level.
const void* parent_of(const block_kind& kind, const builder& b) {
    for (const block_kind& parent : kinds)
        if (parent.noun == kind.parent_noun) return parent.opened(b);
    return nullptr;
}

template <class... Parts> std::string cat(const Parts&... parts) {
    std::string s;
    ((s += parts), ...);
    return s;
}

} // namespace

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
    // The "[" that opens the statement or block whose value or keyword was
    // captured: only white space, a keyword and "]" lie between, and none of
    // them is a "[".
    const std::size_t open = input.rfind('[', value_at_);
    value_at_ = no_earlier;
    const std::size_t k = kind_of(a);
    if (k == kinds.size()) return;
    const block_kind& kind = kinds[k];
    std::size_t& block_at = given_[static_cast<std::uint8_t>(kind.head)];
    if (a == kind.head) {
        block_at = open;
        if (kind.key != nullptr) blocks_.push_back({k, open, kind.opened(b), parent_of(kind, b)});
        return;
    }
    std::size_t& earlier = given_[id];
    if (earlier > block_at) {
        // The statement's keyword: after its "[" and white space, up to "]".
        const std::size_t begin = input.find_first_not_of("\t\n\r ", open + 1);
        found_.push_back({open,
                          cat('"', input.substr(begin, input.find(']', begin) - begin),
                              "\" given again in this ", kind.noun, "; the value at "),
                          earlier, " is dropped"});
    }
    earlier = open;
}

std::vector<warning> warning_collector::finish() {
    std::string printed;
    string_sink sink(printed);
    writer scratch(sink);
    // The first block of each kind and key under each parent.
    std::map<std::tuple<std::uintptr_t, std::size_t, std::string_view>, std::size_t> first;
    for (const opened_block& block : blocks_) {
        const block_kind& kind = kinds[block.kind];
        printed.clear();
        kind.print(scratch, block.record, block.parent);
        scratch.flush();
        const bool written = !printed.empty();
        const text key = kind.key(block.record);
        if (!key.present()) {
            found_.push_back(
                {block.at, cat(kind.noun, " without a ", kind.key_noun, ": ",
                               written ? kind.without_key : "nothing is written for it")});
            continue;
        }
        const std::string name = cat('"', key.view(), '"');
        const auto [at, fresh] = first.try_emplace(
            {reinterpret_cast<std::uintptr_t>(block.parent), block.kind, key.view()}, block.at);
        if (!fresh) {
            found_.push_back({block.at,
                              cat("another ", kind.noun, " with ", kind.key_noun, " ", name,
                                  kind.parent_noun.empty() ? "" : " in this ", kind.parent_noun,
                                  "; not merged with the one at "),
                              at->second});
        }
        if (!written)
            found_.push_back(
                {block.at, cat(kind.noun, " ", name, " is not written: ", kind.why_unwritten)});
    }
    std::stable_sort(found_.begin(), found_.end(),
                     [](const pending& x, const pending& y) { return x.at < y.at; });

    // Line and column of every place named, counted in one pass.
    std::map<std::size_t, text_position> positions;
    for (const pending& p : found_) {
        positions.try_emplace(p.at);
        if (p.earlier != no_earlier) positions.try_emplace(p.earlier);
    }
    line_counter lines(input_);
    for (auto& [at, position] : positions) position = lines.at(at);

    std::vector<warning> warnings;
    warnings.reserve(found_.size());
    for (pending& p : found_) {
        const text_position& here = positions[p.at];
        if (p.earlier != no_earlier) {
            const text_position& there = positions[p.earlier];
            p.message +=
                cat(std::to_string(there.line), ":", std::to_string(there.column), p.after);
        }
        warnings.push_back(
            {p.at, here.line, here.column, here.line_begin, here.line_end, std::move(p.message)});
    }
    return warnings;
}

} // namespace morvane
