// Tree scene: a tall tree picture scrolls up into view under radial-blur
// shadows of its silhouette, a white cover shape fades away over the first
// ten seconds, a faint Clifford-attractor cloud morphs through six key sets
// in front of it, and 22.264 s after the first frame two white pictures
// flash once each. State: the five textures and the scene clocks, file-scope
// in tree.cpp, never reset.
#pragma once
#include <cstdint>

// Init routine: loads the tree picture, its silhouette, the two flash
// pictures and the cover shape, in this order. 1 on success, 0 as soon as
// one of them cannot be loaded.
int32_t tree_init();
// Per-frame routine: scroll, tree, radial blur, cover, flashes, attractor.
void tree(int32_t, int32_t, double t, double dt);
// The double flash, once per program run; called by tree from 22.264 s after
// its first call on.
void tree_flash(double t, double dt);
// The attractor cloud, moved down by `offset` pixels (the tree's scroll).
void tree_attractor(double t, double dt, double offset);
// Advances the attractor clock by `dt` and returns it, within [0, 6): the
// cloud blends key set floor(clock) into the next one.
double tree_attractor_advance(double dt);
