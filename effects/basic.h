// Basic routines any script can use as building blocks: black and white
// screens, a depth clear, a sample pair of wipe transitions along a greyscale
// mask, two test layers of swaying squares that slide with the transitions,
// and three init routines (the test objects and the mask, a no-op, and the
// ARB multitexture entry points).
// State: BasicState below, g_effects.basic (effects/effects_state.h): the
// transition threshold and slide offset (single precision), the wipe mask,
// the two spinners and the multitexture entry points. Only the transition init
// hooks and effects_state_reset reset any of it.
// Depends on the tiled textures, the TGA decoder, the timeline
// (GetCurrentScene) and the effects' content.
#pragma once
#include "gfx/tiled_texture.h"

#include <cstdint>

// One swaying test square. Field order is part of its definition.
struct Spinner {
    float xOffset; // view units, set by the drawing routine before each draw
    double red;
    double green;
    double blue;
    double alpha;
    double phase;  // radians, kept at or below 6.283184 by draw_spinner

    bool operator==(const Spinner&) const = default;
};

// The entry points init_multitexture fetches. No routine calls them; they
// make start-up fail on a driver without ARB multitexture.
using ActiveTextureProc = void (*)(GLenum);
using MultiTexCoord2fProc = void (*)(GLenum, GLfloat, GLfloat);
using ClientActiveTextureProc = void (*)(GLenum);

// Everything the basic routines change after program start; the defaults are
// the values at program start.
struct BasicState {
    // Alpha-test reference of the sample transitions, 0 to 1.
    float transitionThreshold = 0.0f;
    // Moves the test squares: grows by 300 per transition length while a
    // sample transition hook runs.
    float slideOffset = 0.0f;
    // 512x512 mask; only its alpha is used. Null until test_init found one.
    TiledTexture* wipeMask = nullptr;
    // The test layers draw nothing until test_init has set up the spinners.
    bool spinnersMade = false;
    Spinner spinnerA = {0.0f, 1.0, 0.0, 1.0, 0.5, 0.0}; // magenta
    Spinner spinnerB = {0.0f, 1.0, 1.0, 0.0, 0.5, 0.0}; // yellow
    ActiveTextureProc glActiveTextureARB = nullptr;
    MultiTexCoord2fProc glMultiTexCoord2fARB = nullptr;
    ClientActiveTextureProc glClientActiveTextureARB = nullptr;

    bool operator==(const BasicState&) const = default;
};

// Per-frame routines: the two words are always 0; t and dt in seconds.
void black(int32_t, int32_t, double t, double dt);
void white(int32_t, int32_t, double t, double dt);
void clear_depth(int32_t, int32_t, double t, double dt);

// Lead-out hook: black spreads over the screen from the mask's lowest alpha
// values to its highest over one transition length.
void sample_transition_pre(int32_t, int32_t, double t, double dt);
// Lead-in hook: the black recedes along the mask in the same order.
void sample_transition_post(int32_t, int32_t, double t, double dt);
// Transition init hooks: threshold to 0 (post: the slide offset too).
void sample_transition_pre_init();
void sample_transition_post_init();

// Init routines: 0 means failure.
int32_t test_init();        // spinners A and B at their start values and the wipe mask; always 1
int32_t cpp_init();         // always 1
int32_t init_multitexture(); // 1 when the driver lists GL_ARB_multitexture and its three entry points exist

// Test layers: spinner A (magenta) and spinner B (yellow, ten times slower).
void test(int32_t, int32_t, double t, double dt);
void test2(int32_t, int32_t, double t, double dt);

// Advances the spinner's phase by `delta` radians and draws it as a 100x100
// unit square in the current projection.
void draw_spinner(Spinner* spinner, double delta);
