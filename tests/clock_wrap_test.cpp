// Clock wrapping of the effects: broken steps (tiny negative, huge, infinite, NaN) land inside the cycle without
// hanging. (Ordinary steps: the golden pictures.)
#include "effects/clock_wrap.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(ClockWrap, BrokenValuesLandInsideTheCycle)
{
    EXPECT_EQ(wrap_into(-1e-17, 0.0, 6.0), 0.0) << "a value that rounds up to the end wraps again";
    for (double value : {std::nan(""), HUGE_VAL, -HUGE_VAL, 1e300, -1e300, 1e17 + 0.5, -1e-300}) {
        const double into = wrap_into(value, 0.0, 6.0);
        EXPECT_TRUE(into >= 0.0 && into < 6.0) << value << " -> " << into;
        const double window = wrap_into(value, 0.0, 12.0);
        EXPECT_TRUE(window >= 0.0 && window < 12.0) << value << " -> " << window;
        const double above = wrap_above(value, 6.283184, 3.141592);
        EXPECT_TRUE(std::isfinite(above) || value == -HUGE_VAL) << value;
        EXPECT_LE(above, 6.283184) << value;
        const double below = wrap_below(value, -128.0, 704.0);
        EXPECT_TRUE(std::isfinite(below) || value == HUGE_VAL) << value;
        EXPECT_GE(below, -128.0) << value;
    }
    // The remainder is kept, not just any value in range.
    EXPECT_DOUBLE_EQ(wrap_at_or_above(6e6 + 1.5, 6.0, 6.0), 1.5);
    EXPECT_DOUBLE_EQ(wrap_below(-70400.0 + 3.0, -128.0, 704.0), 3.0);
}
