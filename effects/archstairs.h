// Archstairs scene: a painted picture through which a file of eight pale
// ghost figures walks towards smaller x, descending along a sine arc and
// bobbing, behind the picture's cut-out foreground. The figures draw with the
// figure textures of lamps_init.
// State: the two pictures, the eight walkers (path position and figure
// record), the puff clock and the bob phase; file-scope, set by
// archstairs_init and never reset. Depends on effects/sprites,
// effects/content, assets/image.
#pragma once
#include <cstdint>

constexpr int32_t ARCHSTAIRS_WALKERS = 8;

// Init routine: loads the background and the foreground and places the
// walkers; 0 when a picture is missing or does not decode.
int32_t archstairs_init();
// Per-frame: the scene picture, opaque.
void archstairs_background(int32_t, int32_t, double t, double dt);
// Per-frame: the walkers, then the foreground over them.
void archstairs(int32_t, int32_t, double t, double dt);

// Read-only view for the tests: walker j's path x.
double archstairs_walker_x(int32_t j);
