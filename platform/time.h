// The clock's source: a monotonic counter and a millisecond sleep.
// Implementations: platform/posix/time.cpp (the player and the tools on
// Linux), platform/win32/time.cpp (the performance counter and Sleep with a
// 1 ms timer period); tests link their own.
#pragma once
#include <cstdint>

// Counts of a monotonic counter, and its counts per second.
int64_t platform_counter();
int64_t platform_counter_frequency();
// Sleeps about `ms` milliseconds; 0 only yields the processor.
void platform_sleep_ms(uint32_t ms);
