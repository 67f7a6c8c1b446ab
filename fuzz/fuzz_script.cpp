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

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

void stand_in() {}

// The names the seed scripts (data/ and examples/) give routines and hooks,
// registered at start-up.
const bool s_registered = [] {
    static std::vector<std::string> s_names;
    static std::vector<FuncTableEntry> s_entries;
    std::istringstream in(
        "archstairs archstairs_background archstairs_init background_window background_window_init bb "
        "bb_background bb_init black city city_background city_init fedsquare fedsquare_init ghost_init ghost_test "
        "lamps lamps_background lamps_fade lamps_init lamps_transition_pre lamps_transition_pre_init music_init "
        "overlay_face overlay_face_init overlay_logo overlay_logo_init sample_transition_post "
        "sample_transition_post_init sample_transition_pre sample_transition_pre_init test test2 test_init tree "
        "tree_init white wipe_in wipe_in_and_out wipe_out");
    s_names.assign(std::istream_iterator<std::string>(in), {});
    for (const std::string& name : s_names)
        s_entries.push_back({name.c_str(), stand_in});
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
    FuzzArenaScope arena;
    g_param_root = nullptr;
    ParamManager* root = new (std::nothrow) ParamManager();
    if (root) {
        root->LoadText("data/demo.conf", reinterpret_cast<const char*>(data), size);
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
    g_param_root = nullptr;
    g_init_list = nullptr;
    g_scene_words = nullptr;
    g_timeline = nullptr;
    return 0;
}
