// The scenes' pictures: the committed files under assets/data/ decode with
// the demo's own decoders at the sizes and kinds the scenes load, the
// generator makes exactly those bytes again, and each picture keeps what its
// scene relies on (the lamps' lights uncovered, the walkers' re-entry hidden,
// an even transition, a silhouette that matches the tree, a city that lights
// up). The painting kit's filters and encoders are checked on small inputs.
//
// The effects' screen geometry is recomputed here from the effects' own
// numbers, the way OpenGL composes the matrices, independently of the
// painters' layout code.
#include "assets/image.h"
#include "tools/assetgen/assetgen.h"
#include "tools/assetgen/scene_layout.h"
#include "tools/assetgen/scene_paint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes committed(const std::string& name)
{
    std::ifstream in(std::string(VIGIL_SOURCE_DIR) + "/assets/data/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A picture as the demo sees it: colour bytes RGBA, or alpha bytes.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> px; // 4 per pixel (colour) or 1 (alpha)
    int channels = 0;
    int at(int x, int y, int c = 0) const { return px[(static_cast<size_t>(y) * width + x) * channels + c]; }
    double luma(int x, int y) const
    {
        return channels == 1 ? at(x, y) : 0.299 * at(x, y, 0) + 0.587 * at(x, y, 1) + 0.114 * at(x, y, 2);
    }
};

Picture decode(const Bytes& file, bool alpha)
{
    Picture p;
    int32_t w = 0, h = 0;
    uint8_t* data = alpha ? DecodeAlphaImage(file.data(), static_cast<uint32_t>(file.size()), &w, &h)
                          : DecodeImage(file.data(), static_cast<uint32_t>(file.size()), &w, &h);
    if (!data)
        return p;
    p.width = w;
    p.height = h;
    p.channels = alpha ? 1 : 4;
    p.px.assign(data, data + static_cast<size_t>(w) * h * p.channels);
    delete[] data;
    return p;
}

Picture colour(const std::string& name) { return decode(committed(name), false); }
Picture alpha(const std::string& name) { return decode(committed(name), true); }

// The start-of-frame marker of a JPEG: 0xC0 baseline, 0xC2 progressive; and
// its number of components.
struct JpegFrame {
    int marker = 0, components = 0;
};
JpegFrame jpeg_frame(const Bytes& f)
{
    size_t i = 2;
    while (i + 9 < f.size() && f[i] == 0xFF) {
        const int marker = f[i + 1];
        const size_t length = static_cast<size_t>(f[i + 2] << 8 | f[i + 3]);
        if (marker >= 0xC0 && marker <= 0xC2)
            return {marker, f[i + 9]};
        i += 2 + length;
    }
    return {};
}

enum class Kind { Baseline, Progressive, GreyBaseline, Gif };
struct Expected {
    const char* name;
    Kind kind;
    int width, height;
};
const Expected FILES[] = {
    {"lamps_scene.jpg", Kind::Baseline, 1024, 640},
    {"lamps_mask.gif", Kind::Gif, 1024, 640},
    {"lamps_transition_map.jpg", Kind::GreyBaseline, 1024, 640},
    {"archstairs_scene.jpg", Kind::Baseline, 1024, 640},
    {"archstairs_mask.gif", Kind::Gif, 1024, 640},
    {"tree.jpg", Kind::Baseline, 1024, 1162},
    {"tree_silhouette.gif", Kind::Gif, 1024, 1162},
    {"tree_flash_1.jpg", Kind::GreyBaseline, 800, 640},
    {"tree_flash_2.jpg", Kind::GreyBaseline, 800, 640},
    {"tree_cover.gif", Kind::Gif, 1024, 640},
    {"fedsquare.jpg", Kind::Progressive, 1024, 640},
    {"city_background.jpg", Kind::Progressive, 1024, 640},
    {"city_lit.jpg", Kind::Progressive, 1024, 640},
    {"city_lit_mask.gif", Kind::Gif, 1024, 640},
    {"city_top.gif", Kind::Gif, 1024, 640},
};

// --------------------------------------------- the effects' own geometry

using Mat = std::array<double, 16>; // column-major, as OpenGL keeps it
Mat identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }
Mat multiply(const Mat& a, const Mat& b)
{
    Mat r{};
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 4; ++k)
                r[c * 4 + row] += a[k * 4 + row] * b[c * 4 + k];
    return r;
}
Mat translate(double x, double y, double z)
{
    Mat m = identity();
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}
// glRotate about a coordinate axis (0 = x, 1 = y).
Mat rotate(double degrees, int axis)
{
    const double a = degrees * 3.14159265358979323846 / 180.0, c = std::cos(a), s = std::sin(a);
    Mat m = identity();
    if (axis == 0) {
        m[5] = c, m[6] = s, m[9] = -s, m[10] = c;
    } else {
        m[0] = c, m[2] = -s, m[8] = s, m[10] = c;
    }
    return m;
}
// gluPerspective(60, 1.6, ...) and the 1024x640 viewport, y downwards.
struct Screen {
    double x, y;
    bool visible;
};
Screen to_screen(const Mat& modelview, double x, double y, double z)
{
    const double ex = modelview[0] * x + modelview[4] * y + modelview[8] * z + modelview[12];
    const double ey = modelview[1] * x + modelview[5] * y + modelview[9] * z + modelview[13];
    const double ez = modelview[2] * x + modelview[6] * y + modelview[10] * z + modelview[14];
    const double f = 1.0 / std::tan(30.0 * 3.14159265358979323846 / 180.0);
    const double sx = (f / 1.6 * ex / -ez + 1.0) * 512.0;
    const double sy = (1.0 - f * ey / -ez) * 320.0;
    return {sx, sy, ez < -1.0 && sx >= 0 && sx < 1024 && sy >= 0 && sy < 640};
}

