// Clock, running statistics and frame pacing.
#include "core/clock.h"

#include "platform/time.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>

static int64_t s_frequency = 1;
static int64_t s_origin = 0;

PacingState g_pacing;

bool clock_init()
{
    // Linux has no timer-period service; sleeps already have about
    // millisecond granularity.
    s_frequency = platform_counter_frequency();
    clock_reset_origin();
    return true;
}

bool clock_shutdown()
{
    return true;
}

double clock_now()
{
    return static_cast<double>(platform_counter() - s_origin) / static_cast<double>(s_frequency);
}

void clock_reset_origin()
{
    s_origin = platform_counter();
}

void sleep_us(int32_t us)
{
    if (us > 0)
        platform_sleep_ms(static_cast<uint32_t>(us / 1000));
}

RunningStats* stats_create(int32_t capacity)
{
    if (capacity < 1 || static_cast<int64_t>(capacity) * 8 > INT32_MAX) {
        std::fprintf(stderr, "vigil: a running statistic of %d samples is too large\n", capacity);
        std::exit(1);
    }
    size_t bytes = sizeof(RunningStats) + sizeof(double) * static_cast<size_t>(capacity - 1);
    auto* stats = static_cast<RunningStats*>(std::malloc(bytes));
    if (!stats) {
        std::fprintf(stderr, "vigil: out of memory for the frame statistics\n");
        std::exit(1);
    }
    for (int32_t i = 0; i < capacity; ++i)
        stats->samples[i] = 0.0;
    stats->lastIndex = -1;
    stats->count = 0;
    stats->capacity = capacity;
    stats->sumOfSquares = 0.0;
    stats->sum = 0.0;
    return stats;
}

void stats_add(RunningStats* stats, double sample)
{
    if (++stats->lastIndex >= stats->capacity)
        stats->lastIndex = 0;
    double old = stats->samples[stats->lastIndex];
    stats->sum = (sample - old) + stats->sum;
    stats->sumOfSquares = (sample * sample - old * old) + stats->sumOfSquares;
    stats->samples[stats->lastIndex] = sample;
    if (stats->count < stats->capacity)
        ++stats->count;
}

double stats_mean(const RunningStats* stats)
{
    return stats->count < 1 ? 0.0 : stats->sum / stats->count;
}

double stats_stddev(const RunningStats* stats)
{
    if (stats->count < 2)
        return DBL_MAX;
    // The running sums can leave a variance a rounding error below zero when
    // the samples are all equal; its square root would be NaN, which would
    // make every later frame wait the longest interval.
    double variance = (stats->sumOfSquares - stats->sum * stats->sum / stats->count) / (stats->count - 1);
    return variance > 0.0 ? std::sqrt(variance) : 0.0;
}

double stats_last(const RunningStats* stats)
{
    return stats->lastIndex < 0 ? 0.0 : stats->samples[stats->lastIndex];
}

int32_t intervals_for(double seconds, int32_t rate)
{
    for (int32_t n = 1; n <= 9; ++n)
        if (rate <= 48 * n && static_cast<double>(n) / rate > seconds)
            return n;
    return 10;
}

void pacing_init(int32_t refreshRate)
{
    g_pacing.refreshRate = refreshRate;
    g_pacing.frameStats = stats_create(48);
    g_pacing.waitStats = stats_create(48);
    g_pacing.swapStats = stats_create(48);
    g_pacing.afterSwap = clock_now();
    g_pacing.previousAfterSwap = g_pacing.afterSwap;
    g_pacing.T = g_pacing.afterSwap + static_cast<double>(intervals_for(0.0, refreshRate)) / refreshRate;
}

void pacing_update()
{
    PacingState& p = g_pacing;
    stats_add(p.waitStats, p.afterWait - p.afterPump);
    stats_add(p.swapStats, p.afterSwap - p.afterWait);
    stats_add(p.frameStats, p.afterSwap - p.previousAfterSwap);
    double predicted = stats_stddev(p.frameStats) + (stats_last(p.frameStats) - stats_last(p.waitStats));
    p.T = p.afterSwap + static_cast<double>(intervals_for(predicted, p.refreshRate)) / p.refreshRate;
}

int32_t pacing_wait()
{
    double deadline = g_pacing.T - stats_mean(g_pacing.swapStats);
    double now = clock_now();
    if (deadline < now)
        return 0;
    sleep_us(static_cast<int32_t>((deadline - now) * 1000000.0));
    while (clock_now() < deadline) {
    }
    return 1;
}
