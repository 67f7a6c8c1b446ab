// The ghost-figure helpers and the scenes that draw ghost figures (lamps,
// archstairs, ghost, fedsquare), driven through the real GL path with
// pictures made here. Figure textures are built from test pictures with
// build_mip_texture, or by lamps_init from registered files.
#include "core/random.h"
#include "effects/archstairs.h"
#include "effects/fedsquare.h"
#include "effects/ghost.h"
#include "effects/lamps.h"
#include "effects/sprites.h"
#include "script/timeline.h"
#include "tests/effects/fake_content.h"
#include "tests/gl/gl_fixture.h"
#include "tools/common/picture_writer.h"

#include "assets/content_names.h"

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

using Shape = std::function<int(int x, int y)>; // grey level 0..255 at (x, y)

std::vector<uint8_t> grey_jpeg(int width, int height, const Shape& grey)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(grey(x, y));
    std::vector<uint8_t> out;
    EXPECT_TRUE(encode_jpeg(out, pixels.data(), width, height, 1, 100, false));
    return out;
}

std::vector<uint8_t> colour_jpeg(int width, int height, uint8_t r, uint8_t g, uint8_t b)
{
    std::vector<uint8_t> pixels;
    for (int i = 0; i < width * height; ++i)
        pixels.insert(pixels.end(), {r, g, b});
    std::vector<uint8_t> out;
    EXPECT_TRUE(encode_jpeg(out, pixels.data(), width, height, 3, 100, false));
    return out;
}

// Black where the shape is 0, white elsewhere.
std::vector<uint8_t> mask_gif(int width, int height, const Shape& shape)
{
    GifPicture picture;
    picture.screenWidth = picture.width = width;
    picture.screenHeight = picture.height = height;
    picture.palette = {0, 0, 0, 255, 255, 255};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.indices.push_back(shape(x, y) ? 1 : 0);
    std::vector<uint8_t> out;
    EXPECT_TRUE(encode_gif(out, picture));
    return out;
}

const Shape SOLID = [](int, int) { return 255; };
const Shape NOTHING = [](int, int) { return 0; };

// A mipmapped figure texture of `size` squared texels, the shape as alpha.
GLuint figure_texture(int size, const Shape& shape)
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            pixels.insert(pixels.end(), {0, static_cast<uint8_t>(shape(x, y)), 0, 255});
    return build_mip_texture(pixels.data(), size, size);
}

// A soft round spot: opaque at the centre, clear at the edge.
int soft_spot(int x, int y, int size)
{
    const double r = std::hypot(x + 0.5 - size / 2.0, y + 0.5 - size / 2.0) / (size / 2.0);
    return static_cast<int>(255 * std::max(0.0, 1.0 - r));
}

// Three puff textures that differ: solid, left half, top half.
void make_distinct_puffs()
{
    g_figure_puff_textures[0] = figure_texture(256, SOLID);
    g_figure_puff_textures[1] = figure_texture(256, [](int x, int) { return x < 128 ? 255 : 0; });
    g_figure_puff_textures[2] = figure_texture(256, [](int, int y) { return y < 128 ? 255 : 0; });
}

// The camera of the ghost scene: 50 units in front of the eye.
void ghost_camera()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, 1.6, 1, 1024);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -50);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void clear_to(float grey)
{
    glClearColor(grey, grey, grey, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

bool near(const std::array<uint8_t, 4>& p, int r, int g, int b, int tolerance)
{
    return std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance && std::abs(p[2] - b) <= tolerance;
}

// Pixels in columns [x0, x1) whose colour differs from (r, g, b) by more than `tolerance`.
int count_differing(const std::vector<uint8_t>& screen, int x0, int x1, int r, int g, int b, int tolerance)
{
    int count = 0;
    for (int y = 0; y < GL_TEST_HEIGHT; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = &screen[(static_cast<size_t>(y) * GL_TEST_WIDTH + x) * 4];
            if (std::abs(p[0] - r) > tolerance || std::abs(p[1] - g) > tolerance || std::abs(p[2] - b) > tolerance)
                ++count;
        }
    return count;
}

int max_difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    int worst = 0;
    for (size_t i = 0; i < a.size(); i += 4)
        worst = std::max(worst, channel_difference(&a[i], &b[i]));
    return worst;
}

// The demo's generator, written out independently: state from 1, each step
// state * 214013 + 2531011, result bits 16 to 30.
struct ReferenceRand {
    uint32_t state = 1;
    int next()
    {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }
};

} // namespace

