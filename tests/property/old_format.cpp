// Renders a project in the old format with random white space wherever the
// format allows it: after every "[", "]", ";" and "!", between a number or a
// name and its ";", and before the first block. Blanks, tabs, LF, CR and CRLF.

#include "property/project_model.hpp"

#include <array>
#include <string_view>

namespace morvane::testing {
namespace {

std::string_view keyword(block_kind k) {
    switch (k) {
    case block_kind::character:
        return "char";
    case block_kind::variable:
        return "var";
    case block_kind::anim:
        return "anim";
    case block_kind::anim_frame:
        return "frame";
    case block_kind::sound:
        return "sound";
    case block_kind::variable_change:
        return "variable change";
    case block_kind::charmap:
        return "charmap";
    case block_kind::map:
        return "map";
    case block_kind::frame:
        return "frame";
    case block_kind::sprite:
        return "sprite";
    case block_kind::colrect:
        return "colrect";
    case block_kind::point:
        return "point";
    }
    return {};
}

void add_spacing(std::string& out, random_bits& rng) {
    constexpr std::array<std::string_view, 8> pieces{" ",  "\t", "\n",   "\r\n",
                                                     "\r", "  ", "\t\t", "\n\n"};
    if (rng.chance(35)) return;
    for (std::size_t n = 1 + rng.below(3); n > 0; --n) out += pieces[rng.below(pieces.size())];
}

// What may stand between a statement's value and its ";". Blanks after a name
// would belong to the name, so spacing there starts with another byte; after
// the names of maps and inks, and after a path, nothing may stand.
void add_before_semicolon(std::string& out, const std::string& key, random_bits& rng) {
    if (key == "folder" || key == "display" || key == "ink" || key == "image") return;
    const std::size_t from = out.size();
    add_spacing(out, rng);
    if (key == "name" && out.size() > from && out[from] == ' ') out[from] = '\t';
}

class renderer {
  public:
    explicit renderer(random_bits& rng) : rng_(rng) {}

    void render(const block& b) {
        open(keyword(b.kind));
        // Statements may stand before, between and after the nested blocks.
        std::size_t s = 0;
        std::size_t c = 0;
        while (s < b.statements.size() || c < b.children.size()) {
            if (c == b.children.size() || (s < b.statements.size() && rng_.chance(50)))
                render(b.statements[s++]);
            else
                render(b.children[c++]);
        }
        out += '!';
        add_spacing(out, rng_);
    }

    void render(const statement& st) {
        open(st.key);
        out += st.value;
        add_before_semicolon(out, st.key, rng_);
        out += ';';
        add_spacing(out, rng_);
    }

    std::string out;

  private:
    // "[" KEYWORD "]": white space may follow each bracket, never precede "]".
    void open(std::string_view word) {
        out += '[';
        add_spacing(out, rng_);
        out += word;
        out += ']';
        add_spacing(out, rng_);
    }

    random_bits& rng_;
};

} // namespace

std::string old_format(const std::vector<block>& project, random_bits& rng) {
    renderer r(rng);
    add_spacing(r.out, rng);
    for (const block& b : project) r.render(b);
    return r.out;
}

} // namespace morvane::testing