// ------------------------------------------------------------------ tests

TEST(ScenePictures, CommittedFilesDecodeAtTheirSizeAndKind)
{
    for (const Expected& e : FILES) {
        SCOPED_TRACE(e.name);
        const Bytes file = committed(e.name);
        ASSERT_FALSE(file.empty());
        const Picture p = decode(file, false);
        EXPECT_EQ(p.width, e.width);
        EXPECT_EQ(p.height, e.height);
        if (e.kind == Kind::Gif) {
            EXPECT_EQ(std::string(file.begin(), file.begin() + 6), "GIF89a");
            continue;
        }
        const JpegFrame frame = jpeg_frame(file);
        EXPECT_EQ(frame.marker, e.kind == Kind::Progressive ? 0xC2 : 0xC0);
        EXPECT_EQ(frame.components, e.kind == Kind::GreyBaseline ? 1 : 3);
    }
}

// Catches any dependence on time, memory contents or uninitialised state,
// and committed files that no longer match the painters.
TEST(ScenePictures, GeneratorMakesTheCommittedBytes)
{
    GeneratedFiles files;
    generate_scene_pictures(files);
    ASSERT_EQ(files.size(), std::size(FILES));
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].name);
        EXPECT_EQ(files[i].name, FILES[i].name);
        EXPECT_TRUE(files[i].bytes == committed(files[i].name));
    }
}

// The lamps effect draws its red lights before the foreground: a cut-out
// over them would hide them. Each pair hangs on a dark post in the painting.
TEST(ScenePictures, LampLightsAreUncoveredAndHangOnPosts)
{
    const Picture mask = alpha("lamps_mask.gif");
    const Picture picture = colour("lamps_scene.jpg");
    ASSERT_EQ(mask.width, 1024);
    ASSERT_EQ(picture.width, 1024);
    const int lights[8][2] = {{189, 535}, {197, 528}, {30, 531}, {36, 531},
                              {47, 458},  {61, 459},  {56, 507}, {64, 504}};
    for (const auto& l : lights) {
        for (int y = l[1] - 5; y <= l[1] + 5; ++y)
            for (int x = l[0] - 5; x <= l[0] + 5; ++x)
                ASSERT_LE(mask.at(x, y), 8) << "light at " << l[0] << "," << l[1];
        // The lantern glass glows red where the light sits.
        EXPECT_GT(picture.at(l[0], l[1], 0), picture.at(l[0], l[1], 2)) << l[0] << "," << l[1];
    }
    for (int pair = 0; pair < 4; ++pair) {
        const int x = (lights[2 * pair][0] + lights[2 * pair + 1][0]) / 2;
        const int y = std::max(lights[2 * pair][1], lights[2 * pair + 1][1]) + 14;
        double post = 0, beside = 0;
        for (int dy = 0; dy < 10; ++dy) {
            post += picture.luma(x, y + dy);
            beside += (picture.luma(x - 9, y + dy) + picture.luma(x + 9, y + dy)) / 2;
        }
        EXPECT_LT(post, beside * 0.85) << "no post under the pair at x " << x;
    }
}

