// Archstairs scene: a painted picture through which a file of eight pale
// ghost figures walks towards smaller x, descending along a sine arc and
// bobbing, behind the picture's cut-out foreground. The figures draw with the
// figure textures of lamps_init.
// State: ArchstairsState below, g_effects.archstairs (effects/effects_state.h):
// the two pictures, the eight walkers (path position and figure record), the
// puff clock and the bob phase. Depends on effects/sprites, effects/content,
// assets/image.
#pragma once
#include "effects/sprites.h"
#include "gfx/tiled_texture.h"

#include <cstdint>

constexpr int32_t ARCHSTAIRS_WALKERS = 8;

struct ArchstairsWalker {
    double x; // path position; y is recomputed before every use
    double y;
    double z;
    Figure figure;

    bool operator==(const ArchstairsWalker&) const = default;
};

// Everything the archstairs routines change after program start; the
// defaults are the values at program start.
struct ArchstairsState {
    TiledTexture* background = nullptr;
    TiledTexture* foreground = nullptr; // the scene picture cut out by the mask
    ArchstairsWalker walkers[ARCHSTAIRS_WALKERS] = {};
    double puffClock = 0.0; // puff steps, 5 a second
    double bobPhase = 0.0;  // radians, 3.141592 a second

    bool operator==(const ArchstairsState&) const = default;
};

// Init routine: loads the background and the foreground and places the
// walkers; 0 when a picture is missing or does not decode.
int32_t archstairs_init();
// Per-frame: the scene picture, opaque.
void archstairs_background(int32_t, int32_t, double t, double dt);
// Per-frame: the walkers, then the foreground over them.
void archstairs(int32_t, int32_t, double t, double dt);

