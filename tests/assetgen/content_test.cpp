// Checks of the model-scene content and of the shipped scripts.
//
// The files are taken from the generator itself (generate_model_files), so
// these tests hold whatever is committed; the regeneration test
// (content_test.sh) holds the committed files to the generator. Each file is
// read back through the decoders the demo uses: the wipe mask's alpha range
// and its 39 full pixels, the backdrop's origin, the pack's directory, the
// model's counts, bounds and groups (loaded and drawn on the headless GL
// platform). The scripts under data/ and examples/ are built by the real
// script builder against stand-ins registered under the 39 routine names,
// since the effects are not linked into this test.
#include "assets/content_names.h"
#include "assets/model.h"
#include "assets/pack.h"
#include "assets/tga.h"
#include "script/functable.h"
#include "script/script_interface.h"
#include "script/timeline.h"
#include "tests/gl/gl_fixture.h"
#include "tests/test_support.h"
#include "tools/assetgen/assetgen.h"
#include "tools/assetgen/demo_plan.h"
#include "tools/assetgen/model_content.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

const GeneratedFiles& generated()
{
    static const GeneratedFiles files = [] {
        GeneratedFiles out;
        generate_model_files(out);
        return out;
    }();
    return files;
}

const std::vector<uint8_t>& file(const std::string& name)
{
    for (const GeneratedFile& f : generated())
        if (f.name == name)
            return f.bytes;
    static const std::vector<uint8_t> none;
    ADD_FAILURE() << name << " is not generated";
    return none;
}

struct Picture {
    int32_t width = 0, height = 0, bpp = 0;
    const uint8_t* pixels = nullptr; // top row first
};

Picture decode(const std::vector<uint8_t>& bytes)
{
    Picture p;
    p.pixels = LoadTGA(bytes.data(), &p.width, &p.height, &p.bpp, static_cast<uint32_t>(bytes.size()));
    return p;
}

} // namespace

// ---- the files ---------------------------------------------------------------

TEST(ModelFiles, AreTheThreeRoleFilesAndComeOutTheSameEachTime)
{
    std::vector<std::string> names;
    for (const GeneratedFile& f : generated())
        names.push_back(f.name);
    EXPECT_EQ(names, (std::vector<std::string>{content::WIPE_MASK, content::MODEL_BACKGROUND, content::MODEL_PACK}));

    // A second run gives the same bytes: no clock, no unseeded randomness,
    // no uninitialised memory in the output.
    GeneratedFiles again;
    generate_model_files(again);
    ASSERT_EQ(again.size(), generated().size());
    for (size_t i = 0; i < again.size(); ++i)
        EXPECT_TRUE(again[i].bytes == generated()[i].bytes) << again[i].name;
}

TEST(ModelFiles, WipeMaskRunsFrom44To255WithExactly39FullPixelsInOneCorner)
{
    const std::vector<uint8_t>& bytes = file(content::WIPE_MASK);
    ASSERT_GE(bytes.size(), 18u);
    EXPECT_EQ(bytes[2], 2) << "uncompressed true colour";
    EXPECT_EQ(bytes[17] & 0x0F, 8) << "8 alpha bits";
    Picture mask = decode(bytes);
    ASSERT_NE(mask.pixels, nullptr);
    ASSERT_EQ(mask.width, 512);
    ASSERT_EQ(mask.height, 512);
    ASSERT_EQ(mask.bpp, 32);

    std::array<int, 256> histogram{};
    int lowest = 255;
    int fullLeft = 512, fullTop = 512;
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 512; ++x) {
            uint8_t alpha = mask.pixels[(y * 512 + x) * 4 + 3];
            ++histogram[alpha];
            lowest = std::min<int>(lowest, alpha);
            if (alpha == 255) {
                fullLeft = std::min(fullLeft, x);
                fullTop = std::min(fullTop, y);
            }
        }
    }
    EXPECT_EQ(lowest, 44);
    EXPECT_EQ(histogram[255], 39);
    // A finished lead-in keeps the full pixels black for the rest of its
    // scene: they must sit together in the corner where the wipe ends, not
    // strewn over the picture.
    EXPECT_GE(fullLeft, 512 - 16);
    EXPECT_GE(fullTop, 512 - 16);
    // The wipe advances evenly: no alpha level holds a lump of the picture
    // (which would flip a large area in one frame), and no level in the
    // range is skipped.
    for (int level = 44; level < 255; ++level) {
        EXPECT_GT(histogram[level], 0) << "level " << level;
        EXPECT_LT(histogram[level], 512 * 512 / 100) << "level " << level;
    }
}

