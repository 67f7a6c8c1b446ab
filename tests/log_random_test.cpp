// Diagnostic log sinks and the demo's random sequence.
#include "core/log.h"
#include "core/random.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

// Formatted text of any length reaches the sink; without one it is dropped.
TEST(DiagLog, SinkReceivesTheFormattedTextAndDetachingStopsIt)
{
    std::vector<std::string> lines;
    {
        LogCapture capture;
        diag_log("Error: Couldn't find scene %s on line %i!\n", std::string(2000, 'x').c_str(), 12);
        lines = capture.lines;
    }
    diag_log("nobody listens %d\n", 1);
    const std::string expected = "Error: Couldn't find scene " + std::string(2000, 'x') + " on line 12!\n";
    EXPECT_EQ(lines, std::vector<std::string>{expected});
}

// The sequence the effects' placements depend on, from its unseeded start.
TEST(DemoRand, FollowsTheLinearCongruentialSequenceFromStateOne)
{
    const int32_t expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int32_t value : expected)
        EXPECT_EQ(demo_rand(), value);
    for (int i = 0; i < 100000; ++i) {
        int32_t r = demo_rand();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, DEMO_RAND_MAX);
    }
}