// ---- Helpers -----------------------------------------------------------------

using SpritesGl = GlTest;

// Catches a mipmap chain that is missing (the texture would be incomplete
// and draw untextured white) and alpha taken from the wrong byte.
TEST_F(SpritesGl, MipTextureIsWhiteWithGreenAsAlphaAtEverySize)
{
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 256 * 256; ++i)
        pixels.insert(pixels.end(), {200, 100, 0, 255});
    const GLuint name = build_mip_texture(pixels.data(), 256, 256);
    EXPECT_EQ((std::vector<uint8_t>(pixels.begin(), pixels.begin() + 4)), (std::vector<uint8_t>{255, 255, 255, 100}));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBindTexture(GL_TEXTURE_2D, name);
    for (int size : {256, 16}) { // magnified-to-exact and strongly minified
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0), glVertex2i(300, 100);
        glTexCoord2f(1, 0), glVertex2i(300 + size, 100);
        glTexCoord2f(1, 1), glVertex2i(300 + size, 100 + size);
        glTexCoord2f(0, 1), glVertex2i(300, 100 + size);
        glEnd();
        EXPECT_TRUE(near(pixel(300 + size / 2, 100 + size / 2), 100, 100, 100, 3)) << "quad of " << size;
        clear_to(0);
    }
}

// Catches a quad that does not face the viewer (foreshortened or skewed by
// the frame's rotation), a wrong corner order and a wrong texture orientation.
TEST_F(SpritesGl, BillboardFacesTheViewerWithTextureOriginBottomLeft)
{
    const uint8_t texels[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glEnable(GL_TEXTURE_2D);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-512, 512, -320, 320, -1000, 1000); // y up, one unit per pixel
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(70, 0, 1, 0);
    glRotatef(25, 1, 0, 0);
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const float c[3] = {100, 50, 30};
    glBegin(GL_QUADS);
    emit_billboard(m, c[0], c[1], c[2], 40);
    glEnd();

    // Where the centre lands on the screen.
    const double ex = m[0] * c[0] + m[4] * c[1] + m[8] * c[2];
    const double ey = m[1] * c[0] + m[5] * c[1] + m[9] * c[2];
    const int cx = static_cast<int>(std::lround(512 + ex));
    const int cy = static_cast<int>(std::lround(320 - ey));
    EXPECT_TRUE(near(pixel(cx - 20, cy + 20), 255, 0, 0, 0)) << "texel (0, 0) at the bottom left";
    EXPECT_TRUE(near(pixel(cx + 20, cy + 20), 0, 255, 0, 0)) << "texel (1, 0) at the bottom right";
    EXPECT_TRUE(near(pixel(cx + 20, cy - 20), 255, 255, 255, 0)) << "texel (1, 1) at the top right";
    EXPECT_TRUE(near(pixel(cx - 20, cy - 20), 0, 0, 255, 0)) << "texel (0, 1) at the top left";
    for (auto [dx, dy] : {std::pair{-38, 0}, {38, 0}, {0, -38}, {0, 38}})
        EXPECT_FALSE(near(pixel(cx + dx, cy + dy), 0, 0, 0, 0)) << "inside at " << dx << "," << dy;
    for (auto [dx, dy] : {std::pair{-42, 0}, {42, 0}, {0, -42}, {0, 42}})
        EXPECT_TRUE(near(pixel(cx + dx, cy + dy), 0, 0, 0, 0)) << "outside at " << dx << "," << dy;
}

