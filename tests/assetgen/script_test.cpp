// The shipped and example scripts built by the real script builder against
// stand-ins registered under the routine names, checked against the plan the
// soundtrack follows.
#include "script/functable.h"
#include "script/script_interface.h"
#include "script/timeline.h"
#include "tests/test_support.h"
#include "tools/assetgen/demo_plan.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// Every routine name the scripts may use, in registration order.
constexpr size_t ROUTINES = 39;
const std::vector<std::string> NAMES = [] {
    std::istringstream in(
        "test_init test test2 bb_init bb bb_background cpp_init music_init background_window_init "
        "init_multitexture overlay_face_init overlay_logo_init lamps_init archstairs_init tree_init ghost_init "
        "fedsquare_init black white clear_depth background_window overlay_face overlay_logo sample_transition_pre "
        "sample_transition_pre_init sample_transition_post sample_transition_post_init lamps_background "
        "lamps_transition_pre lamps_transition_pre_init lamps archstairs_background archstairs tree ghost_test "
        "fedsquare city_init city_background city");
    return std::vector<std::string>(std::istream_iterator<std::string>(in), {});
}();

// Stand-ins with distinct addresses (distinct bodies, so none are folded),
// registered under those names.
template <size_t N>
int32_t stand_in() { return int32_t(N) + 1; }

template <size_t... I>
void register_stand_ins(std::index_sequence<I...>)
{
    static std::array<FuncTableEntry, ROUTINES> s_entries = {
        FuncTableEntry{NAMES.at(I).c_str(), as_routine(&stand_in<I>)}...};
    for (FuncTableEntry& entry : s_entries)
        FuncTable_AddFunc(&entry);
}

const bool s_registered = (register_stand_ins(std::make_index_sequence<ROUTINES>()), true);

// The name a resolved address stands for.
std::string name_of(Routine routine)
{
    for (int32_t i = 0; i < g_funcTable.count; ++i)
        if (g_funcTable.entries[i]->routine == routine)
            return g_funcTable.entries[i]->name;
    return "?";
}

// A played scene; `text` names its routines, then after " |" its hooks
// (prefunc, prefunc_init, postfunc, postfunc_init; "-" for none).
struct Scene {
    int32_t start, length, transitionLength; // 0: no transition
    std::string text;
};

struct BuiltScript {
    std::vector<std::string> init;
    std::vector<Scene> scenes;
    int32_t end = -1;
};

// Builds the script in `dir` with the real builder and reads it back from
// the runtime timeline. Any diagnostic fails the test.
BuiltScript build_script(const std::filesystem::path& dir)
{
    BuiltScript script;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    LogCapture log;
    const int32_t built = InitScriptInterface();
    std::filesystem::current_path(previous);
    for (const std::string& line : log.lines)
        ADD_FAILURE() << dir << ": " << line;
    InitList* init = built == 1 ? script_init_init() : nullptr;
    const SceneRecord* record = built == 1 ? script_init() : nullptr;
    if (!init || !record) {
        ADD_FAILURE() << dir << " does not build";
        return script;
    }
    for (int32_t i = 0; i < init->count; ++i)
        script.init.push_back(name_of(init->routines[i]));
    for (; record->routineCount != 0; ++record) {
        Scene scene{record->start, record->length, record->hasTransition ? record->transitionLength : 0, ""};
        for (int32_t r = 0; r < record->routineCount; ++r)
            scene.text += name_of(record->routines[r]) + " ";
        scene.text += "|";
        for (Routine hook : {record->prefunc, record->prefunc_init, record->postfunc, record->postfunc_init})
            scene.text.append(" ").append(hook ? name_of(hook) : "-");
        script.scenes.push_back(scene);
    }
    script.end = record->start;
    return script;
}

} // namespace

// The shipped script plays the planned scenes with their routines and
// transitions, ends within the soundtrack, and runs the init routines in
// the order they depend on: lamps_init makes the ghosts' textures, so it
// comes before every scene init that draws ghosts; music_init comes last.
// The example builds too (any diagnostic fails either).
TEST(ShippedScript, PlaysThePlannedScenesWithinTheSoundtrack)
{
    const BuiltScript script = build_script(VIGIL_SOURCE_DIR);
    EXPECT_EQ(script.init,
              (std::vector<std::string>{"overlay_logo_init", "background_window_init", "overlay_face_init",
                                        "lamps_init", "archstairs_init", "ghost_init", "tree_init", "fedsquare_init",
                                        "city_init", "bb_init", "test_init", "music_init"}));
    // In plan order; the lamps scene darkens into the archstairs scene, which
    // wipes in; the fedsquare scene wipes out.
    const char* PLAYED[] = {
        "black overlay_logo | - - - -",
        "black overlay_logo background_window overlay_face | - - - -",
        "lamps_background lamps | lamps_transition_pre lamps_transition_pre_init - -",
        "archstairs_background archstairs | - - sample_transition_post sample_transition_post_init",
        "lamps_background ghost_test | - - - -",
        "black tree | - - - -",
        "fedsquare | sample_transition_pre sample_transition_pre_init - -",
        "city_background city | - - - -",
        "bb_background bb | - - - -",
    };
    ASSERT_EQ(script.scenes.size(), std::size(plan::SCENES));
    for (size_t i = 0; i < script.scenes.size(); ++i) {
        const Scene& played = script.scenes[i];
        SCOPED_TRACE(plan::SCENES[i].name);
        EXPECT_EQ(played.start, plan::SCENES[i].start);
        EXPECT_EQ(played.length, plan::SCENES[i].length);
        EXPECT_EQ(played.text, PLAYED[i]);
        // A transition needs a length to divide by, and its lead-in and
        // lead-out windows must not overlap.
        EXPECT_NE(played.transitionLength > 0, played.text.ends_with("| - - - -"));
        EXPECT_LE(played.transitionLength * 2, played.length);
    }
    EXPECT_EQ(script.end, plan::END);

    // The example runs the test layers' init before opening the soundtrack.
    const BuiltScript example = build_script(std::filesystem::path(VIGIL_SOURCE_DIR) / "examples" / "test_layers");
    EXPECT_EQ(example.init, (std::vector<std::string>{"test_init", "music_init"}));
    EXPECT_TRUE(!example.scenes.empty() && example.end <= plan::SOUNDTRACK_MS) << example.end;
}
