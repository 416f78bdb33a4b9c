#include "model/error.hpp"

#include <string>

namespace morvane {

namespace {
std::string_view message_for(int index) {
    return index >= 0 && static_cast<std::size_t>(index) < errors.size()
               ? errors[static_cast<std::size_t>(index)]
               : errors[error_unknown];
}
} // namespace

fatal_error::fatal_error(int index)
    : std::runtime_error(std::string(message_for(index))), index_(index) {}

void error(int index) { throw fatal_error(index); }

} // namespace morvane