TEST(ModelFiles, BackdropIsARunLengthEncodedNightWithTheSkyOnTop)
{
    const std::vector<uint8_t>& bytes = file(content::MODEL_BACKGROUND);
    ASSERT_GE(bytes.size(), 18u);
    EXPECT_EQ(bytes[2], 10) << "run-length encoded true colour";
    EXPECT_EQ(bytes[17], 0) << "no alpha bits, bottom-left origin";
    Picture picture = decode(bytes);
    ASSERT_NE(picture.pixels, nullptr);
    ASSERT_EQ(picture.width, 512);
    ASSERT_EQ(picture.height, 512);
    ASSERT_EQ(picture.bpp, 24);

    // Only the top-left 400 x 300 pixels show. Its top is night sky (blue
    // above red), its bottom street fog lit by sodium lamps (red above blue);
    // a picture stored upside down swaps the two.
    auto mean = [&](int y0, int y1, int channel) {
        double sum = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < 400; ++x)
                sum += picture.pixels[(y * 512 + x) * 3 + channel];
        return sum / ((y1 - y0) * 400);
    };
    EXPECT_GT(mean(0, 60, 2), mean(0, 60, 0) + 5);
    EXPECT_GT(mean(260, 300, 0), mean(260, 300, 2) + 5);
    // Dark enough for the glowing model to stand out, not black.
    double luminance = (mean(0, 300, 0) + mean(0, 300, 1) + mean(0, 300, 2)) / 3;
    EXPECT_GT(luminance, 8);
    EXPECT_LT(luminance, 80);
}

TEST(ModelFiles, PackHoldsTheModelAndItsTextureWithTrueSizes)
{
    const std::vector<uint8_t>& pack = file(content::MODEL_PACK);
    ResourcePack* opened = ResourcePack_Open(pack.data(), static_cast<uint32_t>(pack.size()));
    ASSERT_NE(opened, nullptr);
    ASSERT_EQ(ResourcePack_EntryCount(opened), 2u);
    PackEntry model{}, texture{};
    ASSERT_TRUE(ResourcePack_EntryAt(opened, 0, &model));
    ASSERT_TRUE(ResourcePack_EntryAt(opened, 1, &texture));
    EXPECT_STREQ(model.name, "mess.ms3d");
    EXPECT_STREQ(texture.name, "..\\..\\..\\3d\\particles.tga");
    EXPECT_EQ(model.offset, 280u);
    EXPECT_EQ(model.offset + model.size, texture.offset);
    EXPECT_EQ(static_cast<size_t>(texture.offset) + texture.size, pack.size());

    // The texture: 256 x 256, 32 bits, run-length encoded. Each 128 x 128
    // cell is transparent along its edges, so linear filtering at a quad's
    // edge never pulls in the neighbouring cell.
    const uint8_t* data = pack.data() + texture.offset;
    EXPECT_EQ(data[2], 10);
    EXPECT_EQ(data[17] & 0x0F, 8);
    std::vector<uint8_t> bytes(data, data + texture.size);
    Picture particles = decode(bytes);
    ASSERT_NE(particles.pixels, nullptr);
    ASSERT_EQ(particles.width, 256);
    ASSERT_EQ(particles.height, 256);
    ASSERT_EQ(particles.bpp, 32);
    int edgeAlpha = 0, peakAlpha = 0;
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            int alpha = particles.pixels[(y * 256 + x) * 4 + 3];
            bool edge = x % 128 == 0 || x % 128 == 127 || y % 128 == 0 || y % 128 == 127;
            if (edge)
                edgeAlpha = std::max(edgeAlpha, alpha);
            else
                peakAlpha = std::max(peakAlpha, alpha);
        }
    }
    EXPECT_LE(edgeAlpha, 2);
    EXPECT_EQ(peakAlpha, 255);
}

// ---- the model, loaded and drawn ----------------------------------------------

