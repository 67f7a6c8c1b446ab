// The tree, city and model scenes through the real GL path with pictures and
// a model made here, and every frame routine against broken time steps. Every
// test starts from the routines' start state (tests/effects/effects_fixture.h).
#include "assets/content_names.h"
#include "effects/city.h"
#include "effects/model_scene.h"
#include "effects/registration.h"
#include "effects/tree.h"
#include "script/functable.h"
#include "tests/effects/effects_fixture.h"
#include "tools/common/asset_writers.h"

#include <cmath>
#include <string>

namespace {

const Rgb BLACK = {0, 0, 0}, WHITE = {255, 255, 255}, RED = {255, 0, 0}, GREEN = {0, 255, 0}, BLUE = {0, 0, 255};

// Tree blue above row 528, green below; flash 1 white on screen x 224-623,
// flash 2 on 624-1023; cover white left of x = 128. Checks look outside the
// attractor cloud (x 374 to 906).
void add_tree_pictures(bool opaqueSilhouette)
{
    fake_content_add(content::TREE, colour_jpeg(1024, 1162, [](int, int y) { return y < 528 ? BLUE : GREEN; }));
    fake_content_add(content::TREE_SILHOUETTE, mask_gif(1024, 1162, [=](int, int) { return opaqueSilhouette; }));
    fake_content_add(content::TREE_FLASH_1, grey_jpeg(800, 640, [](int x, int) { return x < 400 ? 255 : 0; }));
    fake_content_add(content::TREE_FLASH_2, grey_jpeg(800, 640, [](int x, int) { return x < 400 ? 0 : 255; }));
    fake_content_add(content::TREE_COVER, mask_gif(1024, 640, [](int x, int) { return x < 128; }));
}

// The summed differences of the channel sums of two screens' 32 x 32 blocks.
long block_distance(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    std::vector<long> blocks((GL_TEST_WIDTH / 32) * (GL_TEST_HEIGHT / 32));
    for (size_t i = 0; i < a.size(); ++i)
        if (i % 4 != 3)
            blocks[(i / 4 / GL_TEST_WIDTH / 32) * (GL_TEST_WIDTH / 32) + i / 4 % GL_TEST_WIDTH / 32] += a[i] - b[i];
    long sum = 0;
    for (long block : blocks)
        sum += std::abs(block);
    return sum;
}

// A pack holding `modelName`: a 16-unit box at (40, 40, 0) with the half-transparent
// white "particles.tga" named with directories, as the demo's model does. Inside its
// outline two faces cover each pixel: 1 - (1 - 128/255)^2 of white.
void add_model_pack(const char* modelName)
{
    Ms3dModelRecords model;
    for (int corner = 0; corner < 8; ++corner)
        model.vertices.push_back(
            {0, {40.0f + ((corner & 1) ? 8 : -8), 40.0f + ((corner & 2) ? 8 : -8), (corner & 4) ? 8.0f : -8.0f}, -1, 0});
    const uint16_t faces[6][4] = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}};
    Ms3dGroupRecord group{0, "box", {}, 0};
    for (const auto& face : faces)
        for (const auto& corners : {std::array{0, 1, 2}, {0, 2, 3}}) {
            Ms3dTriangleRecord triangle;
            for (int k = 0; k < 3; ++k) {
                triangle.vertexIndices[k] = face[corners[k]];
                triangle.s[k] = triangle.t[k] = 0.5f;
            }
            group.triangleIndices.push_back(static_cast<uint16_t>(model.triangles.size()));
            model.triangles.push_back(triangle);
        }
    model.groups.push_back(group);
    Ms3dMaterialRecord material;
    material.transparency = 0.65f;
    material.texture = "..\\..\\..\\3d\\particles.tga";
    model.materials.push_back(material);
    const std::vector<uint8_t> texel = {255, 255, 255, 128, 255, 255, 255, 128, 255, 255, 255, 128, 255, 255, 255, 128};
    std::vector<uint8_t> pack;
    ASSERT_TRUE(write_pack({{modelName, write_ms3d(model)},
                            {"PARTICLES.TGA", write_tga({2, 2, 32, false, -1, "", false}, texel.data())}},
                           &pack));
    fake_content_add(content::MODEL_PACK, pack);
}

} // namespace

