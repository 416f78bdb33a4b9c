#pragma once
// How many records of each kind a document holds.

#include "model/document.hpp"

#include <morvane/morvane.hpp>

namespace morvane {

[[nodiscard]] project_counts count_records(const document& doc) noexcept;

} // namespace morvane
