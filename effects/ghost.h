// Ghost scene: one dark ghost figure seen from the front in the middle of the
// screen, its smoke flowing at one puff step a second, drawn over whatever
// the scene drew before. It draws with the figure textures of lamps_init.
// State: the figure record (from the arena, made by ghost_init) and the step
// clock, never reset. Depends on effects/sprites.
#pragma once
#include <cstdint>

// Init routine: allocates the figure record at the origin, heading 0; 0 when
// the arena cannot supply it.
int32_t ghost_init();
// Per-frame: the figure 50 units in front of the eye. Draws nothing until
// ghost_init has made the record.
void ghost_test(int32_t, int32_t, double t, double dt);