// Catches a wrong blink curve: opaque at phase 0 (and well away from the
// sine's peaks), half transparent at sin^2 = 0.95, gone at pi/2.
TEST_F(SpritesGl, LightBlinksOutNearTheSinePeaks)
{
    g_figure_dot_texture = figure_texture(64, SOLID);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    draw_light_2d(100, 100, 10.0, 0.0);
    draw_light_2d(200, 100, 10.0, 3.141592 / 2);
    draw_light_2d(300, 100, 10.0, std::asin(std::sqrt(0.95)));
    draw_light_2d(400, 100, 10.0, 1.0); // sin^2 = 0.71: below the blink
    EXPECT_TRUE(near(pixel(100, 100), 255, 0, 0, 2));
    EXPECT_TRUE(near(pixel(200, 100), 0, 0, 0, 0));
    EXPECT_TRUE(near(pixel(300, 100), 128, 0, 0, 3));
    EXPECT_TRUE(near(pixel(400, 100), 255, 0, 0, 2));
    EXPECT_TRUE(near(pixel(100, 100 - 9), 255, 0, 0, 40)) << "the quad reaches s from the centre";
    EXPECT_TRUE(near(pixel(100, 100 - 12), 0, 0, 0, 0));
    EXPECT_TRUE(near(pixel(112, 100), 0, 0, 0, 0));
}

// The head alone (puff textures withheld): catches a misplaced shadow or eye,
// and a rotation applied after the position instead of before it.
TEST_F(SpritesGl, GhostHeadSitsOnTheFigureAndTurnsRoundTheAxis)
{
    g_figure_dot_texture = figure_texture(64, SOLID);
    clear_to(1);
    ghost_camera();
    const Figure upright{0, 0, 0, 0};
    draw_ghost(&upright, 0.0, 0);
    // 50 units away the view is 57.7 units high: 11.09 pixels per unit; the
    // eyes, 2.5 units nearer, 11.67. Shadow: 50 units square around y = 2.
    EXPECT_TRUE(near(pixel(512, 320 - 35), 255, 0, 0, 2)) << "the eyes at y + 3";
    EXPECT_TRUE(near(pixel(512 + 50, 320 - 35), 0, 0, 0, 2)) << "the shadow beside them";
    EXPECT_TRUE(near(pixel(512 - 265, 320 + 240), 0, 0, 0, 2));
    EXPECT_TRUE(near(pixel(512 - 290, 320), 255, 255, 255, 0)) << "the shadow ends 25 units from x";
    EXPECT_TRUE(near(pixel(512, 320 + 270), 255, 255, 255, 0)) << "and 25 units below y + 2";

    // x = 10 turned by 180 degrees lands at x = -10: the shadow spans
    // 401 +- 277 pixels instead of 623 +- 277.
    clear_to(1);
    const Figure turned{10, 0, 0, 180};
    draw_ghost(&turned, 0.0, 0);
    EXPECT_TRUE(near(pixel(140, 400), 0, 0, 0, 2));
    EXPECT_TRUE(near(pixel(700, 400), 255, 255, 255, 0));
}

// The strands alone (dot withheld): catches colours swapped between the two
// helpers or between back and front strands, and any geometric difference.
TEST_F(SpritesGl, PaleAndDarkGhostsDifferOnlyInTheSmokeColour)
{
    for (GLuint& puff : g_figure_puff_textures)
        puff = figure_texture(256, SOLID);
    const Figure figure{0, 0, 0, 30};
    std::vector<uint8_t> screens[2];
    for (int pale = 0; pale < 2; ++pale) {
        clear_to(1);
        ghost_camera();
        (pale ? draw_ghost_pale : draw_ghost)(&figure, 0.25, 1);
        screens[pale] = read_screen();
    }
    int covered[2] = {0, 0}, greenish[2] = {0, 0}, grey[2] = {0, 0}, tinted[2] = {0, 0};
    for (int pale = 0; pale < 2; ++pale)
        for (size_t i = 0; i < screens[pale].size(); i += 4) {
            const uint8_t* p = &screens[pale][i];
            covered[pale] += p[0] < 250 || p[1] < 250;
            greenish[pale] += p[1] > p[0] + 8;
            grey[pale] += p[0] < 230 && std::abs(p[0] - p[1]) <= 2 && std::abs(p[1] - p[2]) <= 2;
            tinted[pale] += std::abs(p[0] - p[2]) > 2 || std::abs(p[1] - p[2]) > 2;
        }
    EXPECT_GT(covered[0], 20000) << "ten strands of puffs";
    EXPECT_NEAR(covered[1], covered[0], covered[0] / 50) << "the same puffs";
    EXPECT_EQ(tinted[0], 0) << "dark smoke is grey throughout";
    EXPECT_GT(greenish[1], 5000) << "pale back strands are green";
    EXPECT_GT(grey[1], 5000) << "pale front strands are grey";
}

