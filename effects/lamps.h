// Lamps scene: a night picture as background; eight blinking red lights, a
// procession of six ghost figures walking towards the camera through drifting
// fog and, after 14.945 s, a big ghost rising in front of the camera; the
// picture's cut-out foreground on top. Its lead-out transition blackens the
// screen along a grey-level map. lamps_init also makes the figure textures
// (one dot, three smoke puffs) that every scene with ghost figures draws with.
// State: LampsState below, g_effects.lamps (effects/effects_state.h): the
// pictures, the figure textures, the fog puffs, the figures and the scene's
// clocks, set by lamps_init (the transition threshold also by
// lamps_transition_pre_init).
// Depends on effects/sprites, effects/content, assets/image, base/random,
// script/timeline.
#pragma once
#include "effects/sprites.h"
#include "gfx/tiled_texture.h"
#include "platform/gl.h"

#include <cstdint>

constexpr int32_t FIGURE_PUFF_TEXTURES = 3;
constexpr int32_t LAMPS_FOG_PUFFS = 128;
constexpr int32_t LAMPS_PROCESSION = 6;

// One fog puff: its texture, its position (z drifts towards the camera and
// wraps) and which passes of the last lamps call drew it.
struct LampsFogPuff {
    int32_t kind = 0; // puff texture 0..2
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    int32_t passes = 0; // bit 0 first pass, bit 1 second

    bool operator==(const LampsFogPuff&) const = default;
};

// Everything the lamps routines change after program start; the defaults are
// the values at program start.
struct LampsState {
    TiledTexture* background = nullptr;    // scene picture (its alpha, the transition map, is not used)
    TiledTexture* foreground = nullptr;    // scene picture cut out by the mask
    TiledTexture* transitionMap = nullptr; // white, the map's grey level as alpha

    // The figure textures, 0 until lamps_init has made them. Every scene with
    // ghost figures draws with them (effects/sprites.cpp).
    GLuint dotTexture = 0;
    GLuint puffTextures[FIGURE_PUFF_TEXTURES] = {};

    LampsFogPuff fog[LAMPS_FOG_PUFFS] = {};
    Figure procession[LAMPS_PROCESSION] = {};
    Figure bigGhost = {0.0, 0.0, 16.0, -80.0};

    double firstCall = -1.0; // t of the first lamps call; negative until then
    double puffClock = 0.0;  // puff steps, 5 a second
    double fogFade = 0.0;    // fog opacity factor, 0 to 1
    double bobPhase = 0.0;   // radians, 3.141592 a second
    double lightPhase = 0.0; // radians, 1.570796 a second
    float rise = -100.0f;    // the big ghost's height offset, up to 23
    double threshold = 0.0;  // alpha reference of the lead-out transition

    bool operator==(const LampsState&) const = default;
};

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
