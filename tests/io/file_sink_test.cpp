// The background file writer: copies and blocks handed to it reach the file in
// order, whatever their sizes.

#include "io/command_platform.hpp"
#include "io/file_sink.hpp"
#include "support/run_program.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace morvane {
namespace {

// Each block is handed over between copies larger than it, the second copy
// shorter than the first, then one written directly: the block a write_block
// keeps is known to be as large as the caller's, not as the copy before it.
TEST(file_sink, copies_and_blocks_reach_the_file_in_order_whatever_their_sizes) {
    const std::string path = testing::scratch_dir("file-sink") + "/out";
    std::FILE* file = platform::open_file(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    const std::size_t size = std::size_t{1} << 20U;
    large_block block = allocate_large_block(size);
    std::string written;
    {
        file_sink sink(file);
        for (const std::size_t copied : {size * 3 / 2, size * 5 / 4, size * 3}) {
            std::memset(block.get(), 'b', size);
            sink.write_block(block, size, size);
            const std::string copy(copied, static_cast<char>('c' + copied % 7));
            sink.write(copy);
            written += std::string(size, 'b') + copy;
        }
        sink.flush();
    }
    ASSERT_EQ(std::fclose(file), 0);
    EXPECT_TRUE(testing::read_file(path) == written);
}

} // namespace
} // namespace morvane
