// The basic routines and the background and overlay layers, driven through
// the real GL path with pictures the tests make. Pixel checks allow a small
// tolerance for blending and JPEG rounding; each test says what it catches.
#include "assets/content_names.h"
#include "effects/basic.h"
#include "effects/overlays.h"
#include "script/functable.h"
#include "script/timeline.h"
#include "tests/effects/fake_content.h"
#include "platform/gl_proc.h"
#include "tests/gl/gl_fixture.h"
#include "tools/common/asset_writers.h"
#include "tools/common/picture_writer.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Rgb = std::array<int, 3>;

constexpr int TOLERANCE = 3;

// One scene with a transition of `length` ms, then the terminator; the
// transition hooks read the length through GetCurrentScene.
SceneRecord s_scenes[2];

void use_transition_length(int32_t length)
{
    s_scenes[0] = SceneRecord{};
    s_scenes[0].length = 5000;
    s_scenes[0].routineCount = 1;
    s_scenes[0].hasTransition = 1;
    s_scenes[0].transitionLength = length;
    s_scenes[1] = SceneRecord{};
    s_scenes[1].start = 5000;
    g_timeline = s_scenes;
    g_current_scene = 0;
}

// The test wipe mask, 512x512: alpha 44..254 everywhere except a known set
// of pixels with 255 (scattered single pixels and one 20x20 block).
bool mask_opaque(int u, int v)
{
    if (u >= 300 && u < 320 && v >= 100 && v < 120)
        return true;
    return (u * 37 + v * 101) % 1499 == 0;
}

std::vector<uint8_t> wipe_mask_pixels()
{
    std::vector<uint8_t> pixels(512 * 512 * 4); // black; only the alpha matters
    for (int v = 0; v < 512; ++v)
        for (int u = 0; u < 512; ++u) {
            uint8_t* p = &pixels[(static_cast<size_t>(v) * 512 + u) * 4];
            p[3] = mask_opaque(u, v) ? 255 : static_cast<uint8_t>(44 + (u * 7 + v * 13) % 211);
        }
    return pixels;
}

void add_wipe_mask()
{
    TgaWriteOptions options;
    options.width = 512;
    options.height = 512;
    options.bpp = 32;
    fake_content_add(content::WIPE_MASK, write_tga(options, wipe_mask_pixels().data()));
}

void call(FrameRoutine routine, double t, double dt)
{
    routine(0, 0, t, dt);
}

