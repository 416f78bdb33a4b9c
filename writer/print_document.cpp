#include "containers/at_once.hpp"
#include "containers/list_sort.hpp"
#include "model/operations.hpp"
#include "writer/print.hpp"

namespace morvane {

void print_document(writer& out, document& doc, std::size_t threads, std::size_t batch_records) {
    // With threads to spare, the frames are sorted on a thread of their own
    // while this one prints the characters and charmaps.
    const std::size_t at_once = threads > 1 ? 2 : 1;
    run_all_at_once(at_once, [&](std::size_t task) {
        if (task == 0) {
            list_sort(doc.character_list, compare_characters, characters_prefix, threads);
            for (character* c : doc.character_list) print_character(out, c);
            if (!doc.charmap_list.empty()) out.output_string(0, "[charmaps]\n");
            list_sort(doc.charmap_list, compare_charmaps, charmaps_prefix, threads);
            for (const charmap* c : doc.charmap_list) print_charmap(out, c);
        }
        if (task == at_once - 1) list_sort(doc.frame_list, compare_frames, frames_prefix, threads);
    });
    if (!doc.frame_list.empty()) print_frames(out, doc.frame_list, threads, batch_records);
}

} // namespace morvane
