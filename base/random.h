// The demo's pseudo-random generator. The effects place their fog, crowds and
// figures with it, so its sequence is part of what the demo looks like; it is
// our own rather than the C library's, whose range and sequence differ between
// platforms. State: one 32-bit word starting at DEMO_RAND_START, never seeded;
// it can be read and set so that a snapshot of the demo includes it.
#pragma once
#include <cstdint>

// The state at program start.
constexpr uint32_t DEMO_RAND_START = 1;

// Advances the state (state * 214013 + 2531011, wrapping at 32 bits) and
// returns bits 16 to 30 of the new state: an integer from 0 to 32767.
int32_t demo_rand();

// The state the next demo_rand call advances from.
uint32_t demo_rand_state();
// Replaces the state: demo_rand goes on from `state` as if it had reached it
// itself (DEMO_RAND_START restarts the sequence).
void demo_rand_set_state(uint32_t state);

// Upper bound of demo_rand's results.
constexpr int32_t DEMO_RAND_MAX = 32767;
