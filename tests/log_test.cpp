// Diagnostic log sinks. (The demo's random sequence is pinned by the golden
// pictures, whose placements follow it.)
#include "core/log.h"
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
