// A platform of the tests' own for the clock and pacing: a counter they set,
// a sleep that only records, the refresh rate the display reports.
#pragma once
#include <cstdint>
#include <vector>

struct FakePlatform {
    int64_t counter = 0;                 // in microseconds (frequency 1,000,000)
    int32_t refreshRate = 60;            // as the display reports it
    std::vector<uint32_t> sleeps;        // every platform_sleep_ms call
    int64_t advancePerRead = 0;          // added to the counter after each read
};
extern FakePlatform g_fake;
