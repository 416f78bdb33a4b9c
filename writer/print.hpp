#pragma once
// The sections of the new format. Every function accepts a null record and then
// writes nothing. Lists that the format orders are sorted in place first.

#include "model/document.hpp"
#include "model/records.hpp"
#include "writer/output.hpp"

namespace morvane {

// The whole document: characters, then the charmaps line and charmaps, then
// frames, each group sorted by name. The frames are printed on up to `threads`
// threads, in batches of about `batch_records` records (a frame with its
// sprites, points and collision rectangles), each into memory and then handed
// on in order; a frame larger than a batch is printed straight to `out`.
void print_document(writer& out, document& doc, std::size_t threads = 1,
                    std::size_t batch_records = 4096);

// The sorted frames; see print_document.
void print_frames(writer& out, const list<frame>& frames, std::size_t threads,
                  std::size_t batch_records);
void print_frame(writer& out, frame* f);
void print_colrect(writer& out, const colrect* c);
void print_point(writer& out, const point* p);
void print_sprite(writer& out, const sprite* s);

void print_character(writer& out, character* c);
void print_anim(writer& out, anim* a);
void print_anim_frame(writer& out, anim_frame* f);
void print_sound(writer& out, const anim_frame* f, const sound* s);
void print_variable_change(writer& out, const anim_frame* f, const variable_change* v);
void print_variable(writer& out, const variable* v);
void print_charmap(writer& out, const charmap* c);
void print_map(writer& out, const map* m);

} // namespace morvane
