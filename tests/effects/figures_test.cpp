// The ghost-figure helpers and the scenes that draw ghost figures (lamps,
// archstairs, ghost, fedsquare), driven through the real GL path with
// pictures made here.
#include "assets/content_names.h"
#include "base/random.h"
#include "effects/archstairs.h"
#include "effects/fedsquare.h"
#include "effects/ghost.h"
#include "effects/lamps.h"
#include "effects/sprites.h"
#include "script/timeline.h"
#include "tests/effects/effects_fixture.h"

#include <cmath>
#include <cstdio>

namespace {

const Rgb SCENE = {40, 70, 130};
const Rgb WHITE = {255, 255, 255}, BLACK = {0, 0, 0}, RED = {255, 0, 0};
SceneRecord s_scene[2];

// A mipmapped figure texture of `size` squared texels, the shape as alpha.
GLuint figure_texture(int size, const Shape& shape)
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            pixels.insert(pixels.end(), {0, static_cast<uint8_t>(shape(x, y)), 0, 255});
    return build_mip_texture(pixels.data(), size, size);
}

// Figure textures: a solid dot, and solid puffs or, with `distinct`, three
// that differ (solid, left half, top half).
void make_figure_textures(bool distinct)
{
    const Shape puffs[3] = {SOLID, [](int x, int) { return x < 128 ? 255 : 0; },
                            [](int, int y) { return y < 128 ? 255 : 0; }};
    g_effects.lamps.dotTexture = figure_texture(64, SOLID);
    for (int p = 0; p < 3; ++p)
        g_effects.lamps.puffTextures[p] = figure_texture(256, distinct ? puffs[p] : SOLID);
}

