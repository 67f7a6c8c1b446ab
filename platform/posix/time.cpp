// The clock's source on Linux: CLOCK_MONOTONIC in nanoseconds, nanosleep.
#include "platform/time.h"

#include <sched.h>
#include <time.h>

int64_t platform_counter()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

int64_t platform_counter_frequency()
{
    return 1000000000;
}

void platform_sleep_ms(uint32_t ms)
{
    if (ms == 0) {
        sched_yield();
        return;
    }
    timespec request{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    timespec remaining{};
    while (nanosleep(&request, &remaining) != 0)
        request = remaining;
}
