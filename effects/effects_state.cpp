// The effects' state (see effects_state.h).
#include "effects/effects_state.h"

// Constant-initialised: the start values are in place before any code runs.
constinit EffectsState g_effects;

void effects_state_reset()
{
    g_effects = EffectsState{};
}
