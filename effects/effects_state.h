// The effects' state as one value: everything any routine of effects/ changes
// after program start, one member per module (each XxxState is declared in
// its module's header). EffectsState{} is the state of a fresh process before
// any init routine ran, so assigning it restarts the routines, and a copy is
// an exact snapshot to restore later: the type is trivially copyable, and
// copying it allocates nothing.
// What it holds besides the per-frame values: what init routines made (the
// texture and model handles, GL texture names, the fetched GL entry points,
// the placed fog, crowd and figures). Not part of it: the contents of those
// GL textures and of the arena objects behind the handles (TiledTexture,
// Model), which init routines fill once and no routine changes afterwards,
// and the demo's random generator (base/random.h), whose state a snapshot
// takes beside this one. Depends on the module headers only.
#pragma once
#include "effects/archstairs.h"
#include "effects/basic.h"
#include "effects/city.h"
#include "effects/fedsquare.h"
#include "effects/ghost.h"
#include "effects/lamps.h"
#include "effects/model_scene.h"
#include "effects/overlays.h"
#include "effects/tree.h"

#include <type_traits>

struct EffectsState {
    BasicState basic;
    OverlaysState overlays;
    LampsState lamps;
    ArchstairsState archstairs;
    GhostState ghost;
    TreeState tree;
    FedsquareState fedsquare;
    CityState city;
    ModelSceneState modelScene;

    bool operator==(const EffectsState&) const = default;
};

static_assert(std::is_trivially_copyable_v<EffectsState>, "a snapshot is a plain copy");

// The routines' state. Global because the routines are called by name
// through the function table with fixed signatures, which carry no state, so
// each one reaches its module's part through this.
extern EffectsState g_effects;

// Puts every routine's state back to its value at program start.
void effects_state_reset();
