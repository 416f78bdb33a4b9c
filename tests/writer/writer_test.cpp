// The output primitive's indentation and placeholders, and its flush reaching the sink; the text of
// every section, and the file sink with its background writes, are checked end to end by the case
// files, the property test and the command-line tests.

#include "writer/print.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace morvane {
namespace {

TEST(output, indentation_and_placeholders) {
    std::string out;
    struct flush_counting_sink : string_sink {
        using string_sink::string_sink;
        int flushes = 0;
        void flush() override { ++flushes; }
    } sink(out);
    writer w(sink);
    w.output_string(1, "a%sb%s\n", std::string_view("%s"), std::string_view("x"));
    w.output_string(-1, "%s", std::string_view("end"));
    // A placeholder without a value is dropped; a lone "%" is kept.
    w.output_string(0, "|%s=%s%", std::string_view("k"));
    w.flush();
    EXPECT_EQ(std::pair(out, sink.flushes), std::pair(std::string("\ta%sbx\nend|k=%"), 1));
}

} // namespace
} // namespace morvane
