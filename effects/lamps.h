// Lamps scene: a night picture as background; eight blinking red lights, a
// procession of six ghost figures walking towards the camera through drifting
// fog and, after 14.945 s, a big ghost rising in front of the camera; the
// picture's cut-out foreground on top. Its lead-out transition blackens the
// screen along a grey-level map. lamps_init also makes the figure textures
// (one dot, three smoke puffs) that every scene with ghost figures draws with.
// State: the pictures, the figure textures, the fog puffs, the figures and
// the scene's clocks, all file-scope, set by lamps_init and never reset (only
// the transition threshold is reset, by lamps_transition_pre_init).
// Depends on effects/sprites, effects/content, assets/image, core/random,
// script/timeline.
#pragma once
#include "effects/sprites.h"
#include "platform/gl.h"

#include <cstdint>

constexpr int32_t FIGURE_PUFF_TEXTURES = 3;
constexpr int32_t LAMPS_FOG_PUFFS = 128;
constexpr int32_t LAMPS_PROCESSION = 6;

// The figure textures; 0 until lamps_init has made them. Global because the
// sprite helpers (sprites.cpp) draw every scene's figures with them.
extern GLuint g_figure_dot_texture;
extern GLuint g_figure_puff_textures[FIGURE_PUFF_TEXTURES];

// Init routine: loads the scene's pictures, builds the figure textures
// (puffs 0, 1, 2, then the dot), places the 128 fog puffs with four draws of
// demo_rand each and lines up the procession. 0 as soon as a picture is
// missing or does not decode (textures built before stay).
int32_t lamps_init();
// Per-frame: the scene picture, opaque.
void lamps_background(int32_t, int32_t, double t, double dt);
// Per-frame: lights, fog, procession, big ghost and foreground.
void lamps(int32_t, int32_t, double t, double dt);
// Lead-out transition: the init hook resets the threshold; the per-frame hook
// paints black every pixel whose map value is below the threshold, then moves
// the threshold on by dt over the current scene's transition length (a length
// of 0 or less takes it to 1 at once).
void lamps_transition_pre_init();
void lamps_transition_pre(int32_t, int32_t, double t, double dt);

// Read-only views of the scene's state, for the tests.
struct LampsFogPuff {
    int32_t kind; // puff texture 0..2
    float x;
    float y;
    float z;
    int32_t passes; // passes of the last lamps call that drew it: bit 0 first, bit 1 second
};
LampsFogPuff lamps_fog_puff(int32_t i);
// Figures 0 to 5 of the procession, or LAMPS_PROCESSION for the big ghost.
const Figure* lamps_figure(int32_t j);
// The big ghost's height offset (-100 until it starts rising).
float lamps_big_ghost_rise();
