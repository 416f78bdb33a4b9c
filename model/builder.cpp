#include "model/builder.hpp"

#include "model/error.hpp"

namespace morvane {

void builder::stack_exhausted() { error(error_out_of_memory); }

} // namespace morvane
