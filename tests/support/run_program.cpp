#include "support/run_program.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace morvane::testing {
namespace {

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

} // namespace

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string scratch_dir(const std::string& name) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("morvane-test-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

run_result run_program(const std::string& program, const std::vector<std::string>& args) {
    static int counter = 0;
    const std::string base = scratch_dir("run-" + std::to_string(counter++));
    std::string command = quote(program);
    for (const auto& a : args) command += " " + quote(a);
    command += " >" + quote(base + "/stdout") + " 2>" + quote(base + "/stderr") + " </dev/null";
    const int raw = std::system(command.c_str());
    run_result r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = read_file(base + "/stdout");
    r.err = read_file(base + "/stderr");
    std::filesystem::remove_all(base);
    return r;
}

} // namespace morvane::testing