class MessModel : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        pack_ = file(content::MODEL_PACK);
        LogCapture log;
        ASSERT_TRUE(model_.Load(pack_.data(), "mess.ms3d", static_cast<uint32_t>(pack_.size())));
        EXPECT_TRUE(log.lines.empty()) << log.lines.front();
    }

    // The model scene's view at time t: perspective, 200 units away, turned
    // by the same angle about x, y and z.
    void draw_at(double t)
    {
        float angle = static_cast<float>(175 * std::sin(t));
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(60, 16.0f / 9.0f, 0.1f, 1000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0, 0, -200);
        glRotatef(angle, 1, 0, 0);
        glRotatef(angle, 0, 1, 0);
        glRotatef(angle, 0, 0, 1);
        model_.Draw();
    }

    std::vector<uint8_t> pack_; // the model points into it
    Model model_;
};

TEST_F(MessModel, HasTheStatedCountsGroupsMaterialAndBounds)
{
    EXPECT_EQ(model_.vertexCount, 1064u);
    EXPECT_EQ(model_.triangleCount, 532u);
    ASSERT_EQ(model_.groupCount, 44);
    ASSERT_EQ(model_.materialCount, 1);

    // Packed members are copied out: gtest binds references, which a packed
    // member may not be aligned for.
    const MS3DMaterial& material = model_.materials[0];
    float transparency = material.transparency;
    const TiledTexture* texture = material.textureHandle;
    EXPECT_FLOAT_EQ(transparency, 0.65f);
    EXPECT_STREQ(material.texture, "..\\..\\..\\3d\\particles.tga");
    EXPECT_NE(texture, nullptr) << "the texture is found in the pack and decodes";

    // 38 groups of two triangles and 6 of 76, all with the material, and
    // every triangle drawn exactly once.
    std::map<int, int> groupsBySize;
    std::vector<int> listed(model_.triangleCount, 0);
    for (int32_t g = 0; g < model_.groupCount; ++g) {
        const MS3DGroup& group = model_.groups[g];
        int size = group.triangleCount;
        int materialIndex = group.materialIndex;
        const uint16_t* indices = group.triangleIndices;
        ++groupsBySize[size];
        EXPECT_EQ(materialIndex, 0) << "group " << g;
        for (int i = 0; i < size; ++i) {
            ASSERT_LT(indices[i], model_.triangleCount);
            ++listed[indices[i]];
        }
    }
    EXPECT_EQ(groupsBySize, (std::map<int, int>{{2, 38}, {76, 6}}));
    EXPECT_EQ(std::count(listed.begin(), listed.end(), 1), 532);

    // Vertices fill the box x -76..81, y -56..53, z -92..101.
    const float lo[3] = {-76, -56, -92}, hi[3] = {81, 53, 101};
    float seenLo[3] = {1e9f, 1e9f, 1e9f}, seenHi[3] = {-1e9f, -1e9f, -1e9f};
    for (uint32_t v = 0; v < model_.vertexCount; ++v) {
        for (int axis = 0; axis < 3; ++axis) {
            float p = model_.vertices[v].position[axis];
            seenLo[axis] = std::min(seenLo[axis], p);
            seenHi[axis] = std::max(seenHi[axis], p);
        }
    }
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_GE(seenLo[axis], lo[axis]) << "axis " << axis;
        EXPECT_LE(seenHi[axis], hi[axis]) << "axis " << axis;
        EXPECT_NEAR(seenLo[axis], lo[axis], 0.01) << "axis " << axis;
        EXPECT_NEAR(seenHi[axis], hi[axis], 0.01) << "axis " << axis;
    }

    // Indices name vertices; texture coordinates stay within the texture.
    for (uint32_t t = 0; t < model_.triangleCount; ++t) {
        const MS3DTriangle& triangle = model_.triangles[t];
        for (int c = 0; c < 3; ++c) {
            uint16_t index = triangle.vertexIndices[c];
            ASSERT_LT(index, model_.vertexCount);
            float s = triangle.s[c], tt = triangle.t[c];
            EXPECT_TRUE(s >= 0 && s <= 1 && tt >= 0 && tt <= 1) << "triangle " << t;
        }
    }
}

