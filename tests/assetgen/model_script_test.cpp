// The model scene's pack and model as the demo loads them (on the headless GL
// platform, which uploads the texture), and the shipped and example scripts
// built by the real script builder against stand-ins registered under the
// routine names, checked against the plan the soundtrack follows.
#include "assets/content_names.h"
#include "assets/model.h"
#include "assets/pack.h"
#include "assets/tga.h"
#include "script/functable.h"
#include "script/script_interface.h"
#include "script/timeline.h"
#include "tests/gl/gl_fixture.h"
#include "tests/test_support.h"
#include "tools/assetgen/demo_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<uint8_t> committed(const std::string& name)
{
    std::ifstream in(std::string(VIGIL_SOURCE_DIR) + "/assets/data/" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

} // namespace

// The pack holds the model and its texture, found by the names the model
// gives; the texture's cells are transparent along their edges, so linear
// filtering at a quad's edge never pulls in the neighbouring cell.
TEST(ModelPack, HoldsTheModelAndItsTextureWithTrueSizes)
{
    const std::vector<uint8_t> pack = committed(content::MODEL_PACK);
    ResourcePack* opened = ResourcePack_Open(pack.data(), uint32_t(pack.size()));
    ASSERT_NE(opened, nullptr);
    ASSERT_EQ(ResourcePack_EntryCount(opened), 2u);
    PackEntry model{}, texture{};
    ASSERT_TRUE(ResourcePack_EntryAt(opened, 0, &model) && ResourcePack_EntryAt(opened, 1, &texture));
    EXPECT_STREQ(model.name, "mess.ms3d");
    EXPECT_STREQ(texture.name, "..\\..\\..\\3d\\particles.tga");
    EXPECT_EQ(model.offset, 280u);
    EXPECT_EQ(model.offset + model.size, texture.offset);
    EXPECT_EQ(size_t(texture.offset) + texture.size, pack.size());

    const uint8_t* data = pack.data() + texture.offset;
    EXPECT_EQ(data[2], 10) << "run-length encoded";
    int32_t width = 0, height = 0, bpp = 0;
    const uint8_t* pixels = LoadTGA(data, &width, &height, &bpp, texture.size);
    ASSERT_NE(pixels, nullptr);
    ASSERT_TRUE(width == 256 && height == 256 && bpp == 32);
    int edgeAlpha = 0, peakAlpha = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const bool edge = x % 128 == 0 || x % 128 == 127 || y % 128 == 0 || y % 128 == 127;
            (edge ? edgeAlpha : peakAlpha) = std::max(edge ? edgeAlpha : peakAlpha, int(pixels[(y * 256 + x) * 4 + 3]));
        }
    EXPECT_LE(edgeAlpha, 2);
    EXPECT_EQ(peakAlpha, 255);
}

// The model scene draws every group with the one material, turning the model
// about its centre 200 units away: counts, groups and bounds are what it was
// laid out for.
class MessModel : public GlTest {};

