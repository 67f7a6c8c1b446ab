// Clock, running statistics, pacing, the key table and the effects' clock wrapping, on a fake platform: a
// counter the test sets, sleeps that only record, the reported rate run through the real refresh-rate rule.
#include "core/clock.h"
#include "core/keys.h"
#include "effects/clock_wrap.h"
#include "platform/shared/refresh_rate.h"
#include "platform/time.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

namespace {

struct FakePlatform {
    int64_t counter = 0;          // in microseconds (frequency 1,000,000)
    std::vector<uint32_t> sleeps; // every platform_sleep_ms call
    int64_t advancePerRead = 0;   // added to the counter after each read
} s_fake;

} // namespace

int64_t platform_counter()
{
    int64_t now = s_fake.counter;
    s_fake.counter += s_fake.advancePerRead;
    return now;
}
int64_t platform_counter_frequency() { return 1000000; }
void platform_sleep_ms(uint32_t ms)
{
    s_fake.sleeps.push_back(ms);
    s_fake.counter += static_cast<int64_t>(ms) * 1000;
}

// The 49th sample overwrites the first; equal samples have no spread (never NaN). (One sample: pacing's test.)
TEST(RunningStats, SumsWindowAndEmptyValues)
{
    RunningStats* s = stats_create(48);
    EXPECT_TRUE(stats_mean(s) == 0.0 && stats_last(s) == 0.0);
    stats_add(s, 1.0);
    stats_add(s, 3.0);
    EXPECT_DOUBLE_EQ(stats_stddev(s), std::sqrt(2.0));
    for (int i = 0; i < 46; ++i)
        stats_add(s, 5.0);
    stats_add(s, 7.0);
    EXPECT_TRUE(s->count == 48 && s->lastIndex == 0 && stats_last(s) == 7.0);
    EXPECT_DOUBLE_EQ(stats_mean(s), (3.0 + 46 * 5.0 + 7.0) / 48);
    RunningStats* flat = stats_create(48);
    for (int i = 0; i < 200; ++i)
        stats_add(flat, 1.0 / 30.0);
    EXPECT_LT(stats_stddev(flat), 1e-9); // a NaN fails too
}

// The rate, or 60 when 50 or less is reported; intervals keep at most 48 fps, cover the predicted frame, at most 10.
TEST(Pacing, RefreshRateAndIntervalsPerFrame)
{
    for (auto [reported, rate] : {std::pair{0, 60}, {1, 60}, {50, 60}, {-5, 60}, {51, 51}, {60, 60}, {85, 85}})
        EXPECT_EQ(refresh_rate_from_reported(reported), rate) << reported;
    struct Case {
        int32_t rate;
        double seconds;
        int32_t intervals;
    } cases[] = {
        {60, 0.0, 2},   {96, 0.0, 2},  {97, 0.0, 3},  {144, 0.0, 3},   {500, 0.0, 10}, {60, 0.02, 2}, {60, 0.04, 3},
        {60, 1.0, 10},  {60, NAN, 10}, {50, 0.0, 2},  {0, 0.0, 2},     {60, DBL_MAX, 10},
    };
    for (const Case& c : cases)
        EXPECT_EQ(intervals_for(c.seconds, refresh_rate_from_reported(c.rate)), c.intervals)
            << c.rate << " Hz, " << c.seconds << " s";
}

TEST(Pacing, TargetsFollowThePredictionAtSixtyHertz)
{
    s_fake = FakePlatform{};
    clock_init();
    s_fake.counter = 10000000; // 10 s
    pacing_init(60);
    EXPECT_DOUBLE_EQ(g_pacing.T, 10.0 + 2.0 / 60);

    // One frame sample: the largest spread, ten intervals.
    g_pacing.afterPump = g_pacing.afterWait = g_pacing.afterSwap = 10.0;
    g_pacing.previousAfterSwap = 9.98;
    pacing_update();
    EXPECT_DOUBLE_EQ(g_pacing.T, 10.0 + 10.0 / 60);

    // A steady 0.02 s frame predicts 0.02 s: two intervals.
    for (int i = 0; i < 5; ++i) {
        g_pacing.previousAfterSwap = g_pacing.afterSwap;
        g_pacing.afterSwap += 0.02;
        g_pacing.afterPump = g_pacing.afterWait = g_pacing.afterSwap - 0.002;
        pacing_update();
    }
    EXPECT_NEAR(stats_mean(g_pacing.swapStats), (0.0 + 5 * 0.002) / 6, 1e-12);
    EXPECT_LT(stats_stddev(g_pacing.frameStats), 1e-9);
    EXPECT_DOUBLE_EQ(g_pacing.T, g_pacing.afterSwap + 2.0 / 60);
}

