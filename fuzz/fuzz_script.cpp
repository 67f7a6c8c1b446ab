// Fuzz target: the parameter-file parser and the script builder. The input is
// one parameter file; it is parsed into a fresh tree, and the init list, the
// scene word list and both runtime forms are built from it, as at start-up.
// The routines the shipped and example scripts name are registered here as
// empty stand-ins, so scripts resolve as far as in the player; none is ever
// called.
#include "fuzz/fuzz_support.h"
#include "params/param.h"
#include "script/script_interface.h"
#include "script/timeline.h"

#include <cstdio>

namespace {

void stand_in() {}

// The names the seed scripts (data/ and examples/) give routines and hooks.
FuncTableEntry s_entries[] = {
    {"archstairs", stand_in}, {"archstairs_background", stand_in}, {"archstairs_init", stand_in},
    {"background_window", stand_in}, {"background_window_init", stand_in}, {"bb", stand_in},
    {"bb_background", stand_in}, {"bb_init", stand_in}, {"black", stand_in}, {"city", stand_in},
    {"city_background", stand_in}, {"city_init", stand_in}, {"fedsquare", stand_in}, {"fedsquare_init", stand_in},
    {"ghost_init", stand_in}, {"ghost_test", stand_in}, {"lamps", stand_in}, {"lamps_background", stand_in},
    {"lamps_fade", stand_in}, {"lamps_init", stand_in}, {"lamps_transition_pre", stand_in},
    {"lamps_transition_pre_init", stand_in}, {"music_init", stand_in}, {"overlay_face", stand_in},
    {"overlay_face_init", stand_in}, {"overlay_logo", stand_in}, {"overlay_logo_init", stand_in},
    {"sample_transition_post", stand_in}, {"sample_transition_post_init", stand_in},
    {"sample_transition_pre", stand_in}, {"sample_transition_pre_init", stand_in}, {"test", stand_in},
    {"test2", stand_in}, {"test_init", stand_in}, {"tree", stand_in}, {"tree_init", stand_in}, {"white", stand_in},
    {"wipe_in", stand_in}, {"wipe_in_and_out", stand_in}, {"wipe_out", stand_in},
};

const bool s_registered = [] {
    for (FuncTableEntry& entry : s_entries)
        FuncTable_AddFunc(&entry);
    return true;
}();

// Checks the runtime timeline against the promises the frame loop relies on:
// it ends with a terminator, starts never decrease, lengths are the
// differences of starts, and every routine array is as long as its count.
void check_timeline(const SceneRecord* records)
{
    for (int32_t i = 0;; ++i) {
        const SceneRecord& record = records[i];
        if (record.routineCount < 0 || record.extraCount != 0)
            fuzz_fail("a record has an impossible routine count");
        if (record.routineCount == 0) {
            if (record.length != 0 || record.routines)
                fuzz_fail("the terminator is not empty");
            return;
        }
        const SceneRecord& next = records[i + 1];
        if (static_cast<int64_t>(next.start) - record.start != record.length)
            fuzz_fail("a record's length is not the distance to the next start");
        if (!record.routines[0] || !record.routines[record.routineCount - 1])
            fuzz_fail("a record names a null routine");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    (void)s_registered;
    if (size == 0)
        return 0;
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!file)
        return 0;
    FuzzArenaScope arena;
    g_param_root = nullptr;
    ParamManager* root = new (std::nothrow) ParamManager();
    if (root) {
        int32_t counter = 0;
        root->Parse(root, file, &counter, "data/demo.conf");
        if (BuildInitList()) {
            InitList* list = script_init_init();
            if (!list || list->count < 0)
                fuzz_fail("no init list from a built one");
        }
        if (BuildSceneList()) {
            SceneRecord* records = script_init();
            if (!records)
                fuzz_fail("no timeline from a built scene list");
            check_timeline(records);
        }
    }
    std::fclose(file);
    g_param_root = nullptr;
    g_init_list = nullptr;
    g_scene_words = nullptr;
    g_timeline = nullptr;
    return 0;
}