void clear_to(float grey)
{
    glClearColor(grey, grey, grey, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// The lamps pictures: a plain scene picture, the given cut-out mask and
// transition map, a solid dot and solid puffs.
void add_lamps_content(const Shape& mask, const Shape& map)
{
    fake_content_add(content::LAMPS_SCENE, colour_jpeg(1024, 640, SCENE));
    fake_content_add(content::LAMPS_MASK, mask_gif(1024, 640, mask));
    fake_content_add(content::LAMPS_TRANSITION_MAP, grey_jpeg(1024, 640, map));
    fake_content_add(content::DOT, grey_jpeg(64, 64, SOLID));
    for (int p = 0; p < content::SMOKE_PUFFS; ++p) {
        char name[64];
        std::snprintf(name, sizeof name, content::SMOKE_PUFF_FORMAT, p);
        fake_content_add(name, mask_gif(256, 256, SOLID));
    }
}

// The demo's generator's value after `draws` draws from the start: state from
// 1, each step state * 214013 + 2531011, result bits 16 to 30.
int reference_rand(int draws)
{
    uint32_t state = 1;
    for (int i = 0; i <= draws; ++i)
        state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
}

} // namespace

using SpritesGl = EffectsGl;

// The head alone: catches a misplaced shadow (50 units square around y + 2,
// 11.09 pixels a unit) or eye, and a turn applied after the position.
TEST_F(SpritesGl, GhostHeadSitsOnTheFigureAndTurnsRoundTheAxis)
{
    g_effects.lamps.dotTexture = figure_texture(64, SOLID);
    clear_to(1);
    glMatrixMode(GL_PROJECTION); // the ghost scene's camera, 50 units in front of the eye
    glLoadIdentity();
    gluPerspective(60, 1.6, 1, 1024);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(0, 0, -50);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const Figure upright{0, 0, 0, 0};
    draw_ghost(&upright, 0.0, 0);
    EXPECT_TRUE(pixel_is(512, 320 - 35, RED, 2)) << "the eyes at y + 3";
    EXPECT_TRUE(pixel_is(512 + 50, 320 - 35, BLACK, 2)) << "the shadow beside them";
    EXPECT_TRUE(pixel_is(512 - 265, 320 + 240, BLACK, 2));
    EXPECT_TRUE(pixel_is(512 - 290, 320, WHITE, 0)) << "the shadow ends 25 units from x";
    EXPECT_TRUE(pixel_is(512, 320 + 270, WHITE, 0)) << "and 25 units below y + 2";

    clear_to(1);
    const Figure turned{10, 0, 0, 180}; // lands at x = -10: the shadow spans 401 +- 277
    draw_ghost(&turned, 0.0, 0);
    EXPECT_TRUE(pixel_is(140, 400, BLACK, 2));
}

// Catches a figure off the centre or drawn before ghost_init, and puff
// textures that stop turning when k turns negative after 1000 steps: steps
// 998.5 and 1001.5 (k = 2, -1) draw alike, 999.5 (k = 1) does not.
TEST_F(SpritesGl, GhostSceneFigureStandsInTheMiddleAndItsPuffsKeepTurning)
{
    make_figure_textures(true);
    clear_to(1);
    ghost_test(0, 0, 0.0, 0.0);
    EXPECT_EQ(count_differing(read_screen(), WHITE, 0), 0) << "nothing before ghost_init";
    ASSERT_EQ(ghost_init(), 1);
    std::vector<uint8_t> frames[3];
    const double steps[3] = {998.5, 1.0, 2.0};
    for (int i = 0; i < 3; ++i) {
        clear_to(1);
        ghost_test(0, 0, 0.0, steps[i]);
        frames[i] = read_screen();
    }
    EXPECT_GT(count_differing(frames[0], WHITE, 10), 20000);
    EXPECT_EQ(count_differing(frames[0], WHITE, 0, 0, 150), 0) << "the sides stay clear";
    EXPECT_EQ(count_differing(frames[0], WHITE, 0, GL_TEST_WIDTH - 150), 0);
    EXPECT_LE(max_difference(frames[0], frames[2]), 2);
    EXPECT_GT(max_difference(frames[0], frames[1]), 40);
    EXPECT_FALSE(glIsEnabled(GL_BLEND)) << "attributes restored";
}

using LampsGl = EffectsGl;

// Catches success without a picture, fog draws miscounted (moving every later
// scene's placements), a wrong procession line-up, fog puffs drawn twice or
// never (three sit on the x = 0 boundary) and a wrong drift wrap.
TEST_F(LampsGl, InitPlacesFogAndProcessionAndTheFogDriftsAndWraps)
{
    add_lamps_content(NOTHING, SOLID);
    fake_content_add(content::DOT, {1, 2, 3});
    EXPECT_EQ(lamps_init(), 0) << "a dot that does not decode";
    EXPECT_EQ(g_effects.lamps.dotTexture, 0u);
    add_lamps_content(NOTHING, SOLID);
    ASSERT_EQ(lamps_init(), 1);
    EXPECT_EQ(demo_rand(), reference_rand(4 * LAMPS_FOG_PUFFS)) << "exactly 512 draws";
    for (int j = 0; j < LAMPS_PROCESSION; ++j)
        EXPECT_DOUBLE_EQ(g_effects.lamps.procession[j].z, -2048.0 + 512.0 * j / 3.0);
    EXPECT_EQ(g_effects.lamps.bigGhost.z, 16.0);
    EXPECT_EQ(g_effects.lamps.bigGhost.heading, -80.0);

    float before[LAMPS_FOG_PUFFS];
    for (int i = 0; i < LAMPS_FOG_PUFFS; ++i)
        before[i] = g_effects.lamps.fog[i].z;
    lamps(0, 0, 0.0, 0.1); // drift 5: the puffs at 252 and 253 pass 256
    int onBoundary = 0;
    for (int i = 0; i < LAMPS_FOG_PUFFS; ++i) {
        const LampsFogPuff& puff = g_effects.lamps.fog[i];
        EXPECT_EQ(puff.passes, puff.x < 0 ? 1 : 2) << "puff " << i << " at x " << puff.x;
        onBoundary += puff.x == 0;
        const float drifted = before[i] + 5.0f;
        EXPECT_FLOAT_EQ(puff.z, drifted > 256 ? drifted - 1024 : drifted) << i;
    }
    EXPECT_EQ(onBoundary, 3);
}

// Catches lights at wrong places or phases, a foreground not on top or not cut
// out, and a big ghost (a black head over much of the screen) at or before
// 14.945 s after the first call, a rise not from that moment or not limited to 23.
TEST_F(LampsGl, LightsBlinkUnderTheCutOutForegroundAndTheBigGhostRisesAfter14945Milliseconds)
{
    add_lamps_content([](int x, int) { return x >= 600; }, SOLID);
    ASSERT_EQ(lamps_init(), 1);
    lamps_background(0, 0, 0.0, 0.0);
    EXPECT_TRUE(pixel_is(400, 100, SCENE)) << "the background is the scene picture";
    clear_to(0);
    lamps(0, 0, 100.0, 0.0); // light phase 0: pairs at 0, -pi/4, +pi/4 lit, +pi/2 dark; the start is t = 100
    for (auto [x, y] : {std::pair{189, 535}, {197, 528}, {30, 531}, {47, 458}, {61, 459}})
        EXPECT_TRUE(pixel_is(x, y, RED));
    EXPECT_TRUE(pixel_is(56, 507, BLACK));
    EXPECT_TRUE(pixel_is(64, 504, BLACK));
    EXPECT_EQ(count_differing(read_screen(), SCENE, 3, 600), 0) << "foreground on top";
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST)) << "attributes restored";

    clear_to(1);
    lamps(0, 0, 114.945, 5.0);
    EXPECT_EQ(g_effects.lamps.rise, -100.0f);
    auto dark = [this] { return GL_TEST_WIDTH * GL_TEST_HEIGHT - count_differing(read_screen(), BLACK, 39); };
    const int darkBefore = dark();
    lamps(0, 0, 114.95, 2.0);
    EXPECT_FLOAT_EQ(g_effects.lamps.rise, -50.0f);
    clear_to(1);
    lamps(0, 0, 115.0, 3.0);
    EXPECT_EQ(g_effects.lamps.rise, 23.0f);
    EXPECT_LT(darkBefore, 5000) << "the procession alone is small";
    EXPECT_GT(dark(), darkBefore + 40000);
}