// Drawn as the model scene draws it, over black, at rest and at three swings.
// The glow must show (a texture that came out transparent, or texture
// coordinates that miss its glows, would leave the screen black) and stay
// around the middle of the screen at every angle. Tolerance: a pixel counts
// as lit above 40 in any channel; the thresholds on the counts are loose.
TEST_F(MessModel, GlowsAroundTheMiddleOfTheScreenAtEverySwing)
{
    for (double t : {0.0, 1.0, 2.4, 4.2}) {
        glClear(GL_COLOR_BUFFER_BIT);
        draw_at(t);
        std::vector<uint8_t> screen = read_screen();
        int lit = 0;
        int left = 0, right = 0, top = 0, bottom = 0;
        for (int y = 0; y < GL_TEST_HEIGHT; ++y) {
            for (int x = 0; x < GL_TEST_WIDTH; ++x) {
                const uint8_t* p = &screen[(y * GL_TEST_WIDTH + x) * 4];
                if (std::max({p[0], p[1], p[2]}) <= 40)
                    continue;
                ++lit;
                (x < GL_TEST_WIDTH / 2 ? left : right)++;
                (y < GL_TEST_HEIGHT / 2 ? top : bottom)++;
            }
        }
        const int area = GL_TEST_WIDTH * GL_TEST_HEIGHT;
        EXPECT_GT(lit, area / 100) << "t = " << t;
        EXPECT_LT(lit, area / 2) << "t = " << t;
        // Neither half of the screen holds almost all of it.
        EXPECT_GT(std::min(left, right), lit / 6) << "t = " << t;
        EXPECT_GT(std::min(top, bottom), lit / 6) << "t = " << t;
    }
}

// ---- the scripts ----------------------------------------------------------------

