// The output primitive and the file sink; the text of every section is checked
// end to end by the case files and the property test.

#include "writer/file_sink.hpp"
#include "writer/print.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace morvane {
namespace {

TEST(output, indentation_and_placeholders) {
    std::string out;
    string_sink sink(out);
    writer w(sink);
    w.output_string(1, "a%sb%s\n", std::string_view("%s"), std::string_view("x"));
    w.output_string(-1, "%s", std::string_view("end"));
    w.flush();
    EXPECT_EQ(out, "\ta%sbx\nend");
}

// Blocks written in the background reach the file whole and in order, around
// one written directly; a block that fails fails the flush at the latest.
TEST(file_sink, background_writes_arrive_in_order_and_a_failed_one_fails_the_run) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::string expected;
    {
        file_sink sink(file);
        for (char c = 'a'; c < 'f'; ++c) {
            const std::string block(std::size_t{1} << 19U, c);
            sink.write(block);
            expected += block;
            if (c == 'c') {
                const std::string direct(std::size_t{3} << 20U, 'D');
                sink.write(direct);
                expected += direct;
            }
        }
        sink.flush();
    }
    std::rewind(file);
    std::string written(expected.size() + 1, '\0');
    written.resize(std::fread(written.data(), 1, written.size(), file));
    std::fclose(file);
    EXPECT_TRUE(written == expected) << written.size() << " of " << expected.size() << " bytes";

    std::FILE* full = std::fopen("/dev/full", "w");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full here";
    const std::string block(std::size_t{1} << 19U, 'x');
    EXPECT_THROW(
        {
            file_sink sink(full);
            sink.write(block);
            sink.write(block);
            sink.flush();
        },
        write_error);
    std::fclose(full);
}

} // namespace
} // namespace morvane
