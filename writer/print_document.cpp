#include "containers/at_once.hpp"
#include "containers/list_sort.hpp"
#include "model/operations.hpp"
#include "writer/print.hpp"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace morvane {
namespace {

// The frames in order, a round of batches at a time: each batch is printed on a
// thread of its own into memory, and while one round is printed this thread
// writes the round before it, in order. Only this thread writes to `out`, so
// whatever holds for its writes (an interruption leaves no half-written file)
// holds for all.
void print_frames(writer& out, const list<frame>& frames, std::size_t threads,
                  std::size_t batch_records) {
    const auto records = [](const frame* f) {
        return 1 + f->sprites.size() + f->points.size() + f->colrects.size();
    };
    struct batch {
        std::string text;
        string_sink sink{text};
        writer w{sink};
        std::vector<frame*> frames;
    };
    if (threads < 2) batch_records = 0; // every frame straight to `out`
    std::array<std::vector<std::unique_ptr<batch>>, 2> rounds;
    for (auto& round : rounds)
        for (std::size_t i = 0; i < threads && batch_records > 0; ++i)
            round.push_back(std::make_unique<batch>());
    std::size_t printing = 0; // the round being printed; the other one waits to be written
    std::size_t waiting = 0;  // how many of the other round's batches hold text
    const auto write_waiting = [&] {
        for (std::size_t i = 0; i < waiting; ++i) {
            batch& b = *rounds[1 - printing][i];
            out.write_bytes(b.text); // what did not fit in the batch's writer
            b.text.clear();
            out.take_buffered(b.w);
            b.frames.clear();
        }
        waiting = 0;
    };
    auto* next = frames.head;
    while (next != nullptr) {
        std::vector<std::unique_ptr<batch>>& round = rounds[printing];
        std::size_t filled = 0;
        for (; filled < threads && next != nullptr && records(next->data) <= batch_records;
             ++filled) {
            std::vector<frame*>& taken = round[filled]->frames;
            for (std::size_t n = 0; next != nullptr && n + records(next->data) <= batch_records;
                 next = next->next)
                n += records(next->data), taken.push_back(next->data);
        }
        if (filled > 0) {
            run_all_at_once(filled, [&](std::size_t i) {
                if (i == 0) write_waiting();
                batch& b = *round[i];
                for (frame* f : b.frames) print_frame(b.w, f);
            });
            waiting = filled;
            printing = 1 - printing;
        }
        if (filled < threads && next != nullptr) { // a frame larger than a batch
            write_waiting();
            print_frame(out, next->data);
            next = next->next;
        }
    }
    write_waiting();
}

} // namespace

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
