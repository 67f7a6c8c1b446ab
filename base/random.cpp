// The demo's pseudo-random generator (linear congruential, 15-bit results).
#include "base/random.h"

static uint32_t s_state = DEMO_RAND_START;

int32_t demo_rand()
{
    s_state = s_state * 214013u + 2531011u;
    return static_cast<int32_t>((s_state >> 16) & 0x7FFFu);
}

uint32_t demo_rand_state()
{
    return s_state;
}

void demo_rand_set_state(uint32_t state)
{
    s_state = state;
}
