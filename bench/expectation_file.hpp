#pragma once
// The expectation of a generated file, stored as three "name value" lines.

#include "project_generator.hpp"

#include <optional>

namespace morvane::bench {

[[nodiscard]] bool write_expectation(const char* path, const expectation& e);
[[nodiscard]] std::optional<expectation> read_expectation(const char* path);

} // namespace morvane::bench
