#include "model/counts.hpp"

namespace morvane {

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

} // namespace morvane
