#pragma once
// Runs a program with arguments and collects its exit status and both streams.

#include <string>
#include <vector>

namespace morvane::testing {

struct run_result {
    int status = -1;
    std::string out;
    std::string err;
};

run_result run_program(const std::string& program, const std::vector<std::string>& args);

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
// A fresh empty directory for one test.
std::string scratch_dir(const std::string& name);

} // namespace morvane::testing
