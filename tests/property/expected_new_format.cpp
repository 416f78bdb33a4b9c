// The new-format text of a project, worked out from the blocks alone: sections
// in their fixed order, groups sorted by name with the partition sort's tie
// order, absent names sorting first and printing as empty text.

#include "property/project_model.hpp"
#include "support/partition_sort.hpp"

#include <algorithm>
#include <string_view>

namespace morvane::testing {
namespace {

using name_of = const std::string*; // null when the block gave no name

int compare_names(name_of a, name_of b) {
    if (a == nullptr || b == nullptr) return (a != nullptr ? 1 : 0) - (b != nullptr ? 1 : 0);
    const int c = a->compare(*b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::vector<const block*> sorted_by(std::vector<const block*> blocks, const std::string& key) {
    return partition_sorted(blocks, [&key](const block* a, const block* b) {
        return compare_names(a->last(key), b->last(key));
    });
}

std::string shown(name_of n) { return n != nullptr ? *n : ""; }

class expectation {
  public:
    void characters(const std::vector<const block*>& all) {
        for (const block* c : sorted_by(all, "name")) {
            const std::string name = shown(c->last("name"));
            for (const block* a : c->children_of(block_kind::anim)) {
                out += "[char " + name + "/anim " + shown(a->last("name")) + "]\n";
                const auto frames = a->children_of(block_kind::anim_frame);
                for (std::size_t i = 0; i < frames.size(); ++i)
                    anim_frame(*frames[i], std::to_string(i));
            }
            const auto variables = c->children_of(block_kind::variable);
            if (variables.empty()) continue;
            out += "[char " + name + "/variables]\n";
            for (const block* v : variables)
                out += shown(v->last("name")) + "=" + shown(v->last("default")) + "\n";
        }
    }

    void anim_frame(const block& f, const std::string& index) {
        const std::string head = "frame " + index;
        if (const auto* name = f.last("name")) out += head + "=" + *name + "\n";
        for (const block* v : sorted_by(f.children_of(block_kind::variable_change), "name")) {
            const auto* name = v->last("name");
            const auto* value = v->last("value");
            if (name != nullptr && value != nullptr)
                out += head + " :" + *name + "=" + *value + "\n";
        }
        if (const auto* duration = f.last("duration"))
            out += head + " duration=" + *duration + "\n";
        // Sounds go by their index as text: 0, 1, 10, 11, 2, ...
        const auto sounds = f.children_of(block_kind::sound);
        std::vector<std::pair<std::string, const block*>> by_index;
        for (std::size_t i = 0; i < sounds.size(); ++i)
            by_index.emplace_back(std::to_string(i), sounds[i]);
        std::sort(by_index.begin(), by_index.end());
        for (const auto& [i, s] : by_index) {
            if (const auto* name = s->last("name"))
                out += head + " sound " + i + "=" + *name + "\n";
            if (const auto* volume = s->last("volume"))
                out += head + " sound " + i + " volume=" + *volume + "\n";
        }
    }

    void charmaps(const std::vector<const block*>& all) {
        if (all.empty()) return;
        out += "[charmaps]\n";
        for (const block* c : sorted_by(all, "name")) {
            if (const auto* name = c->last("name")) out += *name + "=";
            for (const block* m : c->children_of(block_kind::map)) {
                const auto* folder = m->last("folder");
                const auto* display = m->last("display");
                if (folder != nullptr && display != nullptr) out += *folder + ":" + *display + ",";
            }
            out += "\n";
        }
    }

    void frames(const std::vector<const block*>& all) {
        for (const block* f : sorted_by(all, "name")) {
            out += "[frame " + shown(f->last("name")) + "]\n";
            for (const block* c : sorted_by(f->children_of(block_kind::colrect), "name")) {
                const std::string name = shown(c->last("name"));
                for (const char* key : {"height", "value", "width", "x", "y"})
                    if (const auto* v = c->last(key))
                        out += "colrect " + name + " " + key + "=" + *v + "\n";
                if (const auto* v = c->last("color")) out += "colrect: " + name + "=" + *v + "\n";
            }
            for (const block* p : sorted_by(f->children_of(block_kind::point), "name")) {
                const std::string name = shown(p->last("name"));
                for (const char* key : {"x", "y"})
                    if (const auto* v = p->last(key))
                        out += "point " + name + " " + key + "=" + *v + "\n";
                if (const auto* v = p->last("type")) out += "point: " + name + "=" + *v + "\n";
            }
            const auto sprites = f->children_of(block_kind::sprite);
            for (std::size_t i = 0; i < sprites.size(); ++i) {
                for (const char* key : {"angle", "color", "height", "image", "ink", "opacity",
                                        "width", "x", "x flip", "y", "y flip"})
                    if (const auto* v = sprites[i]->last(key))
                        out += "sprite " + std::to_string(i) + " " + key + "=" + *v + "\n";
            }
        }
    }

    std::string out;
};

std::vector<const block*> top_level(const std::vector<block>& project, block_kind k) {
    std::vector<const block*> found;
    for (const block& b : project)
        if (b.kind == k) found.push_back(&b);
    return found;
}

} // namespace

std::string expected_new_format(const std::vector<block>& project) {
    expectation e;
    e.characters(top_level(project, block_kind::character));
    e.charmaps(top_level(project, block_kind::charmap));
    e.frames(top_level(project, block_kind::frame));
    return e.out;
}

} // namespace morvane::testing
