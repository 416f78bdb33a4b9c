#pragma once
// The twelve record types of a project, in three trees rooted at the document's
// frame, character and charmap lists. Fields keep their declaration order; a
// record's lists point to its children, which live in the document's arena.

#include "containers/list.hpp"
#include "model/text.hpp"

namespace morvane {

using allocator = arena_allocator;

struct sprite {
    text index; // key: "0", "1", ... within its frame
    text angle, height, width, image, color, ink, opacity, x, y, x_flip, y_flip;
};

struct colrect {
    text name; // key
    text color, x, y, width, height, value;
};

struct point {
    text name; // key
    text type, x, y;
};

struct frame {
    explicit frame(allocator a) : sprites(a), colrects(a), points(a) {}
    text name; // key
    list<sprite> sprites;
    list<colrect> colrects;
    list<point> points;
};

struct sound {
    text index; // key: "0", "1", ... within its animation frame
    text name, volume;
};

struct variable_change {
    text name; // key
    text value;
};

struct anim_frame {
    explicit anim_frame(allocator a) : sounds(a), variable_changes(a) {}
    text index; // key: "0", "1", ... within its animation
    text name, duration;
    list<sound> sounds;
    list<variable_change> variable_changes;
};

struct anim {
    explicit anim(allocator a) : anim_frames(a) {}
    text name; // key
    list<anim_frame> anim_frames;
};

struct variable {
    text name; // key
    text default_value;
};

struct character {
    explicit character(allocator a) : variables(a), anims(a) {}
    text name; // key
    list<variable> variables;
    list<anim> anims;
};

struct map {
    text folder; // key
    text display;
};

struct charmap {
    explicit charmap(allocator a) : maps(a) {}
    text name; // key
    list<map> maps;
};

} // namespace morvane
