// The demo's pseudo-random generator. The effects place their fog, crowds and
// figures with it, so its sequence is part of what the demo looks like; it is
// our own rather than the C library's, whose range and sequence differ between
// platforms. State: one 32-bit word starting at 1, never seeded.
#pragma once
#include <cstdint>

// Advances the state (state * 214013 + 2531011, wrapping at 32 bits) and
// returns bits 16 to 30 of the new state: an integer from 0 to 32767.
int32_t demo_rand();

// Upper bound of demo_rand's results.
constexpr int32_t DEMO_RAND_MAX = 32767;

// The generator's state, so a saved demo state can include it, and its
// value at program start.
constexpr uint32_t DEMO_RAND_START = 1;
uint32_t demo_rand_state();
void demo_rand_set_state(uint32_t state);
