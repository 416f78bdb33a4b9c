#include "containers/list_sort.hpp"
#include "model/operations.hpp"
#include "model/sprite_statements.hpp"
#include "writer/print.hpp"

namespace morvane {
namespace {

template <std::size_t N> struct fixed_text { char bytes[N]; };

// A sprite field's line, "sprite %s KEYWORD=%s\n", named as the statement that
// sets the field: a literal format, whose placeholders are found at compile time.
template <sprite_field F>
constexpr auto sprite_line = [] {
    constexpr std::string_view parts[] = {"sprite %s ", sprite_keyword(F), "=%s\n"};
    fixed_text<parts[0].size() + parts[1].size() + parts[2].size() + 1> line{};
    std::size_t n = 0;
    for (const std::string_view part : parts)
        for (const char c : part) line.bytes[n++] = c;
    return line;
}();

} // namespace

void print_frame(writer& out, frame* f) {
    if (f == nullptr) return;
    out.output_string(0, "[frame %s]\n", f->name);
    if (!f->colrects.empty()) {
        list_sort(f->colrects, compare_colrects, colrects_prefix);
        for (const colrect* c : f->colrects) print_colrect(out, c);
    }
    if (!f->points.empty()) {
        list_sort(f->points, compare_points, points_prefix);
        for (const point* p : f->points) print_point(out, p);
    }
    if (!f->sprites.empty()) {
        list_sort(f->sprites, compare_sprites, sprites_prefix);
        for (const sprite* s : f->sprites) print_sprite(out, s);
    }
}

void print_colrect(writer& out, const colrect* c) {
    if (c == nullptr) return;
    if (c->height.present()) out.output_string(0, "colrect %s height=%s\n", c->name, c->height);
    if (c->value.present()) out.output_string(0, "colrect %s value=%s\n", c->name, c->value);
    if (c->width.present()) out.output_string(0, "colrect %s width=%s\n", c->name, c->width);
    if (c->x.present()) out.output_string(0, "colrect %s x=%s\n", c->name, c->x);
    if (c->y.present()) out.output_string(0, "colrect %s y=%s\n", c->name, c->y);
    if (c->color.present()) out.output_string(0, "colrect: %s=%s\n", c->name, c->color);
}

void print_point(writer& out, const point* p) {
    if (p == nullptr) return;
    if (p->x.present()) out.output_string(0, "point %s x=%s\n", p->name, p->x);
    if (p->y.present()) out.output_string(0, "point %s y=%s\n", p->name, p->y);
    if (p->type.present()) out.output_string(0, "point: %s=%s\n", p->name, p->type);
}

void print_sprite(writer& out, const sprite* s) {
    if (s == nullptr) return;
    const std::string_view i = s->index.view();
    s->for_each_present([&out, i](auto field, const text& v) {
        static constexpr output_format line{sprite_line<decltype(field)::value>.bytes};
        out.output_string(0, line, i, v);
    });
}

} // namespace morvane