// ---- Ghost scene ---------------------------------------------------------------

using GhostSceneGl = GlTest;

// Catches a figure off the centre, or drawn before ghost_init made it.
TEST_F(GhostSceneGl, FigureStandsInTheMiddleOnceMade)
{
    g_figure_dot_texture = figure_texture(64, [](int x, int y) { return soft_spot(x, y, 64); });
    make_distinct_puffs();
    clear_to(1);
    ghost_test(0, 0, 0.0, 0.0);
    EXPECT_EQ(count_differing(read_screen(), 0, GL_TEST_WIDTH, 255, 255, 255, 0), 0) << "nothing before ghost_init";

    ASSERT_EQ(ghost_init(), 1);
    ghost_test(0, 0, 0.0, 0.0);
    const std::vector<uint8_t> screen = read_screen();
    EXPECT_GT(count_differing(screen, 0, GL_TEST_WIDTH, 255, 255, 255, 10), 20000);
    EXPECT_EQ(count_differing(screen, 0, 150, 255, 255, 255, 0), 0) << "the sides stay clear";
    EXPECT_EQ(count_differing(screen, GL_TEST_WIDTH - 150, GL_TEST_WIDTH, 255, 255, 255, 0), 0);
    // The darkening's centre of mass: the middle of the screen.
    double sum = 0, sumX = 0, sumY = 0;
    for (int y = 0; y < GL_TEST_HEIGHT; ++y)
        for (int x = 0; x < GL_TEST_WIDTH; ++x) {
            const double darkness = 255 - screen[(static_cast<size_t>(y) * GL_TEST_WIDTH + x) * 4 + 1];
            sum += darkness, sumX += darkness * x, sumY += darkness * y;
        }
    EXPECT_NEAR(sumX / sum, 512, 30);
    EXPECT_NEAR(sumY / sum, 320, 60);
    EXPECT_FALSE(glIsEnabled(GL_BLEND)) << "attributes restored";
}

// After 1000 steps k turns negative; the textures must keep turning the same
// way: steps 998.5 and 1001.5 (k = 2 and k = -1) draw the same picture, and
// step 999.5 (k = 1) a different one, which shows the textures matter.
TEST_F(GhostSceneGl, PuffTexturesKeepTurningWhenKTurnsNegative)
{
    g_figure_dot_texture = figure_texture(64, [](int x, int y) { return soft_spot(x, y, 64); });
    make_distinct_puffs();
    ASSERT_EQ(ghost_init(), 1);
    std::vector<uint8_t> frames[3];
    const double steps[3] = {998.5, 1.0, 2.0};
    for (int i = 0; i < 3; ++i) {
        clear_to(1);
        ghost_test(0, 0, 0.0, steps[i]);
        frames[i] = read_screen();
    }
    EXPECT_LE(max_difference(frames[0], frames[2]), 2);
    EXPECT_GT(max_difference(frames[0], frames[1]), 40);
}

// ---- Lamps scene ---------------------------------------------------------------

namespace {

constexpr uint8_t SCENE_R = 40, SCENE_G = 70, SCENE_B = 130;

// The lamps pictures: a plain scene picture, the given cut-out mask and
// transition map, a solid dot and solid puffs.
void add_lamps_content(const Shape& mask, const Shape& map)
{
    fake_content_add(content::LAMPS_SCENE, colour_jpeg(1024, 640, SCENE_R, SCENE_G, SCENE_B));
    fake_content_add(content::LAMPS_MASK, mask_gif(1024, 640, mask));
    fake_content_add(content::LAMPS_TRANSITION_MAP, grey_jpeg(1024, 640, map));
    fake_content_add(content::DOT, grey_jpeg(64, 64, SOLID));
    for (int p = 0; p < content::SMOKE_PUFFS; ++p) {
        char name[64];
        std::snprintf(name, sizeof name, content::SMOKE_PUFF_FORMAT, p);
        fake_content_add(name, mask_gif(256, 256, SOLID));
    }
}

// Pixels darker than 40 in every channel.
int count_dark(const std::vector<uint8_t>& screen)
{
    int count = 0;
    for (size_t i = 0; i < screen.size(); i += 4)
        count += screen[i] < 40 && screen[i + 1] < 40 && screen[i + 2] < 40;
    return count;
}

} // namespace