void clear_to(float red, float green, float blue)
{
    glClearColor(red, green, blue, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

// Screen pixels whose red channel says "covered" (black over a white
// screen) differently from what the mask predicts. A screen pixel (x, y)
// samples mask texel ((x + 0.5) / 2, (y + 0.5) * 0.8): the mask's 512x512
// pixels are stretched over 1024x768 view units shown on 640 rows. Where the
// sample falls on a row boundary either neighbouring texel is accepted.
int wipe_mismatches(const std::vector<uint8_t>& screen, bool opaqueCovered)
{
    int mismatches = 0;
    for (int y = 0; y < GL_TEST_HEIGHT; ++y) {
        double v = (y + 0.5) * 0.8;
        long nearest = std::lround(v);
        bool boundary = std::fabs(v - nearest) < 1e-6 && nearest > 0;
        int v0 = boundary ? static_cast<int>(nearest) : static_cast<int>(std::floor(v));
        for (int x = 0; x < GL_TEST_WIDTH; ++x) {
            int u = x / 2;
            bool covered = screen[(static_cast<size_t>(y) * GL_TEST_WIDTH + x) * 4] < 128;
            bool expected = mask_opaque(u, v0) == opaqueCovered;
            bool alternative = boundary ? mask_opaque(u, v0 - 1) == opaqueCovered : expected;
            if (covered != expected && covered != alternative)
                ++mismatches;
        }
    }
    return mismatches;
}

bool all_pixels(const std::vector<uint8_t>& screen, Rgb colour)
{
    for (size_t i = 0; i < screen.size(); i += 4)
        for (int c = 0; c < 3; ++c)
            if (std::abs(screen[i + c] - colour[c]) > TOLERANCE)
                return false;
    return true;
}

// A solid-colour GIF picture.
std::vector<uint8_t> solid_gif(int width, int height, Rgb colour)
{
    GifPicture picture;
    picture.screenWidth = picture.width = width;
    picture.screenHeight = picture.height = height;
    picture.palette = {static_cast<uint8_t>(colour[0]), static_cast<uint8_t>(colour[1]),
                       static_cast<uint8_t>(colour[2]), 0, 0, 0};
    picture.indices.assign(static_cast<size_t>(width) * height, 0);
    std::vector<uint8_t> out;
    EXPECT_TRUE(encode_gif(out, picture));
    return out;
}

Rgb window_frame_colour(int k)
{
    return {10 + 20 * k, 250 - 20 * k, 100};
}

void add_window_frame(int k)
{
    char name[64];
    std::snprintf(name, sizeof name, content::WINDOW_FRAME_FORMAT, k);
    fake_content_add(name, solid_gif(512, 320, window_frame_colour(k)));
}

// Frame i drawn opaque, frame i + 1 over it with alpha f.
Rgb window_mix(int i, double f)
{
    Rgb a = window_frame_colour(i);
    Rgb b = window_frame_colour((i + 1) % 12);
    Rgb out{};
    for (int c = 0; c < 3; ++c)
        out[c] = static_cast<int>(std::lround(a[c] * (1 - f) + b[c] * f));
    return out;
}

// Face mask 512x512: opaque (255) on its left half, transparent on its right.
void add_face_mask()
{
    std::vector<uint8_t> grey(512 * 512);
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x)
            grey[y * 512 + x] = x < 256 ? 255 : 0;
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(encode_jpeg(jpeg, grey.data(), 512, 512, 1, 95, false));
    fake_content_add(content::FACE_MASK, jpeg);
}

// Logo 800x300: red, with an alpha picture that hides its left half.
void add_logo(bool withAlpha)
{
    std::vector<uint8_t> rgb(800 * 300 * 3);
    for (size_t i = 0; i < rgb.size(); i += 3)
        rgb[i] = 255;
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(encode_jpeg(jpeg, rgb.data(), 800, 300, 3, 95, false));
    fake_content_add(content::LOGO, jpeg);
    if (!withAlpha)
        return;
    GifPicture alpha;
    alpha.screenWidth = alpha.width = 800;
    alpha.screenHeight = alpha.height = 300;
    alpha.palette = {0, 0, 0, 255, 255, 255};
    for (int i = 0; i < 800 * 300; ++i)
        alpha.indices.push_back(i % 800 < 400 ? 0 : 1);
    std::vector<uint8_t> gif;
    ASSERT_TRUE(encode_gif(gif, alpha));
    fake_content_add(content::LOGO_ALPHA, gif);
}

} // namespace

class BasicGl : public GlTest {
protected:
    Rgb rgb(int x, int y)
    {
        std::array<uint8_t, 4> p = pixel(x, y);
        return {p[0], p[1], p[2]};
    }
    void expect_rgb(int x, int y, Rgb expected, const char* what)
    {
        Rgb got = rgb(x, y);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(got[c], expected[c], TOLERANCE)
                << what << " at (" << x << ", " << y << ") channel " << c;
    }
};

// Catches entries 1 to 3 registered apart or out of order, and a name bound
// to the wrong routine.
TEST(BasicRegistration, RoutinesResolveByNameAndTheTestEntriesComeInOrder)
{
    int first = -1;
    for (int i = 0; i < g_funcTable.count; ++i)
        if (std::string(g_funcTable.entries[i]->name) == "test_init")
            first = i;
    ASSERT_GE(first, 0);
    ASSERT_LT(first + 2, g_funcTable.count);
    EXPECT_STREQ(g_funcTable.entries[first + 1]->name, "test");
    EXPECT_STREQ(g_funcTable.entries[first + 2]->name, "test2");

    EXPECT_EQ(FuncTable_Find("test2"), as_routine(&test2));
    EXPECT_EQ(FuncTable_Find("sample_transition_post"), as_routine(&sample_transition_post));
    EXPECT_EQ(FuncTable_Find("overlay_logo"), as_routine(&overlay_logo));
}

