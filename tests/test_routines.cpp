// Routines the unit tests' scripts name, each in its own role's call form, registered by static initialisers.
#include "script/functable.h"
#include "tests/test_support.h"

RoutineCalls g_routine_calls;

static void record_frame(int32_t, int32_t, double t, double dt)
{
    ++g_routine_calls.frameCalls;
    g_routine_calls.lastT = t;
    g_routine_calls.lastDt = dt;
}

static int32_t music_init()
{
    ++g_routine_calls.initCalls;
    return 1;
}
static int32_t test_init()
{
    ++g_routine_calls.initCalls;
    return 0;
}
static void black(int32_t a, int32_t b, double t, double dt) { record_frame(a, b, t, dt); }
static void white(int32_t a, int32_t b, double t, double dt) { record_frame(a, b, t, dt); }
static void sample_transition_post(int32_t a, int32_t b, double t, double dt) { record_frame(a, b, t, dt); }
static void sample_transition_post_init() { ++g_routine_calls.hookCalls; }

VIGIL_REGISTER_ROUTINE(music_init);
VIGIL_REGISTER_ROUTINE(test_init);
VIGIL_REGISTER_ROUTINE(black);
VIGIL_REGISTER_ROUTINE(white);
VIGIL_REGISTER_ROUTINE(sample_transition_post);
VIGIL_REGISTER_ROUTINE(sample_transition_post_init);