using LampsGl = GlTest;

TEST_F(LampsGl, InitNeedsEveryPictureAndBuildsTheFigureTextures)
{
    EXPECT_EQ(lamps_init(), 0) << "no pictures";
    add_lamps_content(NOTHING, SOLID);
    fake_content_add(content::DOT, {1, 2, 3});
    EXPECT_EQ(lamps_init(), 0) << "a dot that does not decode";
    EXPECT_NE(g_figure_puff_textures[2], 0u) << "the puffs come before the dot";
    EXPECT_EQ(g_figure_dot_texture, 0u);
    add_lamps_content(NOTHING, SOLID);
    EXPECT_EQ(lamps_init(), 1);
    EXPECT_NE(g_figure_dot_texture, 0u);
}

// Catches draws out of order or a different count per puff (which would also
// move every later scene's random placements), and a wrong procession line-up.
TEST_F(LampsGl, InitPlacesFogWithFourDrawsPerPuffAndLinesUpTheProcession)
{
    add_lamps_content(NOTHING, SOLID);
    ASSERT_EQ(lamps_init(), 1);
    ReferenceRand reference;
    for (int i = 0; i < LAMPS_FOG_PUFFS; ++i) {
        const LampsFogPuff puff = lamps_fog_puff(i);
        EXPECT_EQ(puff.kind, reference.next() % 3) << i;
        EXPECT_EQ(puff.x, 50 - reference.next() % 100) << i;
        EXPECT_EQ(puff.y, 50 - reference.next() % 100) << i;
        EXPECT_EQ(puff.z, 256 - reference.next() % 1024) << i;
    }
    EXPECT_EQ(demo_rand(), reference.next()) << "exactly 512 draws";
    for (int j = 0; j < LAMPS_PROCESSION; ++j)
        EXPECT_DOUBLE_EQ(lamps_figure(j)->z, -2048.0 + 512.0 * j / 3.0);
    const Figure* big = lamps_figure(LAMPS_PROCESSION);
    EXPECT_EQ(big->z, 16.0);
    EXPECT_EQ(big->heading, -80.0);
}

// Catches puffs drawn twice or never (x = 0 is the boundary: three puffs of
// the demo's sequence sit on it) and a wrong wrap of the drift.
TEST_F(LampsGl, EveryFogPuffIsDrawnInExactlyOnePassAndWrapsBehind)
{
    add_lamps_content(NOTHING, SOLID);
    ASSERT_EQ(lamps_init(), 1);
    float before[LAMPS_FOG_PUFFS];
    for (int i = 0; i < LAMPS_FOG_PUFFS; ++i)
        before[i] = lamps_fog_puff(i).z;
    lamps(0, 0, 0.0, 0.1); // drift 5: the puffs at 252 and 253 pass 256
    int onBoundary = 0, wrapped = 0;
    for (int i = 0; i < LAMPS_FOG_PUFFS; ++i) {
        const LampsFogPuff puff = lamps_fog_puff(i);
        EXPECT_EQ(puff.passes, puff.x < 0 ? 1 : 2) << "puff " << i << " at x " << puff.x;
        onBoundary += puff.x == 0;
        const float drifted = before[i] + 5.0f;
        wrapped += drifted > 256;
        EXPECT_FLOAT_EQ(puff.z, drifted > 256 ? drifted - 1024 : drifted) << i;
    }
    EXPECT_EQ(onBoundary, 3);
    EXPECT_EQ(wrapped, 2);
}

