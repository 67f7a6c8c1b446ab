// The refresh-rate rule shared by every window layer: what the display
// reports, with the values platforms use for "unknown" or "default" replaced.
#pragma once
#include <cstdint>

// The rate in hertz to pace by: `reported`, or 60 when it is 50 or less
// (0 and 1 mean "default" on some platforms, and a real 50 Hz is paced as 60).
int32_t refresh_rate_from_reported(int32_t reported);
