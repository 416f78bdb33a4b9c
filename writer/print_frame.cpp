#include "containers/list_sort.hpp"
#include "model/operations.hpp"
#include "writer/print.hpp"

#include <array>

namespace morvane {
namespace {

// A sprite's lines, in field order, the order in which they are written.
constexpr std::array<output_format, static_cast<std::size_t>(sprite_field::count)> sprite_lines{
    "sprite %s angle=%s\n", "sprite %s color=%s\n", "sprite %s height=%s\n",
    "sprite %s image=%s\n", "sprite %s ink=%s\n",   "sprite %s opacity=%s\n",
    "sprite %s width=%s\n", "sprite %s x=%s\n",     "sprite %s x flip=%s\n",
    "sprite %s y=%s\n",     "sprite %s y flip=%s\n"};

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
        out.output_string(0, sprite_lines[static_cast<std::size_t>(decltype(field)::value)], i, v);
    });
}

} // namespace morvane
