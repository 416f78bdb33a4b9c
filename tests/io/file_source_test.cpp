// A file read in pieces at once gives the bytes one plain read after another
// gives, also when the file shrinks or grows after its size was taken.

#include "io/file_source.hpp"
#include "support/run_program.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace morvane {
namespace {

std::string bytes_of(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + i % 23);
    return s;
}

TEST(file_source, pieces_give_what_reads_in_order_give) {
#if defined(_WIN32)
    GTEST_SKIP() << "a file open for reading is not resized on Windows";
#endif
    const std::string path = testing::scratch_dir("pieces") + "/input.old";
    constexpr std::size_t told = 1000;
    for (const std::size_t now : {0U, 1U, 333U, 999U, 1000U, 1500U})
        for (const std::size_t pieces : {1U, 2U, 3U, 8U}) {
            testing::write_file(path, bytes_of(told));
            std::FILE* file = std::fopen(path.c_str(), "rb");
            ASSERT_NE(file, nullptr);
            ASSERT_EQ(std::fseek(file, 1, SEEK_SET), 0); // read on from where the stream is
            file_source source(file);
            testing::write_file(path, bytes_of(now)); // after the size was taken
            std::string got(told - 1, '\0');
            got.resize(source.read_in_pieces(got.data(), got.size(), pieces));
            char rest[64];
            while (const std::size_t n = source.read(rest, sizeof rest)) got.append(rest, n);
            std::fclose(file);
            EXPECT_EQ(got, bytes_of(now).substr(std::min<std::size_t>(now, 1)))
                << now << " bytes at the read, " << pieces << " pieces";
        }
}

} // namespace
} // namespace morvane
