// Ghost scene: one dark ghost figure seen from the front in the middle of the
// screen, its smoke flowing at one puff step a second, drawn over whatever
// the scene drew before. It draws with the figure textures of lamps_init.
// State: GhostState below, g_effects.ghost (effects/effects_state.h): the
// figure record made by ghost_init and the step clock. Depends on
// effects/sprites.
#pragma once
#include "effects/sprites.h"

#include <cstdint>

// Everything the ghost routines change after program start; the defaults are
// the values at program start.
struct GhostState {
    bool figureMade = false;            // set by ghost_init; nothing is drawn before
    Figure figure = {0.0, 0.0, 0.0, 0.0}; // at the origin, heading 0
    double stepClock = 0.0;             // puff steps, one a second

    bool operator==(const GhostState&) const = default;
};

// Init routine: places the figure record at the origin, heading 0; always 1.
int32_t ghost_init();
// Per-frame: the figure 50 units in front of the eye. Draws nothing until
// ghost_init has made the record.
void ghost_test(int32_t, int32_t, double t, double dt);
