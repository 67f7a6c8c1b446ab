// Clock, running statistics, interval choice, pacing and the key table.
#include "core/clock.h"
#include "core/keys.h"
#include "platform/refresh_rate.h"
#include "tests/fake_platform.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

// Whole-millisecond sleeps, none for non-positive requests; seconds since
// the origin, which a reset moves.
TEST(Clock, SleepsWholeMillisecondsAndReadsSecondsSinceTheOrigin)
{
    g_fake = FakePlatform{};
    for (int32_t us : {1500, 999, 0, -20})
        sleep_us(us);
    EXPECT_EQ(g_fake.sleeps, (std::vector<uint32_t>{1, 0}));
    g_fake.counter = 5000000;
    clock_init();
    g_fake.counter += 2500000;
    EXPECT_DOUBLE_EQ(clock_now(), 2.5);
    clock_reset_origin();
    EXPECT_DOUBLE_EQ(clock_now(), 0.0);
}

// The display's rate, or 60 when it reports 50 or less (0 and 1 are
// "default" on some platforms).
TEST(Pacing, RefreshRateFromWhatTheDisplayReports)
{
    for (auto [reported, rate] : {std::pair{0, 60}, {1, 60}, {50, 60}, {-5, 60}, {51, 51}, {60, 60}, {85, 85}})
        EXPECT_EQ(refresh_rate_from_reported(reported), rate) << reported;
}

TEST(RunningStats, SumsWindowAndEmptyValues)
{
    RunningStats* s = stats_create(48);
    EXPECT_EQ(stats_mean(s), 0.0);
    EXPECT_EQ(stats_last(s), 0.0);
    stats_add(s, 1.0);
    EXPECT_EQ(stats_stddev(s), DBL_MAX) << "one sample has no spread";
    stats_add(s, 3.0);
    EXPECT_DOUBLE_EQ(stats_stddev(s), std::sqrt(2.0));
    EXPECT_DOUBLE_EQ(stats_mean(s), 2.0);
    EXPECT_EQ(stats_last(s), 3.0);

    // The 49th sample overwrites the first: 1.0 leaves the sums, 3.0 and 46
    // copies of 5.0 and the new 7.0 remain.
    for (int i = 0; i < 46; ++i)
        stats_add(s, 5.0);
    stats_add(s, 7.0);
    EXPECT_EQ(s->count, 48);
    EXPECT_EQ(s->lastIndex, 0);
    EXPECT_DOUBLE_EQ(stats_mean(s), (3.0 + 46 * 5.0 + 7.0) / 48);
    EXPECT_EQ(stats_last(s), 7.0);

    // Equal samples have no spread, never a NaN from rounding.
    RunningStats* flat = stats_create(48);
    for (int i = 0; i < 200; ++i)
        stats_add(flat, 1.0 / 30.0);
    EXPECT_FALSE(std::isnan(stats_stddev(flat)));
    EXPECT_LT(stats_stddev(flat), 1e-9);
}

TEST(Pacing, IntervalsKeepAtMost48FramesPerSecondAndAtMostTen)
{
    struct Case {
        int32_t rate;
        double seconds;
        int32_t intervals;
    } cases[] = {
        {60, 0.0, 2},   {75, 0.0, 2},    {85, 0.0, 2},  {100, 0.0, 3}, {120, 0.0, 3},   {144, 0.0, 3},
        {500, 0.0, 10}, {60, 0.02, 2},   {60, 0.04, 3}, {60, 1.0, 10}, {60, NAN, 10},   {50, 0.0, 2},
        {0, 0.0, 2},    {60, DBL_MAX, 10}, {433, 0.0, 10},
    };
    for (const Case& c : cases) {
        g_fake.refreshRate = c.rate;
        EXPECT_EQ(intervals_for(c.seconds), c.intervals) << c.rate << " Hz, " << c.seconds << " s";
    }
}

TEST(Pacing, TargetsFollowThePredictionAtSixtyHertz)
{
    g_fake = FakePlatform{};
    g_fake.refreshRate = 60;
    clock_init();
    g_fake.counter = 10000000; // 10 s
    pacing_init();
    EXPECT_DOUBLE_EQ(g_pacing.T, 10.0 + 2.0 / 60);

    // The first update holds one frame sample, whose spread is the largest
    // double: ten intervals.
    g_pacing.afterPump = 10.0;
    g_pacing.afterWait = 10.0;
    g_pacing.previousAfterSwap = 9.98;
    g_pacing.afterSwap = 10.0;
    pacing_update();
    EXPECT_DOUBLE_EQ(g_pacing.T, 10.0 + 10.0 / 60);

    // A steady 0.02 s frame with no wait predicts 0.02 s: two intervals.
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

TEST(Pacing, WaitSleepsThenSpinsUntilTheDeadlineLessTheSwapTime)
{
    g_fake = FakePlatform{};
    clock_init();
    pacing_init();
    stats_add(g_pacing.swapStats, 0.002);
    g_pacing.T = 0.0505;
    g_fake.advancePerRead = 100; // 0.1 ms per clock read while spinning
    EXPECT_EQ(pacing_wait(), 1);
    ASSERT_EQ(g_fake.sleeps.size(), 1u);
    EXPECT_EQ(g_fake.sleeps[0], 48u) << "whole milliseconds below the remaining 48.5";
    EXPECT_GE(clock_now(), 0.0485);
    EXPECT_LT(clock_now(), 0.0485 + 0.001);

    g_pacing.T = 0.01; // already past
    g_fake.sleeps.clear();
    EXPECT_EQ(pacing_wait(), 0);
    EXPECT_TRUE(g_fake.sleeps.empty());
}

TEST(Keys, TableSortsAndMapsVirtualKeys)
{
    sort_key_table();
    for (int i = 1; i < KEY_TABLE_SIZE; ++i)
        EXPECT_LE(g_key_table[i - 1].virtualKey, g_key_table[i].virtualKey);
    for (auto [key, mapped] : {std::pair{0x1B, KEY_ESCAPE}, {0x41, 1}, {0x5A, 26}, {0x30, 27}, {0x7F, 52},
                               {0x6E, 108}, {0x25, 89}, {0x07, -1}, {0xFF, -1}})
        EXPECT_EQ(map_key(key), mapped) << key;
    int32_t duplicate = map_key(0x2D);
    EXPECT_TRUE(duplicate == 55 || duplicate == 82);

    g_quit = 0;
    on_key(1, map_key(0x41));
    on_key(1, -1);
    EXPECT_EQ(g_quit, 0);
    on_key(0, map_key(0x1B));
    EXPECT_EQ(g_quit, 1);
    g_quit = 0;
}