// Figure 5 starts at z = -1194.67 and walks at 150 units a second. Catches a
// turn before z = -128, a wrong turning rate, a missing limit, and a wrap
// that keeps the old heading.
TEST_F(LampsGl, FigurePassingTheCameraReappearsBehindFacingAhead)
{
    add_lamps_content(NOTHING, SOLID);
    ASSERT_EQ(lamps_init(), 1);
    const Figure* figure = lamps_figure(5);
    const double z0 = figure->z;
    lamps(0, 0, 0.0, 7.0); // z = -144.67: not yet past -128
    EXPECT_EQ(figure->heading, 0.0);
    lamps(0, 0, 7.0, 0.2); // z = -114.67
    EXPECT_NEAR(figure->heading, -9.0, 1e-9);
    lamps(0, 0, 7.2, 0.2);
    EXPECT_NEAR(figure->heading, -18.0, 1e-9);
    lamps(0, 0, 7.4, 3.0); // z = 335.33 - 1024
    EXPECT_NEAR(figure->z, z0 + 150 * 10.4 - 1024, 1e-6);
    EXPECT_EQ(figure->heading, 0.0) << "reappears facing ahead";
    lamps(0, 0, 10.4, 4.0); // z = -88.67, turned by 180 degrees' worth: limited
    EXPECT_EQ(figure->heading, -90.0);
}

// The big ghost's black head covers much of the screen once risen. Catches
// an appearance at or before 14.945 s after the first call, and a rise that
// does not start from that moment or is not limited to 23.
TEST_F(LampsGl, BigGhostRisesOnlyAfterTheSceneHasRun14945Milliseconds)
{
    add_lamps_content(NOTHING, SOLID);
    ASSERT_EQ(lamps_init(), 1);
    lamps(0, 0, 100.0, 0.0); // the first call fixes the start at t = 100
    clear_to(1);
    lamps(0, 0, 114.945, 5.0);
    EXPECT_EQ(lamps_big_ghost_rise(), -100.0f);
    const int darkBefore = count_dark(read_screen());
    clear_to(1);
    lamps(0, 0, 114.95, 2.0);
    EXPECT_FLOAT_EQ(lamps_big_ghost_rise(), -50.0f);
    clear_to(1);
    lamps(0, 0, 115.0, 3.0);
    EXPECT_EQ(lamps_big_ghost_rise(), 23.0f);
    const int darkAfter = count_dark(read_screen());
    EXPECT_LT(darkBefore, 5000) << "the procession alone is small";
    EXPECT_GT(darkAfter, darkBefore + 50000);
}

// Catches lights drawn at the wrong places or phases, and a foreground that
// is not on top (or not cut out by its mask).
TEST_F(LampsGl, LightsBlinkInPairsUnderTheCutOutForeground)
{
    add_lamps_content([](int x, int) { return x >= 600; }, SOLID);
    ASSERT_EQ(lamps_init(), 1);
    lamps_background(0, 0, 0.0, 0.0);
    EXPECT_TRUE(near(pixel(400, 100), SCENE_R, SCENE_G, SCENE_B, 3)) << "the background is the scene picture";
    clear_to(0);
    lamps(0, 0, 0.0, 0.0); // light phase 0: pairs at 0, -pi/4, +pi/4 lit, +pi/2 dark
    EXPECT_TRUE(near(pixel(189, 535), 255, 0, 0, 3));
    EXPECT_TRUE(near(pixel(197, 528), 255, 0, 0, 3));
    EXPECT_TRUE(near(pixel(30, 531), 255, 0, 0, 3));
    EXPECT_TRUE(near(pixel(47, 458), 255, 0, 0, 3));
    EXPECT_TRUE(near(pixel(61, 459), 255, 0, 0, 3));
    EXPECT_TRUE(near(pixel(56, 507), 0, 0, 0, 3));
    EXPECT_TRUE(near(pixel(64, 504), 0, 0, 0, 3));
    const std::vector<uint8_t> screen = read_screen();
    EXPECT_EQ(count_differing(screen, 600, 1024, SCENE_R, SCENE_G, SCENE_B, 3), 0) << "foreground on top";
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST)) << "attributes restored";
}

namespace {

// A map with three bands: 64, 192 and 255 (1.0).
int three_bands(int x, int)
{
    return x < 320 ? 64 : x < 640 ? 192 : 255;
}

SceneRecord s_scene[2];

void play_transition_frame(double dt)
{
    clear_to(1);
    lamps_transition_pre(0, 0, 0.0, dt);
}

} // namespace

