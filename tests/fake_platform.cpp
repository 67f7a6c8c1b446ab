// The tests' platform: time and the display's reported refresh rate under the
// tests' control; the refresh-rate rule itself is the window layers' own.
#include "tests/fake_platform.h"

#include "platform/refresh_rate.h"
#include "platform/time.h"
#include "platform/window.h"

FakePlatform g_fake;

int64_t platform_counter()
{
    int64_t now = g_fake.counter;
    g_fake.counter += g_fake.advancePerRead;
    return now;
}

int64_t platform_counter_frequency()
{
    return 1000000;
}

void platform_sleep_ms(uint32_t ms)
{
    g_fake.sleeps.push_back(ms);
    g_fake.counter += static_cast<int64_t>(ms) * 1000;
}

int32_t get_refresh_rate()
{
    return refresh_rate_from_reported(g_fake.refreshRate);
}
