// The routines' state as one value (effects/effects_state.h):
// effects_state_reset makes the routines start over as in a fresh process,
// through the real GL path, compared pixel for pixel. (That a copy restores
// the scenes exactly is tested on the shipped demo, tests/e2e/snapshot_test.)
#include "assets/content_names.h"
#include "base/random.h"
#include "effects/effects_state.h"
#include "tests/effects/effects_fixture.h"
#include "tools/common/asset_writers.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using Screen = std::vector<uint8_t>;

// Colour pictures in two colours split at x = 128 and shapes opaque on their
// left half, so that whatever moves over or under them changes the picture.
const std::function<std::array<int, 3>(int, int)> SPLIT = [](int x, int) {
    return x < 128 ? std::array<int, 3>{200, 60, 40} : std::array<int, 3>{30, 90, 160};
};
const Shape LEFT_HALF = [](int x, int) { return x < 128 ? 255 : 0; };
const Shape DISC = [](int x, int y) { return (x - 32) * (x - 32) + (y - 32) * (y - 32) < 900 ? 255 : 0; };

// The figure textures and the pictures of the lamps, archstairs and
// fedsquare scenes.
void add_figure_scene_content()
{
    for (const char* name : {content::LAMPS_SCENE, content::ARCHSTAIRS_SCENE, content::FEDSQUARE})
        fake_content_add(name, colour_jpeg(256, 160, SPLIT));
    for (const char* name : {content::LAMPS_MASK, content::LAMPS_TRANSITION_MAP, content::ARCHSTAIRS_MASK})
        fake_content_add(name, mask_gif(256, 160, LEFT_HALF));
    fake_content_add(content::DOT, mask_gif(64, 64, DISC));
    for (int p = 0; p < content::SMOKE_PUFFS; ++p) {
        char name[64];
        std::snprintf(name, sizeof name, content::SMOKE_PUFF_FORMAT, p);
        fake_content_add(name, mask_gif(64, 64, p == 0 ? DISC : LEFT_HALF));
    }
}

// Every file an init routine loads, but the model pack (the model scene keeps
// no state that its frames change).
void add_all_content()
{
    add_figure_scene_content();
    for (const char* name : {content::LOGO, content::TREE, content::CITY_BACKGROUND, content::CITY_LIT})
        fake_content_add(name, colour_jpeg(256, 160, SPLIT));
    for (const char* name : {content::FACE_MASK, content::LOGO_ALPHA, content::TREE_SILHOUETTE, content::TREE_FLASH_1,
                             content::TREE_FLASH_2, content::TREE_COVER, content::CITY_LIT_MASK, content::CITY_TOP})
        fake_content_add(name, mask_gif(256, 160, LEFT_HALF));
    for (int k = 0; k < content::WINDOW_FRAMES; ++k) {
        char name[64];
        std::snprintf(name, sizeof name, content::WINDOW_FRAME_FORMAT, k);
        fake_content_add(name, solid_gif(64, 40, {20 * k, 250 - 20 * k, 100}));
    }
    std::vector<uint8_t> mask(64 * 64 * 4);
    for (size_t i = 0; i < 64 * 64; ++i)
        mask[i * 4 + 3] = static_cast<uint8_t>(i * 7);
    fake_content_add(content::WIPE_MASK, write_tga({64, 64, 32, false, -1, "", false}, mask.data()));
}

// What a frame of a scene draws, on a black screen.
Screen draw(const std::function<void()>& routines)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    routines();
    Screen screen(static_cast<size_t>(GL_TEST_WIDTH) * GL_TEST_HEIGHT * 4);
    glReadPixels(0, 0, GL_TEST_WIDTH, GL_TEST_HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, screen.data());
    return screen;
}

// A 64-bit FNV-1a digest of a screen, taken a pixel at a time, to keep many
// of them.
uint64_t digest(const Screen& screen)
{
    uint64_t hash = 14695981039346656037ull;
    for (size_t i = 0; i + 4 <= screen.size(); i += 4) {
        uint32_t pixel;
        std::memcpy(&pixel, &screen[i], 4);
        hash = (hash ^ pixel) * 1099511628211ull;
    }
    return hash;
}

// Every init routine of the demo's init list (with the generator's draws in
// the demo's order, lamps before fedsquare), then six frames of every
// routine that keeps state, 5 s apart: past the window background's start
// delay, the big ghost's rise, the tree's flashes and the city's fade. The
// digests of every routine's pictures, in order.
std::vector<uint64_t> play_whole_demo()
{
    for (auto init : {test_init, background_window_init, overlay_face_init, overlay_logo_init, lamps_init,
                      archstairs_init, tree_init, ghost_init, fedsquare_init, city_init})
        EXPECT_EQ(init(), 1);
    init_multitexture();
    bb_init(); // no model pack: it fails, having made the model record
    sample_transition_post_init();
    lamps_transition_pre_init();
    std::vector<uint64_t> digests;
    for (int i = 0; i < 6; ++i) {
        const double t = 5.0 * i;
        const double dt = i == 0 ? 0.0 : 5.0;
        for (auto routine : {test, test2, sample_transition_post, sample_transition_pre, background_window,
                             overlay_face, overlay_logo, lamps_background, lamps, lamps_transition_pre,
                             archstairs_background, archstairs, tree, ghost_test, fedsquare, city_background, city})
            digests.push_back(digest(draw([=] { routine(0, 0, t, dt); })));
    }
    return digests;
}

// The modules whose states differ between `a` and `b`, by member name.
std::string differing_modules(const EffectsState& a, const EffectsState& b)
{
    std::string names;
    auto check = [&](bool same, const char* name) {
        if (same)
            return;
        if (!names.empty())
            names += ' ';
        names += name;
    };
    check(a.basic == b.basic, "basic");
    check(a.overlays == b.overlays, "overlays");
    check(a.lamps == b.lamps, "lamps");
    check(a.archstairs == b.archstairs, "archstairs");
    check(a.ghost == b.ghost, "ghost");
    check(a.tree == b.tree, "tree");
    check(a.fedsquare == b.fedsquare, "fedsquare");
    check(a.city == b.city, "city");
    check(a.modelScene == b.modelScene, "modelScene");
    return names;
}

} // namespace

using EffectsStateGl = EffectsGl;

// Catches a reset that leaves any module's state as the frames left it, and
// state kept outside g_effects or the generator: after the reset (and the
// generator's restart) the same inits and frames draw the same pictures as
// the first time, which started from the state of a fresh process.
TEST_F(EffectsStateGl, ResetAfterInitsAndFramesStartsEveryRoutineOver)
{
    add_all_content();
    SceneRecord scene{};
    scene.transitionLength = 2000;
    g_timeline = &scene;
    g_current_scene = 0;

    const std::vector<uint64_t> first = play_whole_demo();
    const EffectsState start{};
    // Each module's state has moved, so the comparison after the reset can fail.
    EXPECT_EQ(differing_modules(g_effects, start),
              "basic overlays lamps archstairs ghost tree fedsquare city modelScene");
    effects_state_reset();
    EXPECT_EQ(differing_modules(g_effects, start), "");
    EXPECT_TRUE(g_effects == start);

    demo_rand_set_state(DEMO_RAND_START);
    GlTest::SetUp(); // the GL state the first run started with
    const std::vector<uint64_t> again = play_whole_demo();
    ASSERT_EQ(again.size(), first.size());
    const size_t same = std::mismatch(first.begin(), first.end(), again.begin()).first - first.begin();
    EXPECT_EQ(same, first.size()) << "first difference: routine " << same % 17 << " of frame " << same / 17;
}