// Map bands 64, 192, 255: catches a threshold applied before the step, a wrong
// rate, covering values of exactly 1.0, no reset, a zero length dividing by zero.
TEST_F(LampsGl, TransitionMapTurnsTheScreenBlackExceptFullValues)
{
    add_lamps_content(NOTHING, [](int x, int) { return x < 320 ? 64 : x < 640 ? 192 : 255; });
    ASSERT_EQ(lamps_init(), 1);
    g_timeline = s_scene;
    g_current_scene = 0;
    auto frame = [](double dt) {
        clear_to(1);
        lamps_transition_pre(0, 0, 0.0, dt);
    };
    const int blackBands[6] = {0, 0, 1, 1, 2, 2};
    for (int length : {1000, 0}) {
        s_scene[0].transitionLength = length;
        lamps_transition_pre_init();
        for (int step = 0; step < 6; ++step) { // thresholds 0, 0.25, 0.5, 0.75, 1, 1
            frame(length ? 0.25 : 0.0);
            const int k = length || step == 0 ? step : 5;
            for (int b = 0; b < 3; ++b) {
                const int v = b < blackBands[k] ? 0 : 255;
                EXPECT_TRUE(pixel_is(160 + 320 * b, 300, {v, v, v}, 0)) << length << " step " << step << " band " << b;
            }
        }
    }
}

using ArchstairsGl = EffectsGl;

// Catches success without the mask, walkers not hidden behind the foreground
// (a clear mask shows one on the left), a wrap applied once or of a wrong size.
TEST_F(ArchstairsGl, WalkersWrapBy704AndPassBehindTheForeground)
{
    fake_content_add(content::ARCHSTAIRS_SCENE, colour_jpeg(1024, 640, SCENE));
    EXPECT_EQ(archstairs_init(), 0);
    make_figure_textures(false);
    for (bool leftOpaque : {true, false}) {
        fake_content_add(content::ARCHSTAIRS_MASK, mask_gif(1024, 640, [=](int x, int) { return leftOpaque && x < 512; }));
        ASSERT_EQ(archstairs_init(), 1);
        clear_to(0);
        archstairs_background(0, 0, 0.0, 0.0);
        archstairs(0, 0, 0.0, 21.3); // walkers over the right and one just left of the middle
        const std::vector<uint8_t> screen = read_screen();
        EXPECT_EQ(count_differing(screen, SCENE, 3, 0, 512) > 500, !leftOpaque);
        EXPECT_GT(count_differing(screen, SCENE, 10, 512), 2000);
    }
    double start[ARCHSTAIRS_WALKERS];
    for (int j = 0; j < ARCHSTAIRS_WALKERS; ++j)
        start[j] = g_effects.archstairs.walkers[j].x;
    archstairs(0, 0, 0.0, 100.0); // 6400 units: many laps of 704
    for (int j = 0; j < ARCHSTAIRS_WALKERS; ++j) {
        const double x = g_effects.archstairs.walkers[j].x;
        EXPECT_TRUE(x >= -128.0 && x < 576.0) << j << " at " << x;
        const double laps = (x - (start[j] - 6400.0)) / 704.0;
        EXPECT_NEAR(laps, std::round(laps), 1e-9) << j;
    }
}

// Catches a missing picture not reported, draws per figure miscounted, a crowd
// sinking below 0 on a long frame (out of view) or moving with dt = 0.
TEST_F(SpritesGl, FedsquareCrowdLandsAtOnceOnALongFrameAndStaysStillWithoutTime)
{
    EXPECT_EQ(fedsquare_init(), 0);
    fake_content_add(content::FEDSQUARE, colour_jpeg(1024, 640, SCENE));
    make_figure_textures(false);
    ASSERT_EQ(fedsquare_init(), 1);
    EXPECT_EQ(demo_rand(), reference_rand(3 * FEDSQUARE_CROWD));
    fedsquare(0, 0, 0.0, 0.0);
    EXPECT_EQ(count_differing(read_screen(), SCENE), 0) << "crowd out of view, 1048 units up";
    fedsquare(0, 0, 0.0, 100.0);
    const std::vector<uint8_t> landed = read_screen();
    EXPECT_GT(count_differing(landed, SCENE, 10), 20000);
    fedsquare(0, 0, 100.0, 0.0);
    EXPECT_EQ(max_difference(landed, read_screen()), 0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "attributes restored";
}