// The procession walks at x = 0 from z = -768 to 256 under the lamps
// camera; the foreground must hide part of its way (it passes behind) but
// leave most of it in view.
TEST(ScenePictures, ProcessionPassesBehindTheLampsForeground)
{
    const Picture mask = alpha("lamps_mask.gif");
    ASSERT_EQ(mask.width, 1024);
    const Mat camera = multiply(multiply(rotate(-30, 0), translate(0, 50, -200)), rotate(50, 1));
    int heads = 0, headsHidden = 0, feet = 0, feetHidden = 0;
    for (double z = -768; z <= 256; z += 4) {
        const Screen head = to_screen(camera, 0, 2, z);
        if (head.visible) {
            ++heads;
            headsHidden += mask.at(static_cast<int>(head.x), static_cast<int>(head.y)) > 128;
        }
        const Screen foot = to_screen(camera, 0, -14, z);
        if (foot.visible) {
            ++feet;
            feetHidden += mask.at(static_cast<int>(foot.x), static_cast<int>(foot.y)) > 128;
        }
    }
    ASSERT_GT(heads, 50);
    EXPECT_GT(headsHidden, 0);                  // the near lamp post
    EXPECT_LT(headsHidden * 5, heads);          // heads mostly in view
    EXPECT_GT(feetHidden * 10, feet);           // the balustrade hides the strands' ends
}

// The walkers reappear at x = 576 of their path; the cut-out hides that
// point (whatever their bob) and leaves the middle of the flight open.
TEST(ScenePictures, ArchstairsWalkersReappearBehindTheForeground)
{
    const Picture mask = alpha("archstairs_mask.gif");
    ASSERT_EQ(mask.width, 1024);
    const Mat camera = multiply(translate(-23.75, -28.75, -97.5), rotate(60, 1));
    auto arc = [](double x) { return -176 * std::cos((x + 128) / 832 * 3.141592 * 0.5 + 1.570796); };
    for (double bob : {-30.0, 0.0, 30.0}) {
        const Screen entry = to_screen(camera, 576, arc(576) + bob, 0);
        ASSERT_TRUE(entry.visible);
        EXPECT_GT(mask.at(static_cast<int>(entry.x), static_cast<int>(entry.y)), 230) << "bob " << bob;
    }
    for (double x = 40; x <= 280; x += 20) {
        const Screen middle = to_screen(camera, x, arc(x), 0);
        ASSERT_TRUE(middle.visible);
        EXPECT_LT(mask.at(static_cast<int>(middle.x), static_cast<int>(middle.y)), 20) << "x " << x;
    }
}

// The lead-out turns pixels below a rising threshold black: the map should
// spread that evenly over the transition and end fully black (no white,
// which a threshold of 1.0 never passes).
TEST(ScenePictures, TransitionMapSpreadsEvenlyAndEndsBlack)
{
    const Picture map = alpha("lamps_transition_map.jpg");
    ASSERT_EQ(map.width, 1024);
    std::array<int, 10> tenths{};
    int lowest = 255, highest = 0;
    for (uint8_t v : map.px) {
        lowest = std::min<int>(lowest, v);
        highest = std::max<int>(highest, v);
        ++tenths[std::min(v * 10 / 255, 9)];
    }
    EXPECT_LE(lowest, 4);
    EXPECT_GE(highest, 235);
    EXPECT_LT(highest, 255);
    for (int share : tenths) {
        EXPECT_GT(share, static_cast<int>(map.px.size() * 6 / 100));
        EXPECT_LT(share, static_cast<int>(map.px.size() * 14 / 100));
    }
}