TEST_F(MessModel, LoadsWithTheStatedCountsGroupsMaterialAndBounds)
{
    const std::vector<uint8_t> pack = committed(content::MODEL_PACK);
    Model model;
    LogCapture log;
    ASSERT_TRUE(model.Load(pack.data(), "mess.ms3d", uint32_t(pack.size())));
    EXPECT_TRUE(log.lines.empty()) << log.lines.front();
    EXPECT_EQ(model.vertexCount, 1064u);
    EXPECT_EQ(model.triangleCount, 532u);
    ASSERT_EQ(model.groupCount, 44);
    ASSERT_EQ(model.materialCount, 1);
    // Packed members are copied out: gtest binds references, which a packed
    // member may not be aligned for.
    const float transparency = model.materials[0].transparency;
    const TiledTexture* texture = model.materials[0].textureHandle;
    EXPECT_FLOAT_EQ(transparency, 0.65f);
    EXPECT_NE(texture, nullptr) << "the texture is found in the pack and decodes";

    // 38 groups of two triangles and 6 of 76, all with the material, and
    // every triangle drawn exactly once.
    std::map<int, int> groupsBySize;
    std::vector<int> listed(model.triangleCount, 0);
    for (int32_t g = 0; g < model.groupCount; ++g) {
        const int size = model.groups[g].triangleCount, material = model.groups[g].materialIndex;
        ++groupsBySize[size];
        EXPECT_EQ(material, 0) << "group " << g;
        for (int i = 0; i < size; ++i) {
            ASSERT_LT(model.groups[g].triangleIndices[i], model.triangleCount);
            ++listed[model.groups[g].triangleIndices[i]];
        }
    }
    EXPECT_EQ(groupsBySize, (std::map<int, int>{{2, 38}, {76, 6}}));
    EXPECT_EQ(std::count(listed.begin(), listed.end(), 1), 532);

    // Texture coordinates stay within the texture.
    for (uint32_t t = 0; t < model.triangleCount; ++t)
        for (int c = 0; c < 3; ++c) {
            const float s = model.triangles[t].s[c], tt = model.triangles[t].t[c];
            ASSERT_LT(model.triangles[t].vertexIndices[c], model.vertexCount);
            ASSERT_TRUE(s >= 0 && s <= 1 && tt >= 0 && tt <= 1) << "triangle " << t;
        }
}

namespace {

std::vector<std::string> split(const std::string& words)
{
    std::vector<std::string> out;
    std::istringstream in(words);
    for (std::string word; in >> word;)
        out.push_back(word);
    return out;
}

// Every routine name the scripts may use, in registration order.
constexpr size_t ROUTINES = 39;
const std::vector<std::string> NAMES =
    split("test_init test test2 bb_init bb bb_background cpp_init music_init background_window_init "
          "init_multitexture overlay_face_init overlay_logo_init lamps_init archstairs_init tree_init "
          "ghost_init fedsquare_init black white clear_depth background_window overlay_face overlay_logo "
          "sample_transition_pre sample_transition_pre_init sample_transition_post "
          "sample_transition_post_init lamps_background lamps_transition_pre lamps_transition_pre_init "
          "lamps archstairs_background archstairs tree ghost_test fedsquare city_init city_background "
          "city");

// Stand-ins with distinct addresses (distinct bodies, so none are folded).
template <size_t N>
int32_t stand_in()
{
    return int32_t(N) + 1;
}

template <size_t... I>
void register_stand_ins(std::index_sequence<I...>)
{
    static std::array<FuncTableEntry, ROUTINES> s_entries = {
        FuncTableEntry{NAMES[I].c_str(), as_routine(&stand_in<I>)}...};
    for (FuncTableEntry& entry : s_entries)
        FuncTable_AddFunc(&entry);
}

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
    static const bool s_registered = (register_stand_ins(std::make_index_sequence<ROUTINES>()), true);
    (void)s_registered;
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
            scene.text += " " + (hook ? name_of(hook) : "-");
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
    EXPECT_LE(plan::END, plan::SOUNDTRACK_MS);
}

// The example shows the test layers through both sample transitions.
TEST(ShippedScript, ExampleBuildsWithTheTestLayersAndSampleTransitions)
{
    const BuiltScript script = build_script(std::filesystem::path(VIGIL_SOURCE_DIR) / "examples" / "test_layers");
    ASSERT_FALSE(script.scenes.empty());
    std::string all = " ";
    for (const Scene& scene : script.scenes)
        all += scene.text + " ";
    for (const char* name : {" test ", " test2 ", "sample_transition_pre sample_transition_pre_init",
                             "sample_transition_post sample_transition_post_init"})
        EXPECT_NE(all.find(name), std::string::npos) << name;
    EXPECT_EQ(script.init.front(), "test_init");
    EXPECT_LE(script.end, plan::SOUNDTRACK_MS);
}
