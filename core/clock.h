// Clock and frame pacing. The clock reads seconds since an origin that is
// reset when the music starts. Pacing works ahead: after each swap it
// predicts the next frame's duration, rounds it up to whole refresh intervals
// (never more than 48 frames per second, never more than 10 intervals) and
// fixes that as the next frame's target presentation time T, which the
// routines draw for; the loop then waits until T less the usual swap time.
// State: the clock's origin and frequency, and g_pacing (the statistics and
// timestamps of the frame loop). Depends on platform/time.h; the program
// hands in the display's refresh rate (get_refresh_rate of the window layer).
#pragma once
#include <cstdint>

bool clock_init();
bool clock_shutdown();
double clock_now();
void clock_reset_origin();
// Sleeps us / 1000 whole milliseconds (999 sleeps 0, which still yields);
// does nothing for us <= 0.
void sleep_us(int32_t us);

// A window over the last `capacity` samples, with running sums. Allocated
// from the C heap as one block: the fields, then the samples.
struct RunningStats {
    int32_t lastIndex; // slot of the newest sample; -1 while empty
    int32_t count;
    int32_t capacity;
    double sumOfSquares;
    double sum;
    double samples[1]; // `capacity` slots
};

RunningStats* stats_create(int32_t capacity);
void stats_add(RunningStats* stats, double sample);
double stats_mean(const RunningStats* stats);
// The largest finite double while fewer than two samples are held.
double stats_stddev(const RunningStats* stats);
double stats_last(const RunningStats* stats);

// Refresh intervals (1 to 10) to place between two presentations for a
// predicted frame duration of `seconds`.
int32_t intervals_for(double seconds, int32_t refreshRate);

struct PacingState {
    RunningStats* frameStats; // per frame: after-swap minus the previous after-swap
    RunningStats* waitStats;  // duration of pacing_wait
    RunningStats* swapStats;  // duration of the swap
    double frameStart;
    double afterPump;
    double afterWait;
    double afterSwap;
    double previousAfterSwap;
    double T; // target presentation time of the frame being drawn
    int32_t refreshRate; // Hz, as pacing_init was given it
};
// Global because the player's frame loop stamps its times around the pump,
// the wait and the swap, and the pacing calls read them back.
extern PacingState g_pacing;

// Starts pacing for a display refreshing `refreshRate` times a second.
void pacing_init(int32_t refreshRate);
void pacing_update();
int32_t pacing_wait();
