// Diagnostic log sinks and the demo's random sequence.
#include "core/log.h"
#include "core/random.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

TEST(DiagLog, SinkReceivesTheFormattedTextAndDetachingStopsIt)
{
    std::vector<std::string> lines;
    {
        LogCapture capture;
        diag_log("ParamManager: Warning: line %i of %s\n", 12, "data/demo.conf");
        std::string longName(2000, 'x');
        diag_log("Error: Couldn't find scene %s in scene list!\n", longName.c_str());
        lines = capture.lines;
    }
    diag_log("nobody listens %d\n", 1); // discarded without a sink
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "ParamManager: Warning: line 12 of data/demo.conf\n");
    EXPECT_EQ(lines[1], "Error: Couldn't find scene " + std::string(2000, 'x') + " in scene list!\n");
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
