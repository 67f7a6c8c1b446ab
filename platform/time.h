// The clock's source: a monotonic counter and a millisecond sleep. One POSIX
// implementation serves the player and the tools; tests link their own.
#pragma once
#include <cstdint>

// Counts of a monotonic counter, and its counts per second.
int64_t platform_counter();
int64_t platform_counter_frequency();
// Sleeps about `ms` milliseconds; 0 only yields the processor.
void platform_sleep_ms(uint32_t ms);
