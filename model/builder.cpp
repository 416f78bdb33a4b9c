#include "model/builder.hpp"

#include "model/error.hpp"

namespace morvane {

void builder::push(text value) {
    // A value that cannot be stacked would make the next pop take the wrong text.
    if (queue_push_head(text_stack, value) == 0) error(error_out_of_memory);
}

text builder::pop() { return queue_pop_head(text_stack); }

} // namespace morvane