// Whole-millisecond sleeps (none for non-positive requests), seconds since a movable origin; pacing sleeps
// whole milliseconds, then spins to the deadline less the mean swap time; a past deadline does neither.
TEST(Pacing, WaitSleepsThenSpinsUntilTheDeadlineLessTheSwapTime)
{
    s_fake = FakePlatform{};
    for (int32_t us : {1500, 999, 0, -20})
        sleep_us(us);
    EXPECT_EQ(s_fake.sleeps, (std::vector<uint32_t>{1, 0}));
    s_fake.counter = 5000000;
    clock_init();
    s_fake.counter += 2500000;
    EXPECT_DOUBLE_EQ(clock_now(), 2.5);
    clock_reset_origin();
    EXPECT_DOUBLE_EQ(clock_now(), 0.0);

    s_fake.sleeps.clear();
    pacing_init(60);
    stats_add(g_pacing.swapStats, 0.002);
    g_pacing.T = 0.0505;
    s_fake.advancePerRead = 100; // 0.1 ms per clock read while spinning
    EXPECT_EQ(pacing_wait(), 1);
    EXPECT_EQ(s_fake.sleeps, std::vector<uint32_t>{48});
    EXPECT_NEAR(clock_now(), 0.0485 + 0.0005, 0.0005);

    g_pacing.T = 0.01;
    s_fake.sleeps.clear();
    EXPECT_EQ(pacing_wait(), 0);
    EXPECT_TRUE(s_fake.sleeps.empty());
}

TEST(Keys, TableSortsAndMapsVirtualKeys)
{
    sort_key_table();
    EXPECT_TRUE(std::is_sorted(g_key_table, g_key_table + KEY_TABLE_SIZE,
                               [](const KeyPair& a, const KeyPair& b) { return a.virtualKey < b.virtualKey; }));
    for (auto [key, mapped] : {std::pair{0x1B, KEY_ESCAPE}, {0x41, 1}, {0x5A, 26}, {0x30, 27}, {0x7F, 52},
                               {0x6E, 108}, {0x25, 89}, {0x07, -1}, {0xFF, -1}})
        EXPECT_EQ(map_key(key), mapped) << key;
    EXPECT_TRUE(map_key(0x2D) == 55 || map_key(0x2D) == 82) << "a key listed twice maps to either entry";
    g_quit = 0;
    on_key(1, map_key(0x41));
    on_key(1, -1);
    EXPECT_EQ(g_quit, 0);
    on_key(0, map_key(0x1B));
    EXPECT_EQ(g_quit, 1);
    g_quit = 0;
}

// Clock wrapping of the effects: broken steps (tiny negative, huge, infinite, NaN) land inside the cycle without
// hanging. (Ordinary steps: the golden pictures.)
TEST(ClockWrap, BrokenValuesLandInsideTheCycle)
{
    EXPECT_EQ(wrap_into(-1e-17, 0.0, 6.0), 0.0) << "a value that rounds up to the end wraps again";
    for (double value : {std::nan(""), HUGE_VAL, -HUGE_VAL, 1e300, -1e300, 1e17 + 0.5, -1e-300}) {
        const double into = wrap_into(value, 0.0, 6.0), above = wrap_above(value, 6.283184, 3.141592),
                     below = wrap_below(value, -128.0, 704.0);
        EXPECT_TRUE(into >= 0.0 && into < 6.0) << value << " -> " << into;
        EXPECT_TRUE((std::isfinite(above) || value == -HUGE_VAL) && above <= 6.283184) << value << " -> " << above;
        EXPECT_TRUE((std::isfinite(below) || value == HUGE_VAL) && below >= -128.0) << value << " -> " << below;
    }
    // The remainder is kept, not just any value in range.
    EXPECT_DOUBLE_EQ(wrap_at_or_above(6e6 + 1.5, 6.0, 6.0), 1.5);
    EXPECT_DOUBLE_EQ(wrap_below(-70400.0 + 3.0, -128.0, 704.0), 3.0);
}
