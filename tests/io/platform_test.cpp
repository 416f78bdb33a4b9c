// A run kept to fewer processors than the machine has (taskset, a container's
// processor set) splits its work for those it may use.

#include "io/platform.hpp"

#include <gtest/gtest.h>

#if defined(__linux__)
#include "support/one_processor.hpp"
#endif

namespace morvane {
namespace {

TEST(platform, processors_available_are_those_the_thread_may_use) {
    const unsigned all = platform::processors_available();
    EXPECT_GE(all, 1U);
#if defined(__linux__)
    {
        const on_one_processor pinned;
        EXPECT_EQ(platform::processors_available(), 1U);
    }
    EXPECT_EQ(platform::processors_available(), all);
#endif
}

} // namespace
} // namespace morvane
