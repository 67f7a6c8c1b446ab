// The registration list: routines 7 to 39 of the function table, registered
// in this order by one static initialiser before main runs (entries 1 to 3
// come from the basic routines' module, 4 to 6 from the model scene's).
// Linked as an object file so the initialiser is never dropped.
#include "core/music.h"
#include "effects/archstairs.h"
#include "effects/basic.h"
#include "effects/city.h"
#include "effects/fedsquare.h"
#include "effects/ghost.h"
#include "effects/lamps.h"
#include "effects/overlays.h"
#include "effects/tree.h"
#include "script/functable.h"

namespace {

FuncTableEntry s_entries[] = {
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

const bool s_registered = [] {
    for (FuncTableEntry& entry : s_entries)
        FuncTable_AddFunc(&entry);
    return true;
}();

} // namespace
