#include "containers/list_sort.hpp"
#include "model/operations.hpp"
#include "writer/print.hpp"

namespace morvane {

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
    // The present values come in field order, which is the order of the lines.
    s->for_each_present([&out, &i](sprite_field f, const text& v) {
        switch (f) {
        case sprite_field::angle:
            return out.output_string(0, "sprite %s angle=%s\n", i, v);
        case sprite_field::color:
            return out.output_string(0, "sprite %s color=%s\n", i, v);
        case sprite_field::height:
            return out.output_string(0, "sprite %s height=%s\n", i, v);
        case sprite_field::image:
            return out.output_string(0, "sprite %s image=%s\n", i, v);
        case sprite_field::ink:
            return out.output_string(0, "sprite %s ink=%s\n", i, v);
        case sprite_field::opacity:
            return out.output_string(0, "sprite %s opacity=%s\n", i, v);
        case sprite_field::width:
            return out.output_string(0, "sprite %s width=%s\n", i, v);
        case sprite_field::x:
            return out.output_string(0, "sprite %s x=%s\n", i, v);
        case sprite_field::x_flip:
            return out.output_string(0, "sprite %s x flip=%s\n", i, v);
        case sprite_field::y:
            return out.output_string(0, "sprite %s y=%s\n", i, v);
        case sprite_field::y_flip:
            return out.output_string(0, "sprite %s y flip=%s\n", i, v);
        case sprite_field::count:
            return;
        }
    });
}

} // namespace morvane
