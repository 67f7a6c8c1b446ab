// City scene: a still city picture in three 2D layers. city_background draws
// the opaque background; city fades a second picture in over it from three
// seconds into the scene and draws a white shape on top in every frame.
// State: the three textures, the start time and the fade, file-scope in
// city.cpp, never reset.
#pragma once
#include <cstdint>

// Init routine: loads the background, the fade-in layer (colour with its
// mask) and the top shape, in this order. 1 on success, 0 as soon as one of
// them cannot be loaded.
int32_t city_init();
// Per-frame routine: the background, opaque over the whole screen.
void city_background(int32_t, int32_t, double t, double dt);
// Per-frame routine: the fading layer (once three seconds have passed since
// the first call at t >= 1 s) and the top shape.
void city(int32_t, int32_t, double t, double dt);