// The radial blur darkens the tree picture with its silhouette: the two
// must line up (dark where the silhouette is white).
TEST(ScenePictures, TreeSilhouetteMatchesTheDarkTree)
{
    const Picture tree = colour("tree.jpg");
    const Picture silhouette = alpha("tree_silhouette.gif");
    ASSERT_EQ(tree.height, 1162);
    ASSERT_EQ(silhouette.height, 1162);
    double inside = 0, outside = 0;
    long nInside = 0, nOutside = 0;
    for (int y = 0; y < 1162; ++y)
        for (int x = 0; x < 1024; ++x) {
            if (silhouette.at(x, y) > 230) {
                inside += tree.luma(x, y);
                ++nInside;
            } else if (silhouette.at(x, y) < 10) {
                outside += tree.luma(x, y);
                ++nOutside;
            }
        }
    const long total = 1024L * 1162;
    EXPECT_GT(nInside * 20, total); // at least 5 %
    EXPECT_LT(nInside * 2, total);  // at most half
    EXPECT_LT(inside / nInside, 0.35 * outside / nOutside);
}

// Flashes: a bright bolt on black, in two different places; the cover veils
// most of the screen.
TEST(ScenePictures, FlashesAreBoltsInTwoPlacesAndTheCoverVeils)
{
    int brightestColumn[2] = {};
    for (int i = 0; i < 2; ++i) {
        const Picture flash = alpha(i == 0 ? "tree_flash_1.jpg" : "tree_flash_2.jpg");
        ASSERT_EQ(flash.width, 800);
        long sum = 0;
        std::vector<long> columns(800);
        for (int y = 0; y < 640; ++y)
            for (int x = 0; x < 800; ++x) {
                sum += flash.at(x, y);
                columns[static_cast<size_t>(x)] += flash.at(x, y);
            }
        EXPECT_GE(*std::max_element(flash.px.begin(), flash.px.end()), 245);
        EXPECT_LT(sum / (800 * 640), 40);
        brightestColumn[i] = static_cast<int>(std::max_element(columns.begin(), columns.end()) - columns.begin());
    }
    EXPECT_GT(std::abs(brightestColumn[0] - brightestColumn[1]), 150);
    const Picture cover = alpha("tree_cover.gif");
    long sum = 0;
    for (uint8_t v : cover.px)
        sum += v;
    EXPECT_GT(sum / static_cast<long>(cover.px.size()), 150);
}

// The fade-in layer is the same city lit up: brighter where its mask shows
// it, and the top shape is a small bright moon, not a veil.
TEST(ScenePictures, CityLitLayerIsBrighterWhereItShows)
{
    const Picture dark = colour("city_background.jpg");
    const Picture lit = colour("city_lit.jpg");
    const Picture mask = alpha("city_lit_mask.gif");
    const Picture top = alpha("city_top.gif");
    ASSERT_EQ(dark.width, 1024);
    ASSERT_EQ(lit.width, 1024);
    ASSERT_EQ(mask.width, 1024);
    double darkSum = 0, litSum = 0;
    long shown = 0, hiddenSky = 0;
    for (int y = 0; y < 640; ++y)
        for (int x = 0; x < 1024; ++x) {
            if (mask.at(x, y) > 200) {
                darkSum += dark.luma(x, y);
                litSum += lit.luma(x, y);
                ++shown;
            } else if (mask.at(x, y) < 10 && y < 320) {
                ++hiddenSky;
            }
        }
    EXPECT_GT(shown, 1024L * 640 / 3);
    EXPECT_GT(hiddenSky, 0);
    EXPECT_GT(litSum, 1.5 * darkSum);
    long topSum = 0;
    for (uint8_t v : top.px)
        topSum += v;
    EXPECT_GE(*std::max_element(top.px.begin(), top.px.end()), 240);
    EXPECT_LT(topSum / static_cast<long>(top.px.size()), 40);
}

