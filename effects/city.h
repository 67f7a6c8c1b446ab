// City scene: a still city picture in three 2D layers. city_background draws
// the opaque background; city fades a second picture in over it from three
// seconds into the scene and draws a white shape on top in every frame.
// State: CityState below, g_effects.city (effects/effects_state.h): the three
// textures, the start time and the fade.
#pragma once
#include "gfx/tiled_texture.h"

#include <cstdint>

// Everything the city routines change after program start; the defaults are
// the values at program start.
struct CityState {
    TiledTexture* background = nullptr; // 1024 x 640, colour
    TiledTexture* lit = nullptr;        // 1024 x 640, colour with its mask
    TiledTexture* top = nullptr;        // 1024 x 640, white shape

    double startTime = -1.0; // taken anew on every call until it holds a t of 1 s or more
    double fadeAlpha = 0.0;  // opacity of the fade-in layer

    bool operator==(const CityState&) const = default;
};

// Init routine: loads the background, the fade-in layer (colour with its
// mask) and the top shape, in this order. 1 on success, 0 as soon as one of
// them cannot be loaded.
int32_t city_init();
// Per-frame routine: the background, opaque over the whole screen.
void city_background(int32_t, int32_t, double t, double dt);
// Per-frame routine: the fading layer (once three seconds have passed since
// the first call at t >= 1 s) and the top shape.
void city(int32_t, int32_t, double t, double dt);
