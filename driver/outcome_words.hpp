#pragma once
// Each outcome's name for scripts (the page's binding) and its text for people
// (describe()).

#include "model/error.hpp"

#include <morvane/morvane.hpp>

#include <iterator>
#include <string_view>

namespace morvane {

struct outcome_words {
    std::string_view name, text;
};

// Indexed by outcome.
inline constexpr outcome_words outcome_table[] = {
    {"success", "Success"},
    {"parse_failure", "Not a well-formed project"},
    {"read_failure", "Unable to read the input"},
    {"write_failure", "Unable to write the output"},
    {"out_of_memory", errors[error_out_of_memory]},
};
static_assert(std::size(outcome_table) == static_cast<std::size_t>(outcome::out_of_memory) + 1);

} // namespace morvane
