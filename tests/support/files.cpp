#include "support/run_program.hpp"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace morvane::testing {

std::filesystem::path path_of(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string read_file(const std::string& path) {
    std::ifstream in(path_of(path), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), {}};
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path_of(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string scratch_dir(const std::string& name) {
    // Test programs may run side by side: each takes directories of its own.
    static const std::string own = std::to_string(std::random_device()());
    const auto dir =
        std::filesystem::temp_directory_path() / path_of("morvane-test-" + own + "-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::u8string utf8 = dir.u8string();
    return {utf8.begin(), utf8.end()};
}

} // namespace morvane::testing
