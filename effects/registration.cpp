// The registration table of the demo's 39 routines (see registration.h).
#include "effects/registration.h"

#include "core/demo_state.h"
#include "core/music.h"
#include "effects/archstairs.h"
#include "effects/basic.h"
#include "effects/city.h"
#include "effects/effects_state.h"
#include "effects/fedsquare.h"
#include "effects/ghost.h"
#include "effects/lamps.h"
#include "effects/model_scene.h"
#include "effects/overlays.h"
#include "effects/tree.h"
#include "script/functable.h"

namespace {

// The function table's entries 1 to 39, in order.
FuncTableEntry s_entries[] = {
    {"test_init", as_routine(&test_init)},
    {"test", as_routine(&test)},
    {"test2", as_routine(&test2)},
    {"bb_init", as_routine(&bb_init)},
    {"bb", as_routine(&bb)},
    {"bb_background", as_routine(&bb_background)},
    {"cpp_init", as_routine(&cpp_init)},
    {"music_init", as_routine(&music_init)},
    {"background_window_init", as_routine(&background_window_init)},
    {"init_multitexture", as_routine(&init_multitexture)},
    {"overlay_face_init", as_routine(&overlay_face_init)},
    {"overlay_logo_init", as_routine(&overlay_logo_init)},
    {"lamps_init", as_routine(&lamps_init)},
    {"archstairs_init", as_routine(&archstairs_init)},
    {"tree_init", as_routine(&tree_init)},
    {"ghost_init", as_routine(&ghost_init)},
    {"fedsquare_init", as_routine(&fedsquare_init)},
    {"black", as_routine(&black)},
    {"white", as_routine(&white)},
    {"clear_depth", as_routine(&clear_depth)},
    {"background_window", as_routine(&background_window)},
    {"overlay_face", as_routine(&overlay_face)},
    {"overlay_logo", as_routine(&overlay_logo)},
    {"sample_transition_pre", as_routine(&sample_transition_pre)},
    {"sample_transition_pre_init", as_routine(&sample_transition_pre_init)},
    {"sample_transition_post", as_routine(&sample_transition_post)},
    {"sample_transition_post_init", as_routine(&sample_transition_post_init)},
    {"lamps_background", as_routine(&lamps_background)},
    {"lamps_transition_pre", as_routine(&lamps_transition_pre)},
    {"lamps_transition_pre_init", as_routine(&lamps_transition_pre_init)},
    {"lamps", as_routine(&lamps)},
    {"archstairs_background", as_routine(&archstairs_background)},
    {"archstairs", as_routine(&archstairs)},
    {"tree", as_routine(&tree)},
    {"ghost_test", as_routine(&ghost_test)},
    {"fedsquare", as_routine(&fedsquare)},
    {"city_init", as_routine(&city_init)},
    {"city_background", as_routine(&city_background)},
    {"city", as_routine(&city)},
};

static_assert(sizeof s_entries / sizeof s_entries[0] == 39);

} // namespace

void register_routines()
{
    // Their state is what a saved demo state holds beside the frame step's.
    demo_state_attach_routines({&g_effects, sizeof g_effects, &effects_state_reset});
    if (FuncTable_Find(s_entries[0].name) == s_entries[0].routine)
        return;
    for (FuncTableEntry& entry : s_entries)
        FuncTable_AddFunc(&entry);
}