// Catches a fill that leaves rows uncovered (the 1024x768 view on 640 rows),
// that inherits blending or culling from the caller, or that leaks its state.
TEST_F(BasicGl, BlackAndWhiteFillTheScreenWhateverTheCallersState)
{
    clear_to(0.2f, 0.4f, 0.6f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ONE); // drawing would change nothing
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT_AND_BACK); // every polygon would be culled

    call(&white, 0, 0);
    EXPECT_TRUE(all_pixels(read_screen(), {255, 255, 255}));
    call(&black, 0, 0);
    EXPECT_TRUE(all_pixels(read_screen(), {0, 0, 0}));

    EXPECT_TRUE(glIsEnabled(GL_BLEND)) << "the caller's states come back";
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
}

// Catches a clear of the colour buffer too, or no clear at all.
TEST_F(BasicGl, ClearDepthClearsOnlyTheDepthBuffer)
{
    glClearDepth(0.25);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);

    float depth = 0;
    glReadPixels(10, 10, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    ASSERT_NEAR(depth, 0.25f, 1e-3f) << "the context has a depth buffer";
    call(&clear_depth, 0, 0);
    for (int x : {0, 511, 1023}) {
        glReadPixels(x, x % 640, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        EXPECT_EQ(depth, 1.0f) << x;
    }
    EXPECT_TRUE(all_pixels(read_screen(), {0, 0, 255}));
}

// Catches double-precision state (the threshold would reach 1 after 50
// calls), a missing clamp, a slide not tied to the transition length, and
// init hooks that reset the wrong values.
TEST_F(BasicGl, SampleTransitionClocksFollowTheTransitionLength)
{
    use_transition_length(1000);
    add_wipe_mask();
    ASSERT_EQ(test_init(), 1);

    sample_transition_pre_init();
    for (int i = 0; i < 50; ++i)
        call(&sample_transition_pre, 0, 0.02);
    EXPECT_LT(sample_transition_threshold(), 1.0f);
    EXPECT_NEAR(sample_transition_threshold(), 0.9999996, 1e-6);
    EXPECT_NEAR(sample_transition_slide_offset(), 300.0, 1e-3);
    call(&sample_transition_pre, 0, 0.02);
    EXPECT_EQ(sample_transition_threshold(), 1.0f);
    EXPECT_NEAR(sample_transition_slide_offset(), 306.0, 1e-3);
    call(&sample_transition_pre, 0, 0.02);
    EXPECT_EQ(sample_transition_threshold(), 1.0f) << "the threshold stays clamped";
    EXPECT_NEAR(sample_transition_slide_offset(), 312.0, 1e-3) << "the slide goes on";

    sample_transition_pre_init();
    EXPECT_EQ(sample_transition_threshold(), 0.0f);
    EXPECT_NEAR(sample_transition_slide_offset(), 312.0, 1e-3) << "only the lead-in resets the slide";
    sample_transition_post_init();
    EXPECT_EQ(sample_transition_threshold(), 0.0f);
    EXPECT_EQ(sample_transition_slide_offset(), 0.0f);

    use_transition_length(500); // half the length, twice the speed
    for (int i = 0; i < 10; ++i)
        call(&sample_transition_post, 0, 0.02);
    EXPECT_NEAR(sample_transition_threshold(), 0.4, 1e-5);
    EXPECT_NEAR(sample_transition_slide_offset(), 120.0, 1e-3);
}

// Catches a wrong alpha function or reference (GL_LEQUAL would cover the
// opaque pixels, GL_GREATER would leave them open), a mask not stretched over
// the screen, and a flipped mask.
TEST_F(BasicGl, WipesCoverTheScreenAlongTheMaskAlpha)
{
    use_transition_length(1000);
    add_wipe_mask();
    ASSERT_EQ(test_init(), 1);
    ASSERT_NE(sample_transition_wipe_mask(), nullptr);

    // Lead-out: at threshold 0 nothing is covered; at 1.0 everything but the
    // mask's alpha-255 pixels.
    sample_transition_pre_init();
    call(&white, 0, 0);
    call(&sample_transition_pre, 0, 0.02);
    EXPECT_TRUE(all_pixels(read_screen(), {255, 255, 255}));
    for (int i = 0; i < 50; ++i)
        call(&sample_transition_pre, 0, 0.02);
    ASSERT_EQ(sample_transition_threshold(), 1.0f);
    call(&white, 0, 0);
    call(&sample_transition_pre, 0, 0.02);
    std::vector<uint8_t> screen = read_screen();
    EXPECT_EQ(wipe_mismatches(screen, false), 0);
    EXPECT_GT(screen[(137 * GL_TEST_WIDTH + 620) * 4], 250) << "inside the opaque block: mask (310, 110)";

    // Lead-in: at threshold 0 all is black; at 1.0 exactly the alpha-255
    // pixels stay black, on every later call too.
    sample_transition_post_init();
    call(&white, 0, 0);
    call(&sample_transition_post, 0, 0.02);
    EXPECT_TRUE(all_pixels(read_screen(), {0, 0, 0}));
    for (int i = 0; i < 52; ++i)
        call(&sample_transition_post, 0, 0.02);
    for (int frame = 0; frame < 2; ++frame) {
        call(&white, 0, 0);
        call(&sample_transition_post, 0, 0.02);
        EXPECT_EQ(wipe_mismatches(read_screen(), true), 0) << "frame " << frame;
    }
}

// Catches a division by zero (infinite or NaN state reaching glAlphaFunc and
// the squares) for a zero or negative transition length: such a transition
// completes at once, slide included, and stays complete.
TEST_F(BasicGl, ZeroLengthTransitionIsInstant)
{
    add_wipe_mask();
    ASSERT_EQ(test_init(), 1);
    for (int32_t length : {0, -40}) {
        use_transition_length(length);
        sample_transition_post_init();
        call(&sample_transition_pre, 0, 0.02);
        EXPECT_EQ(sample_transition_threshold(), 1.0f) << length;
        EXPECT_EQ(sample_transition_slide_offset(), 300.0f) << length;
        call(&white, 0, 0);
        call(&sample_transition_pre, 0, 0.02);
        EXPECT_EQ(sample_transition_slide_offset(), 300.0f) << length;
        EXPECT_EQ(wipe_mismatches(read_screen(), false), 0) << length;
    }
}

// Catches a draw of a missing mask or a missing spinner (a crash, or a black
// screen from an untextured quad): the layers then draw nothing while the
// transition clocks still run.
TEST_F(BasicGl, MissingMaskAndSpinnersDrawNothing)
{
    use_transition_length(1000);
    call(&white, 0, 0);
    call(&test, 0, 0.1);
    call(&test2, 0, 0.1);
    EXPECT_TRUE(all_pixels(read_screen(), {255, 255, 255})) << "before test_init";

    ASSERT_EQ(test_init(), 1) << "a missing mask is not a failure";
    EXPECT_EQ(sample_transition_wipe_mask(), nullptr);
    sample_transition_post_init();
    call(&sample_transition_post, 0, 0.5);
    sample_transition_pre_init();
    call(&sample_transition_pre, 0, 0.5);
    EXPECT_TRUE(all_pixels(read_screen(), {255, 255, 255}));
    EXPECT_NEAR(sample_transition_threshold(), 0.5, 1e-5);
    EXPECT_NEAR(sample_transition_slide_offset(), 300.0, 1e-3);
}

// The squares in the 400x300 view: x units map to 2.56 pixels, y units to
// 2.133 rows. The pixel 62 units below the centre lies inside a square turned
// by 45 degrees and outside one turned by less than about 36.
// Catches wrong colours, a wrong view, a missing slide, and a wrong speed of
// test2 (ten times slower than test).
TEST_F(BasicGl, TestLayersSwayAndSlideWithTheTransitions)
{
    use_transition_length(1000);
    ASSERT_EQ(test_init(), 1);
    const double to45 = std::asin(0.125); // sin(phase) * 360 = 45 degrees
    const Rgb magenta{128, 0, 128};
    const Rgb yellow{128, 128, 0};
    const Rgb none{0, 0, 0};

    call(&test, 0, 0);
    expect_rgb(512, 320, magenta, "spinner A at the centre");
    expect_rgb(395, 320, magenta, "A's left edge at x = -50 (384)");
    expect_rgb(512, 452, none, "A unturned");
    clear_to(0, 0, 0);
    call(&test, 0, to45);
    expect_rgb(512, 452, magenta, "A turned by 45 degrees");

    clear_to(0, 0, 0);
    call(&test2, 0, to45);
    EXPECT_TRUE(all_pixels(read_screen(), none)) << "B starts off the screen at x = 300";

    call(&sample_transition_pre, 0, 1.0); // one transition length: slide 300
    clear_to(0, 0, 0);
    call(&test2, 0, 0);
    expect_rgb(512, 320, yellow, "B slid to the centre");
    expect_rgb(512, 452, none, "B turned by only 4.5 degrees after the same dt");
    clear_to(0, 0, 0);
    call(&test2, 0, 9 * to45);
    expect_rgb(512, 452, yellow, "B turned by 45 degrees after ten times the dt");

    clear_to(0, 0, 0);
    call(&test, 0, 0);
    EXPECT_TRUE(all_pixels(read_screen(), none)) << "A slid off to x = -300";
}

// ---- backgrounds and overlays ----------------------------------------------

// Catches an init routine that reports success without its pictures (the
// layer would draw nothing, or a logo without its alpha as a rectangle).
TEST_F(BasicGl, OverlayInitRoutinesNeedTheirPictures)
{
    EXPECT_EQ(background_window_init(), 0);
    EXPECT_EQ(overlay_face_init(), 0);
    EXPECT_EQ(overlay_logo_init(), 0);

    for (int k = 0; k < 11; ++k)
        add_window_frame(k);
    EXPECT_EQ(background_window_init(), 0) << "frame 11 missing";
    add_window_frame(11);
    EXPECT_EQ(background_window_init(), 1);

    fake_content_add(content::FACE_MASK, {0xFF, 0xD8, 0xFF}); // a truncated JPEG
    EXPECT_EQ(overlay_face_init(), 0);
    add_face_mask();
    EXPECT_EQ(overlay_face_init(), 1);

    add_logo(false);
    EXPECT_EQ(overlay_logo_init(), 0) << "alpha picture missing";
    add_logo(true);
    EXPECT_EQ(overlay_logo_init(), 1);
}

// Catches a start delay not measured from the first call, a phase that moves
// during the delay, a wrap that leaves the loop (an out-of-range frame index)
// or wraps at the wrong point, and a wrong cross-fade.
TEST_F(BasicGl, BackgroundWindowStartsLateAndLoopsTwelvePictures)
{
    for (int k = 0; k < 12; ++k)
        add_window_frame(k);
    ASSERT_EQ(background_window_init(), 1);
    clear_to(0, 0, 1);

    call(&background_window, 0.0, 0.0);
    call(&background_window, 5.0, 5.0);
    call(&background_window, 11.5, 6.5);
    EXPECT_TRUE(all_pixels(read_screen(), {0, 0, 255})) << "nothing drawn before 11.596 s";
    EXPECT_EQ(background_window_phase(), 0.0);

    call(&background_window, 11.596, 0.0625); // phase 8 dt: frame 0 fading into 1 by half
    EXPECT_EQ(background_window_phase(), 0.5);
    EXPECT_TRUE(all_pixels(read_screen(), window_mix(0, 0.5)));

    call(&background_window, 111.596, 100.0); // 800 pictures in one frame
    EXPECT_GE(background_window_phase(), 0.0);
    EXPECT_LT(background_window_phase(), 12.0);
    EXPECT_EQ(background_window_phase(), 8.5);
    expect_rgb(10, 10, window_mix(8, 0.5), "frame 8 fading into 9");
    expect_rgb(1000, 630, window_mix(8, 0.5), "the view is filled");

    call(&background_window, 112.0335, 0.4375); // lands exactly on 12
    EXPECT_EQ(background_window_phase(), 0.0);
    expect_rgb(512, 320, window_frame_colour(0), "frame 0 alone");
}

// Mask placed at (256, 128), 512x512; bands around it. White screen below.
// Catches a wrong placement of the mask or the bands, a wrong pulse formula
// or the wrong wrap constant (2 pi would leave the phase at 0.0376).
TEST_F(BasicGl, FaceOverlayPulsesAroundTheMask)
{
    add_face_mask();
    ASSERT_EQ(overlay_face_init(), 1);

    clear_to(1, 1, 1);
    call(&overlay_face, 0, 1.5707963); // alpha 0.4
    const Rgb dark{153, 153, 153};
    expect_rgb(100, 300, dark, "left band");
    expect_rgb(900, 300, dark, "right band");
    expect_rgb(300, 400, dark, "opaque half of the mask");
    expect_rgb(700, 400, {255, 255, 255}, "transparent half of the mask");
    expect_rgb(300, 128, {92, 92, 92}, "the top band overlaps the mask's first row");

    call(&overlay_face, 0, 4.75); // phase 6.3208 passes 6.283184
    EXPECT_NEAR(overlay_face_phase(), 6.3207963 - 6.303184, 1e-9);
    clear_to(1, 1, 1);
    call(&overlay_face, 0, 0.0);
    expect_rgb(100, 300, {203, 203, 203}, "alpha 0.2 sin(0.0176) + 0.2");
}

// Catches a logo or cover shown in the frame of the 0-to-1 switch, a logo
// alpha taken after the pulse advances, the logo's alpha picture ignored, and
// wrong opening or closing rates (the cover closes in 20 s).
TEST_F(BasicGl, LogoSequenceOpensShowsTheLogoAndCloses)
{
    add_logo(true);
    ASSERT_EQ(overlay_logo_init(), 1);
    const Rgb white{255, 255, 255};
    const Rgb red{254, 0, 0};
    auto frame = [](double dt) {
        clear_to(1, 1, 1);
        call(&overlay_logo, 0, dt);
    };

    frame(0.0);
    EXPECT_TRUE(all_pixels(read_screen(), {0, 0, 0})) << "opens from black; dt 0 still draws";
    EXPECT_EQ(overlay_logo_state(), 0);

    frame(6.0);
    expect_rgb(50, 50, {230, 230, 230}, "the cover opens at 0.15 a second");
    frame(1.0); // the cover passes 0: state 1
    EXPECT_EQ(overlay_logo_state(), 1);
    EXPECT_TRUE(all_pixels(read_screen(), white)) << "neither logo nor cover in the switching frame";

    frame(3.92699081699); // pulse to pi/2, alpha of this frame still sin(0)
    EXPECT_TRUE(all_pixels(read_screen(), white));
    frame(0.0);
    expect_rgb(700, 320, red, "logo at full alpha");
    expect_rgb(300, 320, white, "the alpha picture hides the logo's left half");
    expect_rgb(700, 165, white, "above the logo (y 170 to 470)");

    frame(5.0); // pulse passes pi: state 2, logo with the previous pulse's alpha
    EXPECT_EQ(overlay_logo_state(), 2);
    EXPECT_NEAR(overlay_logo_cover_alpha(), 0.25, 1e-9);
    expect_rgb(700, 320, {191, 0, 0}, "logo under the cover at 0.25");
    expect_rgb(50, 50, {191, 191, 191}, "cover at 0.25");

    for (int i = 0; i < 14; ++i)
        frame(1.0);
    expect_rgb(50, 50, {13, 13, 13}, "19 s after the switch the cover is at 0.95");
    frame(1.0);
    EXPECT_NEAR(overlay_logo_cover_alpha(), 1.0, 1e-12);
    EXPECT_TRUE(all_pixels(read_screen(), {0, 0, 0})) << "closed after 20 s";
    frame(30.0);
    EXPECT_EQ(overlay_logo_state(), 2);
    EXPECT_TRUE(all_pixels(read_screen(), {0, 0, 0})) << "and stays closed";
}

// SDL hands out an address for any name, so the lookup alone always
// succeeded. ctest also runs this with Mesa told to hide the extension
// (basic_multitexture_hidden), where the routine must fail.
TEST_F(BasicGl, InitMultitextureFollowsTheDriversExtensionList)
{
    bool listed = gl_has_extension("GL_ARB_multitexture");
    const char* hidden = std::getenv("VIGIL_EXPECT_NO_MULTITEXTURE");
    if (hidden) {
        EXPECT_FALSE(listed) << "the driver still lists GL_ARB_multitexture";
    }
    EXPECT_EQ(init_multitexture(), listed ? 1 : 0);
}
