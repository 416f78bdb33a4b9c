#pragma once
// The state through which the parser's actions fill a document: the text stack
// that carries each captured value to the statement that stores it, one cursor
// per record type, and the counters that generate sprite, animation-frame and
// sound indices. One builder per conversion.

#include "containers/queue.hpp"
#include "model/document.hpp"

#include <cstdint>

namespace morvane {

class builder {
  public:
    explicit builder(document& target) : doc(target) {}

    // Puts a value on the text stack. Values point into the retained input, so
    // nothing is copied.
    void push(text value) {
        if (holds_top_ && queue_push_head(text_stack, top_) == 0) [[unlikely]]
            stack_exhausted();
        top_ = value;
        holds_top_ = true;
    }
    // Takes the value on top of the text stack, or an absent text when it is empty.
    [[nodiscard]] text pop() {
        if (!holds_top_) return queue_pop_head(text_stack);
        holds_top_ = false;
        return top_;
    }

    document& doc;
    // The stack below its top value. Every statement pushes its value and
    // pops it at once, so the top is kept here, outside the queue. Against
    // push and pop on the queue (bench/ledger.sh), instructions: realistic
    // 10 MiB 256.2M with, 275.3M without; sprites-in-one-frame 100k 181.1M
    // with, 189.9M without; peak memory unchanged.
    queue<text> text_stack;

    // current_frame, current_sprite, ...: the record each statement fills.
#define MORVANE_CURSOR(R, ...) R* current_##R = nullptr;
    MORVANE_KEYED_RECORDS(MORVANE_CURSOR)
#undef MORVANE_CURSOR

    std::int64_t sprite_count = 0;
    std::int64_t anim_frame_count = 0;
    std::int64_t sound_count = 0;

  private:
    text top_;
    bool holds_top_ = false;

    // A value that cannot be stacked would make the next pop take the wrong
    // text: the conversion ends as out of memory.
    [[noreturn]] static void stack_exhausted();
};

} // namespace morvane