namespace {

// The 39 routine names, in registration order, and the role of each.
enum Role { INIT, FRAME, HOOK_INIT, HOOK };
const std::vector<std::pair<const char*, Role>> ROUTINES = {
    {"test_init", INIT},
    {"test", FRAME},
    {"test2", FRAME},
    {"bb_init", INIT},
    {"bb", FRAME},
    {"bb_background", FRAME},
    {"cpp_init", INIT},
    {"music_init", INIT},
    {"background_window_init", INIT},
    {"init_multitexture", INIT},
    {"overlay_face_init", INIT},
    {"overlay_logo_init", INIT},
    {"lamps_init", INIT},
    {"archstairs_init", INIT},
    {"tree_init", INIT},
    {"ghost_init", INIT},
    {"fedsquare_init", INIT},
    {"black", FRAME},
    {"white", FRAME},
    {"clear_depth", FRAME},
    {"background_window", FRAME},
    {"overlay_face", FRAME},
    {"overlay_logo", FRAME},
    {"sample_transition_pre", HOOK},
    {"sample_transition_pre_init", HOOK_INIT},
    {"sample_transition_post", HOOK},
    {"sample_transition_post_init", HOOK_INIT},
    {"lamps_background", FRAME},
    {"lamps_transition_pre", HOOK},
    {"lamps_transition_pre_init", HOOK_INIT},
    {"lamps", FRAME},
    {"archstairs_background", FRAME},
    {"archstairs", FRAME},
    {"tree", FRAME},
    {"ghost_test", FRAME},
    {"fedsquare", FRAME},
    {"city_init", INIT},
    {"city_background", FRAME},
    {"city", FRAME},
};

// The init routine that must have run before a routine is called: it loads
// that routine's pictures or makes its state.
const std::map<std::string, std::string> NEEDS = {
    {"test", "test_init"},
    {"test2", "test_init"},
    {"sample_transition_pre", "test_init"},
    {"sample_transition_post", "test_init"},
    {"bb", "bb_init"},
    {"bb_background", "bb_init"},
    {"background_window", "background_window_init"},
    {"overlay_face", "overlay_face_init"},
    {"overlay_logo", "overlay_logo_init"},
    {"lamps_background", "lamps_init"},
    {"lamps", "lamps_init"},
    {"lamps_transition_pre", "lamps_init"},
    {"archstairs_background", "archstairs_init"},
    {"archstairs", "archstairs_init"},
    {"tree", "tree_init"},
    {"ghost_test", "ghost_init"},
    {"fedsquare", "fedsquare_init"},
    {"city_background", "city_init"},
    {"city", "city_init"},
};

// Routines whose scenes draw ghost figures with lamps_init's textures, and
// init routines that must therefore come after lamps_init.
const std::vector<std::string> GHOST_INITS = {"archstairs_init", "ghost_init", "fedsquare_init"};

// Stand-ins with distinct addresses (distinct bodies, so none are folded).
template <size_t N>
int32_t stand_in()
{
    return static_cast<int32_t>(N) + 1;
}

template <size_t... I>
std::array<Routine, sizeof...(I)> stand_ins(std::index_sequence<I...>)
{
    return {as_routine(&stand_in<I>)...};
}

void register_stand_ins()
{
    static bool s_done = false;
    if (s_done)
        return;
    s_done = true;
    static const std::array<Routine, 39> routines = stand_ins(std::make_index_sequence<39>());
    static std::array<FuncTableEntry, 39> entries;
    for (size_t i = 0; i < entries.size(); ++i) {
        entries[i] = {ROUTINES[i].first, routines[i]};
        FuncTable_AddFunc(&entries[i]);
    }
}

// The name a resolved address stands for ("" for none, "?" for unknown).
std::string name_of(Routine routine)
{
    if (!routine)
        return "";
    for (int32_t i = 0; i < g_funcTable.count; ++i)
        if (g_funcTable.entries[i]->routine == routine)
            return g_funcTable.entries[i]->name;
    return "?";
}

Role role_of(const std::string& name)
{
    for (const auto& [routine, role] : ROUTINES)
        if (name == routine)
            return role;
    ADD_FAILURE() << name << " is not a registered routine";
    return INIT;
}

struct PlayedScene {
    int32_t start, length;
    std::vector<std::string> routines;
    bool transition;
    int32_t transitionLength;
    std::string prefunc, prefunc_init, postfunc, postfunc_init;
};

struct BuiltScript {
    std::vector<std::string> init;
    std::vector<PlayedScene> scenes;
    int32_t end = -1;
};

// Builds the script in `dir` with the real builder and reads it back from
// the runtime timeline. Any diagnostic (a malformed line, a missing end tag,
// an unknown routine) fails the test.
BuiltScript build_script(const std::filesystem::path& dir)
{
    register_stand_ins();
    BuiltScript script;
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    LogCapture log;
    int32_t built = InitScriptInterface();
    std::filesystem::current_path(previous);
    for (const std::string& line : log.lines)
        ADD_FAILURE() << dir << ": " << line;
    EXPECT_EQ(built, 1) << dir;
    if (built != 1)
        return script;

    InitList* init = script_init_init();
    SceneRecord* timeline = script_init();
    if (!init || !timeline) {
        ADD_FAILURE() << "no timeline";
        return script;
    }
    for (int32_t i = 0; i < init->count; ++i)
        script.init.push_back(name_of(init->routines[i]));
    const SceneRecord* record = timeline;
    for (; record->routineCount != 0; ++record) {
        PlayedScene scene{record->start, record->length, {}, record->hasTransition != 0, record->transitionLength,
                          name_of(record->prefunc), name_of(record->prefunc_init), name_of(record->postfunc),
                          name_of(record->postfunc_init)};
        for (int32_t r = 0; r < record->routineCount; ++r)
            scene.routines.push_back(name_of(record->routines[r]));
        script.scenes.push_back(scene);
    }
    script.end = record->start;
    return script;
}

// What every script must satisfy to run: each name is used in its own role,
// the init routine of every routine used has run, lamps_init precedes the
// ghosts, the music is opened, and transitions are long enough to divide by.
void expect_runnable(const BuiltScript& script)
{
    for (const std::string& name : script.init)
        EXPECT_EQ(role_of(name), INIT) << name;
    auto position = [&](const std::string& name) {
        return std::find(script.init.begin(), script.init.end(), name) - script.init.begin();
    };
    auto listed = [&](const std::string& name) { return position(name) < std::ssize(script.init); };
    EXPECT_TRUE(listed("music_init"));
    EXPECT_EQ(std::count(script.init.begin(), script.init.end(), "music_init"), 1);

    std::vector<std::string> used;
    for (const PlayedScene& scene : script.scenes) {
        for (const std::string& name : scene.routines) {
            EXPECT_EQ(role_of(name), FRAME) << name;
            used.push_back(name);
        }
        if (scene.transition) {
            EXPECT_GT(scene.transitionLength, 0);
            EXPECT_LE(scene.transitionLength * 2, scene.length) << "lead-in and lead-out windows overlap";
        }
        for (const std::string& hook : {scene.prefunc, scene.postfunc}) {
            if (!hook.empty()) {
                EXPECT_EQ(role_of(hook), HOOK) << hook;
                used.push_back(hook);
            }
        }
        for (const std::string& hook : {scene.prefunc_init, scene.postfunc_init}) {
            if (!hook.empty()) {
                EXPECT_EQ(role_of(hook), HOOK_INIT) << hook;
            }
        }
    }
    for (const std::string& name : used) {
        auto need = NEEDS.find(name);
        if (need != NEEDS.end()) {
            EXPECT_TRUE(listed(need->second)) << name << " needs " << need->second;
        }
    }
    for (const std::string& ghosts : GHOST_INITS) {
        if (listed(ghosts)) {
            EXPECT_LT(position("lamps_init"), position(ghosts)) << ghosts;
        }
    }
}

} // namespace

