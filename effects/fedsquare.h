// Fedsquare scene: a painted picture behind a crowd of thirty-two pale ghost
// figures that descend from high above during the first seconds and then
// float up and down, each on its own phase. The figures draw with the figure
// textures of lamps_init.
// State: FedsquareState below, g_effects.fedsquare (effects/effects_state.h):
// the picture, the crowd (placement from demo_rand and figure record), the
// sink height and the puff clock.
// Depends on effects/sprites, effects/content, assets/image, base/random.
#pragma once
#include "effects/sprites.h"
#include "gfx/tiled_texture.h"

#include <cstdint>

constexpr int32_t FEDSQUARE_CROWD = 32;

struct FedsquareCrowdEntry {
    double x;
    double bobPhase; // radians
    double z;
    double unused;   // set to 0, never read
    Figure figure;

    bool operator==(const FedsquareCrowdEntry&) const = default;
};

// Everything the fedsquare routines change after program start; the defaults
// are the values at program start.
struct FedsquareState {
    TiledTexture* background = nullptr;
    FedsquareCrowdEntry crowd[FEDSQUARE_CROWD] = {};
    double sink = 1048.0;   // height the crowd descends from, down to 0
    double puffClock = 0.0; // puff steps, 5 a second

    bool operator==(const FedsquareState&) const = default;
};

// Init routine: loads the picture and scatters the crowd with three draws of
// demo_rand per figure; 0 when the picture is missing or does not decode.
int32_t fedsquare_init();
// Per-frame: the picture, opaque, then the crowd in perspective.
void fedsquare(int32_t, int32_t, double t, double dt);
