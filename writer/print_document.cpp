#include "containers/list_sort.hpp"
#include "model/operations.hpp"
#include "writer/print.hpp"

namespace morvane {

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
