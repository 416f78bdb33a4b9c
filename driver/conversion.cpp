#include "driver/conversion.hpp"

#include "containers/list_sort.hpp"
#include "model/operations.hpp"
#include "writer/print.hpp"

namespace morvane {

bool conversion::parse(input_source& in, warning_collector* notes) {
    parser_.set_input(in);
    parser_.record_positions(notes != nullptr);
    const bool matched =
        (notes == nullptr ? parser_.yyparse(builder_)
                          : parser_.yyparse(builder_, [&](std::uint8_t id, std::string_view text) {
                                notes->observe(id, text, parser_.buffered(), builder_);
                            })) != 0;
    // The document's texts point into the input the parser read.
    if (matched) doc_.retain(parser_.take_input());
    return matched;
}

void conversion::write(output_sink& out) {
    writer w(out);
    print_document(w, doc_);
    w.flush();
}

project_counts count_records(const document& doc) noexcept {
    project_counts n;
    n.characters = doc.character_list.size();
    for (const character* c : doc.character_list) {
        n.animations += c->anims.size();
        for (const anim* a : c->anims) n.animation_frames += a->anim_frames.size();
    }
    n.frames = doc.frame_list.size();
    for (const frame* f : doc.frame_list) {
        n.sprites += f->sprites.size();
        n.points += f->points.size();
        n.collision_rectangles += f->colrects.size();
    }
    n.charmaps = doc.charmap_list.size();
    return n;
}

void print_document(writer& out, document& doc) {
    if (!doc.character_list.empty()) {
        list_sort(doc.character_list, compare_characters, characters_prefix);
        for (character* c : doc.character_list) print_character(out, c);
    }
    if (!doc.charmap_list.empty()) {
        out.output_string(0, "[charmaps]\n");
        list_sort(doc.charmap_list, compare_charmaps, charmaps_prefix);
        for (const charmap* c : doc.charmap_list) print_charmap(out, c);
    }
    if (!doc.frame_list.empty()) {
        list_sort(doc.frame_list, compare_frames, frames_prefix);
        for (frame* f : doc.frame_list) print_frame(out, f);
    }
}

} // namespace morvane
