// Backgrounds and overlays: three full-screen 2D layers the script places in
// scenes by name. An animated background (twelve pictures cross-faded at
// eight a second, starting 11.596 s after its first call), a face overlay (a
// slowly pulsing translucent black frame around the face mask) and a logo
// sequence (the screen opens from black, the logo fades in and out once, the
// screen closes to black for good).
// State (file scope, never reset): the pictures, the background's first-call
// time and phase, the face phase, the logo state, pulse and cover alpha.
// Depends on the arena, the picture loader and the tiled textures, and the
// effects' content.
#pragma once
#include <cstdint>

// Init routines: 0 when a picture cannot be loaded.
int32_t background_window_init(); // the twelve window frames, in playing order
int32_t overlay_face_init();      // the face mask (alpha only)
int32_t overlay_logo_init();      // the logo (colour and alpha)

// Per-frame routines: the two words are always 0; t and dt in seconds.
void background_window(int32_t, int32_t, double t, double dt);
void overlay_face(int32_t, int32_t, double t, double dt);
void overlay_logo(int32_t, int32_t, double t, double dt);

// Read-only views of the module state, for tests and tools.
double background_window_phase();  // pictures, in [0, 12)
double overlay_face_phase();       // radians
int32_t overlay_logo_state();      // 0 opening, 1 logo pulse, 2 closing
double overlay_logo_cover_alpha(); // opacity of the black cover