// Catches a threshold applied before this frame's step, a wrong rate, and
// covering map values of exactly 1.0 (GL_LESS against 1 must spare them).
TEST_F(LampsGl, TransitionMapTurnsTheScreenBlackExceptFullValues)
{
    add_lamps_content(NOTHING, three_bands);
    ASSERT_EQ(lamps_init(), 1);
    s_scene[0].transitionLength = 1000;
    g_timeline = s_scene;
    g_current_scene = 0;
    lamps_transition_pre_init();
    const int bands[3] = {160, 480, 800};
    const int expected[5][3] = {{255, 255, 255}, {255, 255, 255}, {0, 255, 255}, {0, 255, 255}, {0, 0, 255}};
    for (int frame = 0; frame < 5; ++frame) { // thresholds 0, 0.25, 0.5, 0.75, 1
        play_transition_frame(0.25);
        for (int b = 0; b < 3; ++b) {
            const int v = expected[frame][b];
            EXPECT_TRUE(near(pixel(bands[b], 300), v, v, v, 0)) << "frame " << frame << " band " << b;
        }
    }
    play_transition_frame(0.25);
    EXPECT_TRUE(near(pixel(800, 300), 255, 255, 255, 0)) << "the threshold stays at 1";
    EXPECT_TRUE(near(pixel(480, 300), 0, 0, 0, 0));

    lamps_transition_pre_init(); // the next transition starts clear again
    play_transition_frame(0.25);
    EXPECT_TRUE(near(pixel(160, 300), 255, 255, 255, 0));
}

// A transition of no length must not divide by zero: it is instant.
TEST_F(LampsGl, TransitionOfNoLengthIsInstant)
{
    add_lamps_content(NOTHING, three_bands);
    ASSERT_EQ(lamps_init(), 1);
    s_scene[0].transitionLength = 0;
    g_timeline = s_scene;
    g_current_scene = 0;
    lamps_transition_pre_init();
    play_transition_frame(0.0);
    EXPECT_TRUE(near(pixel(160, 300), 255, 255, 255, 0));
    play_transition_frame(0.0);
    EXPECT_TRUE(near(pixel(160, 300), 0, 0, 0, 0));
    EXPECT_TRUE(near(pixel(480, 300), 0, 0, 0, 0));
    EXPECT_TRUE(near(pixel(800, 300), 255, 255, 255, 0));
}

// ---- Archstairs scene ------------------------------------------------------------

namespace {

void add_archstairs_content(const Shape& mask)
{
    fake_content_add(content::ARCHSTAIRS_SCENE, colour_jpeg(1024, 640, SCENE_R, SCENE_G, SCENE_B));
    fake_content_add(content::ARCHSTAIRS_MASK, mask_gif(1024, 640, mask));
    g_figure_dot_texture = figure_texture(64, [](int x, int y) { return soft_spot(x, y, 64); });
    for (GLuint& puff : g_figure_puff_textures)
        puff = figure_texture(256, [](int x, int y) { return soft_spot(x, y, 256); });
}

// The scene 21.3 s in: walkers spread over the right of the screen and one
// just left of the middle.
void draw_archstairs_frame()
{
    archstairs_background(0, 0, 0.0, 0.0);
    archstairs(0, 0, 0.0, 21.3);
}

} // namespace

using ArchstairsGl = GlTest;

TEST_F(ArchstairsGl, InitNeedsBothPictures)
{
    fake_content_add(content::ARCHSTAIRS_SCENE, colour_jpeg(1024, 640, 1, 2, 3));
    EXPECT_EQ(archstairs_init(), 0);
    add_archstairs_content(SOLID);
    EXPECT_EQ(archstairs_init(), 1);
}

