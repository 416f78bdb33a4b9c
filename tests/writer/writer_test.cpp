// The output primitive's indentation and placeholders; the text of every section,
// and the file sink with its background writes, are checked
// end to end by the case files, the property test and the command-line tests.

#include "writer/print.hpp"

#include <gtest/gtest.h>

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

} // namespace
} // namespace morvane
