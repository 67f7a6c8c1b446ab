// Backgrounds and overlays: three full-screen 2D layers the script places in
// scenes by name. An animated background (twelve pictures cross-faded at
// eight a second, starting 11.596 s after its first call), a face overlay (a
// slowly pulsing translucent black frame around the face mask) and a logo
// sequence (the screen opens from black, the logo fades in and out once, the
// screen closes to black for good).
// State: OverlaysState below, g_effects.overlays (effects/effects_state.h):
// the pictures, the background's first-call time and phase, the face phase,
// the logo state, pulse and cover alpha.
// Depends on the picture loader and the tiled textures, and the effects'
// content.
#pragma once
#include "assets/content_names.h"
#include "gfx/tiled_texture.h"

#include <cstdint>

// Everything the overlay routines change after program start; the defaults
// are the values at program start.
struct OverlaysState {
    // The window pictures in playing order; a slot stays null when its load
    // failed.
    TiledTexture* windowFrames[content::WINDOW_FRAMES] = {};
    double windowFirstCall = -1.0; // t of the first background_window call; negative until then
    double windowPhase = 0.0;      // position in the picture loop, in pictures, in [0, 12)

    TiledTexture* faceMask = nullptr;
    double facePhase = 0.0; // radians

    TiledTexture* logo = nullptr;
    int32_t logoState = 0;  // 0 opening from black, 1 logo pulse, 2 closing to black
    double logoPulse = 0.0; // fade angle of the logo, 0 to 3.141592
    double coverAlpha = 1.0; // opacity of the black cover

    bool operator==(const OverlaysState&) const = default;
};

// Init routines: 0 when a picture cannot be loaded.
int32_t background_window_init(); // the twelve window frames, in playing order
int32_t overlay_face_init();      // the face mask (alpha only)
int32_t overlay_logo_init();      // the logo (colour and alpha)

// Per-frame routines: the two words are always 0; t and dt in seconds.
void background_window(int32_t, int32_t, double t, double dt);
void overlay_face(int32_t, int32_t, double t, double dt);
void overlay_logo(int32_t, int32_t, double t, double dt);
