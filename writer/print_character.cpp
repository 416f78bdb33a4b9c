#include "containers/list_sort.hpp"
#include "model/operations.hpp"
#include "writer/print.hpp"

namespace morvane {

void print_character(writer& out, character* c) {
    if (c == nullptr) return;
    for (anim* a : c->anims) {
        out.output_string(0, "[char %s/anim ", c->name);
        print_anim(out, a);
    }
    if (!c->variables.empty()) {
        out.output_string(0, "[char %s/variables]\n", c->name);
        for (const variable* v : c->variables) print_variable(out, v);
    }
}

void print_anim(writer& out, anim* a) {
    if (a == nullptr) return;
    out.output_string(0, "%s]\n", a->name);
    for (anim_frame* f : a->anim_frames) print_anim_frame(out, f);
}

void print_anim_frame(writer& out, anim_frame* f) {
    if (f == nullptr) return;
    if (f->name.present()) out.output_string(0, "frame %s=%s\n", f->index, f->name);
    if (!f->variable_changes.empty()) {
        list_sort(f->variable_changes, compare_variable_changes, variable_changes_prefix);
        for (const variable_change* v : f->variable_changes) print_variable_change(out, f, v);
    }
    if (f->duration.present())
        out.output_string(0, "frame %s duration=%s\n", f->index, f->duration);
    if (!f->sounds.empty()) {
        list_sort(f->sounds, compare_sounds, sounds_prefix);
        for (const sound* s : f->sounds) print_sound(out, f, s);
    }
}

void print_variable_change(writer& out, const anim_frame* f, const variable_change* v) {
    if (f == nullptr || v == nullptr) return;
    if (v->name.present() && v->value.present())
        out.output_string(0, "frame %s :%s=%s\n", f->index, v->name, v->value);
}

void print_sound(writer& out, const anim_frame* f, const sound* s) {
    if (f == nullptr || s == nullptr) return;
    if (s->name.present())
        out.output_string(0, "frame %s sound %s=%s\n", f->index, s->index, s->name);
    if (s->volume.present())
        out.output_string(0, "frame %s sound %s volume=%s\n", f->index, s->index, s->volume);
}

void print_variable(writer& out, const variable* v) {
    if (v == nullptr) return;
    out.output_string(0, "%s=%s\n", v->name, v->default_value);
}

void print_charmap(writer& out, const charmap* c) {
    if (c == nullptr) return;
    if (c->name.present()) out.output_string(0, "%s=", c->name);
    for (const map* m : c->maps) print_map(out, m);
    out.output_string(0, "\n");
}

void print_map(writer& out, const map* m) {
    if (m == nullptr) return;
    if (m->folder.present() && m->display.present())
        out.output_string(0, "%s:%s,", m->folder, m->display);
}

} // namespace morvane