// The painters' geometry helpers put points where the effects' cameras do;
// a slip in a rotation's sign or order would misplace the painted stage
// (posts, stairs, balustrade) against the ghosts.
TEST(SceneLayout, MatchesTheEffectsCameras)
{
    const Mat lamps = multiply(multiply(rotate(-30, 0), translate(0, 50, -200)), rotate(50, 1));
    const Mat stairs = multiply(translate(-23.75, -28.75, -97.5), rotate(60, 1));
    const double points[][3] = {{0, 0, -768}, {0, 10, 0}, {-40, -14, 100}, {40, -32, -1500}, {250, 60, 3}};
    for (const auto& p : points) {
        const Screen a = to_screen(lamps, p[0], p[1], p[2]);
        const scene::Projected b = scene::project(scene::lamps_to_eye({p[0], p[1], p[2]}));
        EXPECT_NEAR(a.x, b.x, 1e-6);
        EXPECT_NEAR(a.y, b.y, 1e-6);
        const Screen c = to_screen(stairs, p[0] + 300, p[1], p[2] / 20);
        const scene::Projected d = scene::project(scene::archstairs_to_eye({p[0] + 300, p[1], p[2] / 20}));
        EXPECT_NEAR(c.x, d.x, 1e-6);
        EXPECT_NEAR(c.y, d.y, 1e-6);
    }
    // Behind the eye: not on the screen.
    EXPECT_LE(scene::project({0, 0, 5}).depth, 1.0);
    EXPECT_NEAR(scene::archstairs_arc(-128), 0.0, 1e-9);
    EXPECT_NEAR(scene::archstairs_arc(704), 176.0, 1e-9);
}

// ---------------------------------------------------------- painting kit

// A shape covers its inside fully, its outside not at all and a pixel it
// halves by half; fill mixes by coverage times opacity; unite and subtract
// combine cut-outs.
TEST(ScenePaint, ShapesFillAndCombine)
{
    const scene::Grey g = scene::shape(20, 10, [](cairo_t* cr) {
        cairo_rectangle(cr, 4, 2, 6.5, 5);
        cairo_fill(cr);
    });
    EXPECT_FLOAT_EQ(g.at(5, 3), 1.0f);
    EXPECT_FLOAT_EQ(g.at(15, 3), 0.0f);
    EXPECT_NEAR(g.at(10, 3), 0.5f, 0.01f);
    EXPECT_FLOAT_EQ(g.at(5, 8), 0.0f);

    scene::Canvas c(20, 10);
    scene::fill(c, g, scene::Rgb{1.0f, 0.5f, 0.0f}, 0.5f);
    EXPECT_NEAR(c.at(5, 3).r, 0.5f, 1e-6);
    EXPECT_NEAR(c.at(5, 3).g, 0.25f, 1e-6);
    EXPECT_NEAR(c.at(10, 3).r, 0.25f, 0.01f);
    EXPECT_EQ(c.at(15, 3).r, 0.0f);

    scene::Grey a(3, 1), b(3, 1);
    a.v = {0.2f, 0.8f, 0.0f};
    b.v = {0.5f, 0.5f, 1.0f};
    scene::unite(a, b);
    EXPECT_EQ(a.v, (std::vector<float>{0.5f, 0.8f, 1.0f}));
    scene::subtract(a, b);
    EXPECT_NEAR(a.v[0], 0.25f, 1e-6);
    EXPECT_NEAR(a.v[1], 0.4f, 1e-6);
    EXPECT_NEAR(a.v[2], 0.0f, 1e-6);
}

// The brush texture and the vignette only modulate: a grey field keeps its
// mean within the texture's strength, and the vignette darkens the corners
// but not the centre.
TEST(ScenePaint, BrushTextureAndVignetteOnlyModulate)
{
    scene::Canvas c(200, 120);
    for (scene::Rgb& p : c.px)
        p = {0.5f, 0.5f, 0.5f};
    scene::brush_texture(c, 9u, 0.06f);
    double sum = 0;
    float lo = 1, hi = 0;
    for (const scene::Rgb& p : c.px) {
        sum += p.r;
        lo = std::min(lo, p.r);
        hi = std::max(hi, p.r);
    }
    EXPECT_NEAR(sum / static_cast<double>(c.px.size()), 0.5, 0.01);
    EXPECT_GE(lo, 0.5f * 0.94f - 1e-6f);
    EXPECT_LE(hi, 0.5f * 1.06f + 1e-6f);
    EXPECT_GT(hi - lo, 0.01f); // there is a texture
    scene::vignette(c, 0.4f);
    EXPECT_LT(c.at(0, 0).r, 0.5f * 0.65f);
    EXPECT_NEAR(c.at(100, 60).r, 0.5f, 0.04f);
}