using TreeScene = EffectsGl;

// Catches success without every picture, a wrong rise rate or start, a scroll
// past -522, a cover drawn with the alpha after its step or after it faded, and
// 32 silhouette copies (black, alpha 1/31) not leaving about a third: 89 of
// 255, up to 94 with 8-bit rounding.
TEST_F(TreeScene, PictureRisesAndStopsWhileTheCoverFadesUnderTheSilhouette)
{
    EXPECT_EQ(tree_init(), 0);
    add_tree_pictures(false);
    fake_content_add(content::TREE_COVER, {0x47, 0x49, 0x46}); // a GIF cut short
    EXPECT_EQ(tree_init(), 0);
    for (bool opaque : {false, true}) {
        add_tree_pictures(opaque);
        ASSERT_EQ(tree_init(), 1);
        glClear(GL_COLOR_BUFFER_BIT);
        tree(0, 0, 0.0, opaque ? 100.0 : 1.0); // scroll 640 -> 544
        if (opaque) {
            EXPECT_TRUE(pixel_is(300, 100, {0, 91, 0}, 6)) << "about a third of the green";
            continue;
        }
        EXPECT_TRUE(pixel_is(600, 540, BLACK, 4));
        EXPECT_TRUE(pixel_is(600, 548, BLUE, 4));
        EXPECT_TRUE(pixel_is(60, 300, WHITE, 4)) << "the cover at full alpha on the first frame";
        tree(0, 0, 1.0, 100.0); // far past the end: held at -522
        EXPECT_TRUE(pixel_is(600, 2, BLUE, 4)) << "row 2 shows picture row 524";
        EXPECT_TRUE(pixel_is(600, 10, GREEN, 4)) << "row 10 shows picture row 532";
        EXPECT_TRUE(pixel_is(600, 639, GREEN, 4)) << "the bottom edge meets the screen's";
        EXPECT_TRUE(pixel_is(60, 300, {230, 255, 230}, 4)) << "the cover at the alpha 0.9 from before the step";
        tree(0, 0, 2.0, 0.5);
        EXPECT_TRUE(pixel_is(60, 300, GREEN, 4)) << "the faded cover is no longer drawn";
    }
}

// Catches flashes before 22.264 s after the first call, a wrong alpha curve, a
// huge step reduced by whole instead of half cycles, flashes not ending.
TEST_F(TreeScene, FlashesStartAt22264SecondsAndEndAfterOneCycleEvenWithAHugeStep)
{
    add_tree_pictures(false);
    ASSERT_EQ(tree_init(), 1);
    tree(0, 0, 0.0, 0.0);
    tree(0, 0, 22.25, 0.0); // not yet: the tree is still below the screen
    EXPECT_TRUE(pixel_is(300, 320, BLACK, 4));
    EXPECT_TRUE(pixel_is(950, 320, BLACK, 4));
    tree(0, 0, 22.264, 0.125); // a quarter of the first picture's half: alpha sin^2(pi/4)
    EXPECT_TRUE(pixel_is(300, 320, {128, 128, 128}));
    EXPECT_TRUE(pixel_is(950, 320, BLACK, 4));
    // 10.125 s at once: about 3 pi / 2, the second picture at full alpha.
    tree(0, 0, 32.389, 10.125);
    EXPECT_TRUE(pixel_is(300, 320, GREEN, 4));
    EXPECT_TRUE(pixel_is(950, 320, WHITE, 4));
    tree(0, 0, 32.514, 0.125);
    EXPECT_TRUE(pixel_is(950, 320, GREEN, 4));
}

