// Model scene: the MS3D model "mess.ms3d" from the model pack, swinging back
// and forth about its three axes in perspective, over a background picture.
// State: ModelSceneState below, g_effects.modelScene (effects/effects_state.h):
// the background texture and the model, set by bb_init. Drawing changes
// neither (Model::Draw reads the model's records only).
#pragma once
#include "gfx/tiled_texture.h"

#include <cstdint>

class Model;

// Everything the model scene's routines change after program start; the
// defaults are the values at program start.
struct ModelSceneState {
    TiledTexture* background = nullptr; // 512 x 512; null when it did not load
    Model* model = nullptr;             // made by bb_init, in the arena

    bool operator==(const ModelSceneState&) const = default;
};

// Init routine: loads the background TGA (a background that cannot be loaded
// is left out of the picture) and the model. 1 on success; 0, with the line
// "Couldn't load data/mess.ms3d!" in the diagnostic log, when the model does
// not load.
int32_t bb_init();
// Per-frame routine: the model, turned by 175 sin(t) degrees about x, y and
// z, 200 units in front of the eye, blended as its material says. Leaves the
// projection and modelview matrices as it set them.
void bb(int32_t, int32_t, double t, double dt);
// Per-frame routine: the top-left 400 x 300 pixels of the background over
// the whole screen, unblended. Leaves the matrices as it set them.
void bb_background(int32_t, int32_t, double t, double dt);
