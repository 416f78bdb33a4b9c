#pragma once
// Runs a program whose files may not grow past a size limit, so that writes fail
// the way they do on a full disk: past the limit each write fails with EFBIG
// (the signal that would otherwise end the process is ignored).

#include "support/run_program.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace morvane::testing {

run_result run_program_with_file_limit(const std::string& program,
                                       const std::vector<std::string>& args,
                                       std::uint64_t max_file_bytes);

} // namespace morvane::testing