// Catches a clock that keeps the value 6 (reading past the six key sets), a
// wrong blend of the last set into the first, a misplaced cloud, and broken
// steps (-1e-17 from 0 used to give exactly 6.0) that hang or leave the cycle.
TEST_F(TreeScene, AttractorClockStaysWithinTheSixKeySetsAndBlendsTheLastIntoTheFirst)
{
    std::vector<uint8_t> screens[4];
    const double steps[4] = {0.0, 6.0, 5.0, 0.9921875}; // clock 0, 6 = 0, 5, 5.9921875
    for (int i = 0; i < 4; ++i) {
        glClear(GL_COLOR_BUFFER_BIT);
        tree_attractor(0, steps[i], -522);
        screens[i] = read_screen();
    }
    EXPECT_EQ(count_differing(screens[0], BLACK, 0, 0, 374), 0) << "the cloud keeps to x 374 to 906";
    EXPECT_GT(count_differing(screens[0], BLACK, 0, 374, 906), 1000);
    EXPECT_EQ(screens[1], screens[0]);
    EXPECT_LT(block_distance(screens[3], screens[0]) * 4, block_distance(screens[3], screens[2]));

    tree_attractor_advance(-tree_attractor_advance(0.0)); // back to 0
    for (double dt : {-1e-17, 5.999999999, -1e-17, std::nan(""), HUGE_VAL, -HUGE_VAL, 1e300, -1e300, -6.0}) {
        const double clock = tree_attractor_advance(dt);
        EXPECT_TRUE(clock >= 0.0 && clock < 6.0) << "dt " << dt << " clock " << clock;
    }
}

// Catches success without every picture (the fade-in layer needs its mask), a
// start fixed by a call before 1 s, a layer at exactly 3.0 s, a wrong or
// unlimited fade, no mask, a late top shape, inherited blending, leaked state.
TEST_F(TreeScene, CityLayerFadesInThreeSecondsAfterTheFirstCallAtOneSecondOrLater)
{
    EXPECT_EQ(city_init(), 0);
    fake_content_add(content::CITY_BACKGROUND, colour_jpeg(1024, 640, BLUE));
    fake_content_add(content::CITY_LIT, colour_jpeg(1024, 640, RED));
    fake_content_add(content::CITY_TOP, mask_gif(1024, 640, [](int, int y) { return y < 64; }));
    EXPECT_EQ(city_init(), 0);
    fake_content_add(content::CITY_LIT_MASK, mask_gif(1024, 640, [](int x, int) { return x < 512; }));
    ASSERT_EQ(city_init(), 1);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ONE); // would keep the screen as it is, were it left on
    auto frame = [](double t, double dt) {
        city_background(0, 0, t, dt);
        city(0, 0, t, dt);
    };
    frame(0.5, 0.5);
    EXPECT_TRUE(pixel_is(100, 20, WHITE, 4)) << "the top shape from the first frame";
    frame(1.0, 0.5);   // the start time is taken here, not at 0.5
    frame(3.75, 2.75); // 3.25 s after 0.5, 2.75 s after 1.0
    EXPECT_TRUE(pixel_is(100, 320, BLUE, 4));
    frame(4.0, 0.25); // exactly 3.0 s: not yet
    EXPECT_TRUE(pixel_is(100, 320, BLUE, 4));
    frame(4.25, 2.5); // drawn at 0.2 x 2.5 = 0.5
    EXPECT_TRUE(pixel_is(100, 320, {128, 0, 127}, 4));
    EXPECT_TRUE(pixel_is(700, 320, BLUE, 4)) << "masked";
    frame(5.25, 5.0); // limited to 1
    EXPECT_TRUE(pixel_is(100, 320, RED, 4));
    GLint source = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    EXPECT_TRUE(glIsEnabled(GL_BLEND) && !glIsEnabled(GL_TEXTURE_2D) && source == GL_ZERO);
}

