// The demo's pseudo-random generator (linear congruential, 15-bit results).
#include "base/random.h"

static uint32_t s_state = 1;

int32_t demo_rand()
{
    s_state = s_state * 214013u + 2531011u;
    return static_cast<int32_t>((s_state >> 16) & 0x7FFFu);
}