// The grey GIF keeps every level (index = level), transparent black or not;
// a wrong palette or index mapping would shift the cut-out's alpha.
TEST(ScenePaint, GreyGifKeepsEveryLevel)
{
    scene::Grey ramp(256, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 256; ++x)
            ramp.at(x, y) = static_cast<float>(x) / 255.0f;
    for (bool transparent : {false, true}) {
        const Picture p = decode(scene::grey_gif(ramp, transparent), true);
        ASSERT_EQ(p.width, 256);
        for (int x = 0; x < 256; ++x)
            EXPECT_EQ(p.at(x, 1), x) << "transparent " << transparent;
    }
    const Picture j = decode(scene::grey_jpeg(ramp), true);
    ASSERT_EQ(j.width, 256);
    for (int x = 0; x < 256; ++x)
        EXPECT_NEAR(j.at(x, 1), x, 4);
}

// The Kuwahara filter keeps flat areas and hard edges exactly (a fault in
// its area sums shows as a smeared edge or a shifted colour).
TEST(ScenePaint, KuwaharaKeepsFlatAreasAndEdges)
{
    scene::Canvas c(40, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            c.at(x, y) = x < 17 ? scene::Rgb{0.2f, 0.4f, 0.6f} : scene::Rgb{0.9f, 0.1f, 0.3f};
    const scene::Canvas before = c;
    scene::kuwahara(c, 3);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            EXPECT_NEAR(c.at(x, y).r, before.at(x, y).r, 1e-5) << x << "," << y;
            EXPECT_NEAR(c.at(x, y).b, before.at(x, y).b, 1e-5) << x << "," << y;
        }
    // A speck in a flat patch is flattened towards the patch and does not
    // spread to its neighbours.
    c.at(5, 5).r = 1.0f;
    scene::kuwahara(c, 2);
    EXPECT_LT(c.at(5, 5).r, 0.35f);
    EXPECT_NEAR(c.at(7, 5).r, 0.2f, 1e-5);
}

// Blur keeps a layer's total, and rim finds only the edge facing the given
// direction.
TEST(ScenePaint, BlurAndRim)
{
    scene::Grey g(50, 50);
    for (int y = 20; y < 30; ++y)
        for (int x = 20; x < 30; ++x)
            g.at(x, y) = 1.0f;
    const scene::Grey edge = scene::rim(g, 3.0f, 0.0f);
    EXPECT_GT(edge.at(29, 25), 0.9f); // right edge lit
    EXPECT_EQ(edge.at(20, 25), 0.0f); // left edge not
    EXPECT_EQ(edge.at(24, 25), 0.0f); // inside not
    double before = 0, after = 0;
    for (float v : g.v)
        before += v;
    scene::blur(g, 3);
    for (float v : g.v)
        after += v;
    EXPECT_NEAR(after, before, 1e-3);
    EXPECT_GT(g.at(19, 25), 0.0f);
    EXPECT_LT(g.at(25, 25), 1.0f);
}

// Seeded noise and generator: same seed, same values; values in range.
TEST(ScenePaint, NoiseIsSeededAndBounded)
{
    scene::Rng a(7), b(7), c(8);
    EXPECT_EQ(a.next(), b.next());
    EXPECT_NE(a.next(), c.next());
    for (int i = 0; i < 1000; ++i) {
        const double u = a.uniform(2.0, 3.0);
        ASSERT_GE(u, 2.0);
        ASSERT_LT(u, 3.0);
        ASSERT_LT(a.below(5), 5);
    }
    float lo = 1, hi = -1;
    for (int i = 0; i < 2000; ++i) {
        const float v = scene::fbm(i * 0.37f, i * 0.11f, 3u, 5);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        EXPECT_EQ(v, scene::fbm(i * 0.37f, i * 0.11f, 3u, 5));
    }
    EXPECT_GE(lo, -1.0f);
    EXPECT_LE(hi, 1.0f);
    EXPECT_LT(lo, -0.2f); // it does vary
    EXPECT_GT(hi, 0.2f);
}

} // namespace
