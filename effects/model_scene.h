// Model scene: the MS3D model "mess.ms3d" from the model pack, swinging back
// and forth about its three axes in perspective, over a background picture.
// State: the background texture and the model, set by bb_init, file-scope in
// model_scene.cpp.
#pragma once
#include <cstdint>

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