// Catches a wrap applied once instead of as often as needed, a wrap of the
// wrong size, and walkers that do not start outside the cycle.
TEST_F(ArchstairsGl, WalkersWrapBy704AsOftenAsNeeded)
{
    add_archstairs_content(SOLID);
    ASSERT_EQ(archstairs_init(), 1);
    double start[ARCHSTAIRS_WALKERS];
    for (int j = 0; j < ARCHSTAIRS_WALKERS; ++j)
        start[j] = archstairs_walker_x(j);
    EXPECT_DOUBLE_EQ(start[0], 1664.0);
    EXPECT_NEAR(start[7], 1664.0 - 7 * 832.0 / 9, 1e-9);
    archstairs(0, 0, 0.0, 100.0); // 6400 units: many laps of 704
    for (int j = 0; j < ARCHSTAIRS_WALKERS; ++j) {
        const double x = archstairs_walker_x(j);
        EXPECT_GE(x, -128.0) << j;
        EXPECT_LT(x, 576.0) << j;
        const double laps = (x - (start[j] - 6400.0)) / 704.0;
        EXPECT_NEAR(laps, std::round(laps), 1e-9) << j;
        EXPECT_GE(laps, 7.0) << j;
    }
}

// With the left half of the mask opaque the walkers there are hidden and the
// screen shows the picture; through the clear right half they show. The
// second case, with a clear mask, shows there is a walker on the left to hide.
TEST_F(ArchstairsGl, WalkersPassBehindTheForeground)
{
    add_archstairs_content([](int x, int) { return x < 512; });
    ASSERT_EQ(archstairs_init(), 1);
    draw_archstairs_frame();
    const std::vector<uint8_t> screen = read_screen();
    EXPECT_EQ(count_differing(screen, 0, 512, SCENE_R, SCENE_G, SCENE_B, 3), 0);
    EXPECT_GT(count_differing(screen, 512, 1024, SCENE_R, SCENE_G, SCENE_B, 10), 2000);
}

TEST_F(ArchstairsGl, WalkersShowThroughAClearMask)
{
    add_archstairs_content(NOTHING);
    ASSERT_EQ(archstairs_init(), 1);
    draw_archstairs_frame();
    const std::vector<uint8_t> screen = read_screen();
    EXPECT_GT(count_differing(screen, 0, 512, SCENE_R, SCENE_G, SCENE_B, 10), 500);
    EXPECT_GT(count_differing(screen, 512, 1024, SCENE_R, SCENE_G, SCENE_B, 10), 2000);
}

// ---- Fedsquare scene -------------------------------------------------------------

using FedsquareGl = GlTest;

// Catches a different number of draws per figure (which moves every later
// placement) and a missing picture that is not reported.
TEST_F(FedsquareGl, InitNeedsThePictureAndDrawsThreeNumbersPerFigure)
{
    EXPECT_EQ(fedsquare_init(), 0);
    fake_content_add(content::FEDSQUARE, colour_jpeg(1024, 640, SCENE_R, SCENE_G, SCENE_B));
    ASSERT_EQ(fedsquare_init(), 1);
    ReferenceRand reference;
    for (int i = 0; i < 3 * FEDSQUARE_CROWD; ++i)
        reference.next();
    EXPECT_EQ(demo_rand(), reference.next());
}

// The crowd starts 1048 units up, out of view, and sinks 128 units a second.
// Catches a sink that goes below 0 on a long frame (the crowd would drop out
// of view below) and anything that moves with dt = 0.
TEST_F(FedsquareGl, CrowdLandsAtOnceOnALongFrameAndStaysStillWithoutTime)
{
    fake_content_add(content::FEDSQUARE, colour_jpeg(1024, 640, SCENE_R, SCENE_G, SCENE_B));
    g_figure_dot_texture = figure_texture(64, [](int x, int y) { return soft_spot(x, y, 64); });
    for (GLuint& puff : g_figure_puff_textures)
        puff = figure_texture(256, [](int x, int y) { return soft_spot(x, y, 256); });
    ASSERT_EQ(fedsquare_init(), 1);
    fedsquare(0, 0, 0.0, 0.0);
    EXPECT_EQ(count_differing(read_screen(), 0, 1024, SCENE_R, SCENE_G, SCENE_B, 3), 0) << "crowd out of view";
    fedsquare(0, 0, 0.0, 100.0);
    const std::vector<uint8_t> landed = read_screen();
    EXPECT_GT(count_differing(landed, 0, 1024, SCENE_R, SCENE_G, SCENE_B, 10), 20000);
    fedsquare(0, 0, 100.0, 0.0);
    EXPECT_EQ(max_difference(landed, read_screen()), 0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "attributes restored";
}