using ModelScene = EffectsGl;

// Catches success without the model, a missing background failing bb_init or
// drawn, a model turned at t = 0, a wrong rotation order or angle, projection
// or distance, a model not blended over the screen, the caller's state lost.
TEST_F(ModelScene, ModelTurnsAboutXThenYThenZAndBlendsOverTheScreenWithoutABackground)
{
    add_model_pack("other.ms3d");
    EXPECT_EQ(bb_init(), 0);
    add_model_pack("mess.ms3d");
    ASSERT_EQ(bb_init(), 1) << "without a background";
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ONE); // states that would hide the model if left in force
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT_AND_BACK);
    bb_background(0, 0, 0.0, 0.0);
    // Through the 60-degree, 16:9 projection the box's centre, 200 units ahead
    // at (40, 40), lands on (612, 209).
    bb(0, 0, 0.0, 0.0);
    EXPECT_TRUE(pixel_is(612, 209, {192, 255, 192}, 4)) << "two half-transparent faces";
    EXPECT_TRUE(pixel_is(1024 - 612, 209, GREEN)) << "no background: the screen stays";
    EXPECT_TRUE(glIsEnabled(GL_BLEND) && glIsEnabled(GL_CULL_FACE));
    // 90 degrees about x, y, z (z applied first): the centre goes to (0, -40) 160 units ahead: (512, 459).
    glClear(GL_COLOR_BUFFER_BIT);
    bb(0, 0, std::asin(90.0 / 175.0), 0.0);
    EXPECT_TRUE(pixel_is(512, 459, {192, 255, 192}, 4));
    EXPECT_TRUE(pixel_is(612, 209, GREEN));
}

// Catches a routine missing from the function table, out of its order or not
// found by its name, and a broken step (infinite, NaN, huge) sending a clock
// into an endless wrap, an out-of-range index or an undefined float-to-int
// conversion (checked by the sanitizer build): every frame routine takes such
// steps, then a normal one.
TEST_F(ModelScene, All39RoutinesResolveInTheirOrderAndTakeBrokenSteps)
{
    const char* const names[] = {
        "test_init", "test", "test2", "bb_init", "bb", "bb_background", "cpp_init", "music_init",
        "background_window_init", "init_multitexture", "overlay_face_init", "overlay_logo_init", "lamps_init",
        "archstairs_init", "tree_init", "ghost_init", "fedsquare_init", "black", "white", "clear_depth",
        "background_window", "overlay_face", "overlay_logo", "sample_transition_pre", "sample_transition_pre_init",
        "sample_transition_post", "sample_transition_post_init", "lamps_background", "lamps_transition_pre",
        "lamps_transition_pre_init", "lamps", "archstairs_background", "archstairs", "tree", "ghost_test",
        "fedsquare", "city_init", "city_background", "city",
    };
    // Nothing registers itself before main (only this test registers, so its first run sees the table
    // as main left it); start-up registers the table, once however often it asks.
    static const int32_t s_count_before_first_run = g_funcTable.count;
    ASSERT_EQ(s_count_before_first_run, 0);
    register_routines();
    register_routines();
    ASSERT_EQ(g_funcTable.count, 39);
    for (int32_t i = 0; i < 39; ++i) {
        const std::string name = g_funcTable.entries[i]->name;
        EXPECT_EQ(name, names[i]) << "entry " << i + 1;
        EXPECT_EQ(FuncTable_Find(names[i]), g_funcTable.entries[i]->routine) << names[i];
        if (name.size() >= 5 && name.compare(name.size() - 5, 5, "_init") == 0)
            continue;
        auto routine = reinterpret_cast<FrameRoutine>(g_funcTable.entries[i]->routine);
        for (double dt : {HUGE_VAL, -HUGE_VAL, std::nan(""), 1e300, -1e300, -1e-17, 0.02})
            routine(0, 0, 30.0, dt);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << name;
    }
}