TEST(ShippedScript, PlaysThePlannedScenesWithinTheSoundtrack)
{
    BuiltScript script = build_script(VIGIL_SOURCE_DIR);
    expect_runnable(script);

    // The routines each scene of the plan draws with.
    const std::map<std::string, std::vector<std::string>> ROUTINES_OF = {
        {"logo", {"black", "overlay_logo"}},
        {"window", {"black", "overlay_logo", "background_window", "overlay_face"}},
        {"lamps", {"lamps_background", "lamps"}},
        {"archstairs", {"archstairs_background", "archstairs"}},
        {"ghost", {"lamps_background", "ghost_test"}},
        {"tree", {"black", "tree"}},
        {"fedsquare", {"fedsquare"}},
        {"city", {"city_background", "city"}},
        {"model", {"bb_background", "bb"}},
    };
    ASSERT_EQ(script.scenes.size(), std::size(plan::SCENES));
    int32_t total = 0;
    for (size_t i = 0; i < script.scenes.size(); ++i) {
        const PlayedScene& played = script.scenes[i];
        const plan::Scene& planned = plan::SCENES[i];
        EXPECT_EQ(played.start, planned.start) << planned.name;
        EXPECT_EQ(played.length, planned.length) << planned.name;
        EXPECT_EQ(played.routines, ROUTINES_OF.at(planned.name)) << planned.name;
        total += played.length;
    }
    EXPECT_EQ(total, plan::END);
    EXPECT_EQ(script.end, plan::END);
    EXPECT_LE(script.end, plan::SOUNDTRACK_MS);

    // Transitions: the lamps scene darkens into the archstairs scene, which
    // wipes in; the fedsquare scene wipes out. No other scene has one.
    auto transition_of = [&](const char* name) -> const PlayedScene& {
        for (size_t i = 0; i < script.scenes.size(); ++i)
            if (std::strcmp(plan::SCENES[i].name, name) == 0)
                return script.scenes[i];
        static const PlayedScene none{};
        return none;
    };
    const PlayedScene& lamps = transition_of("lamps");
    EXPECT_TRUE(lamps.transition);
    EXPECT_EQ(lamps.prefunc, "lamps_transition_pre");
    EXPECT_EQ(lamps.prefunc_init, "lamps_transition_pre_init");
    EXPECT_EQ(lamps.postfunc + lamps.postfunc_init, "");
    const PlayedScene& archstairs = transition_of("archstairs");
    EXPECT_TRUE(archstairs.transition);
    EXPECT_EQ(archstairs.postfunc, "sample_transition_post");
    EXPECT_EQ(archstairs.postfunc_init, "sample_transition_post_init");
    EXPECT_EQ(archstairs.prefunc + archstairs.prefunc_init, "");
    const PlayedScene& fedsquare = transition_of("fedsquare");
    EXPECT_TRUE(fedsquare.transition);
    EXPECT_EQ(fedsquare.prefunc, "sample_transition_pre");
    EXPECT_EQ(fedsquare.prefunc_init, "sample_transition_pre_init");
    EXPECT_EQ(fedsquare.postfunc + fedsquare.postfunc_init, "");
    int withTransition = 0;
    for (const PlayedScene& scene : script.scenes)
        withTransition += scene.transition;
    EXPECT_EQ(withTransition, 3);
}

TEST(ShippedScript, ExampleShowsTheTestLayersThroughTheSampleTransitions)
{
    BuiltScript script = build_script(std::filesystem::path(VIGIL_SOURCE_DIR) / "examples" / "test_layers");
    expect_runnable(script);
    ASSERT_FALSE(script.scenes.empty());

    bool test = false, test2 = false, pre = false, post = false;
    for (const PlayedScene& scene : script.scenes) {
        for (const std::string& name : scene.routines) {
            test |= name == "test";
            test2 |= name == "test2";
        }
        pre |= scene.prefunc == "sample_transition_pre" && scene.prefunc_init == "sample_transition_pre_init";
        post |= scene.postfunc == "sample_transition_post" && scene.postfunc_init == "sample_transition_post_init";
    }
    EXPECT_TRUE(test && test2 && pre && post);
    EXPECT_EQ(script.init.front(), "test_init");
    EXPECT_LE(script.end, plan::SOUNDTRACK_MS);
}
