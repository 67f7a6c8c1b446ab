// Tree scene: a tall tree picture scrolls up into view under radial-blur
// shadows of its silhouette, a white cover shape fades away over the first
// ten seconds, a faint Clifford-attractor cloud morphs through six key sets
// in front of it, and 22.264 s after the first frame two white pictures
// flash once each. State: TreeState below, g_effects.tree
// (effects/effects_state.h): the five textures and the scene clocks.
#pragma once
#include "gfx/tiled_texture.h"

#include <cstdint>

// Everything the tree routines change after program start; the defaults are
// the values at program start.
struct TreeState {
    TiledTexture* tree = nullptr;       // 1024 x 1162, colour
    TiledTexture* silhouette = nullptr; // 1024 x 1162, white shape
    TiledTexture* flash1 = nullptr;     // 800 x 640, white shape
    TiledTexture* flash2 = nullptr;     // 800 x 640, white shape
    TiledTexture* cover = nullptr;      // 1024 x 640, white shape

    double firstCallTime = -1.0; // t of the first call of tree; negative: not yet called
    double scroll = 640.0;       // the tree picture's top edge on the screen, falls to -522
    double wanderPhase = 0.0;    // radians, 1 per second: where the blur centre is
    double coverAlpha = 1.0;     // opacity of the cover shape
    int32_t coverDone = 0;       // 1 once the cover has faded out
    double flashPhase = 0.0;     // radians, 2 pi per second
    int32_t flashDone = 0;       // 1 once both flashes are over
    double attractorClock = 0.0; // seconds within the 6-second morph cycle

    bool operator==(const TreeState&) const = default;
};

// Init routine: loads the tree picture, its silhouette, the two flash
// pictures and the cover shape, in this order. 1 on success, 0 as soon as
// one of them cannot be loaded.
int32_t tree_init();
// Per-frame routine: scroll, tree, radial blur, cover, flashes, attractor.
void tree(int32_t, int32_t, double t, double dt);
// The double flash, once per program run (or state reset); called by tree
// from 22.264 s after its first call on.
void tree_flash(double t, double dt);
// The attractor cloud, moved down by `offset` pixels (the tree's scroll).
void tree_attractor(double t, double dt, double offset);
// Advances the attractor clock by `dt` and returns it, within [0, 6): the
// cloud blends key set floor(clock) into the next one.
double tree_attractor_advance(double dt);
