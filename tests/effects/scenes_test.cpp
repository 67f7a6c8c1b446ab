// The tree, city and model scenes driven through the real GL path with
// pictures, a pack and a model made here. Each test runs in its own process,
// so every scene starts from its initial state.
#include "assets/content_names.h"
#include "core/log.h"
#include "effects/city.h"
#include "effects/model_scene.h"
#include "effects/tree.h"
#include "script/functable.h"
#include "tests/effects/fake_content.h"
#include "tests/gl/gl_fixture.h"
#include "tools/common/asset_writers.h"
#include "tools/common/picture_writer.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

using Rgba = std::array<uint8_t, 4>;
using Rgb = std::array<uint8_t, 3>;

// Red, green and blue within `tolerance` (alpha is not compared).
::testing::AssertionResult near(const Rgba& actual, const Rgb& expected, int tolerance = 4)
{
    for (int c = 0; c < 3; ++c)
        if (std::abs(int(actual[c]) - int(expected[c])) > tolerance)
            return ::testing::AssertionFailure() << "got " << int(actual[0]) << "," << int(actual[1]) << ","
                                                 << int(actual[2]) << " want " << int(expected[0]) << ","
                                                 << int(expected[1]) << "," << int(expected[2]);
    return ::testing::AssertionSuccess();
}

// A JPEG of `components` 3 (colour) or 1 (grey: the red of `colour`).
std::vector<uint8_t> jpeg(int width, int height, int components, const std::function<Rgb(int, int)>& colour)
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb c = colour(x, y);
            pixels.insert(pixels.end(), c.begin(), c.begin() + components);
        }
    std::vector<uint8_t> out;
    EXPECT_TRUE(encode_jpeg(out, pixels.data(), width, height, components, 95, components == 3));
    return out;
}

// Black and white GIF: as an alpha picture, opaque where `white` holds.
std::vector<uint8_t> mask_gif(int width, int height, const std::function<bool(int, int)>& white)
{
    GifPicture picture;
    picture.screenWidth = picture.width = width;
    picture.screenHeight = picture.height = height;
    picture.palette = {0, 0, 0, 255, 255, 255};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.indices.push_back(white(x, y) ? 1 : 0);
    std::vector<uint8_t> out;
    EXPECT_TRUE(encode_gif(out, picture));
    return out;
}

constexpr Rgb BLACK = {0, 0, 0};
constexpr Rgb WHITE = {255, 255, 255};
constexpr Rgb RED = {255, 0, 0};
constexpr Rgb GREEN = {0, 255, 0};
constexpr Rgb BLUE = {0, 0, 255};

// ---- Tree ------------------------------------------------------------------

// The tree picture is blue above row 528 and green from there down; the
// first flash is white in its left half (screen x 224 to 623), the second in
// its right half (624 to 1023); the cover is white left of x = 128. The
// silhouette is fully transparent or fully opaque. The attractor cloud stays
// within x 374 to 906, so the checks below look outside that band.
void add_tree_pictures(bool opaqueSilhouette)
{
    fake_content_add(content::TREE, jpeg(1024, 1162, 3, [](int, int y) { return y < 528 ? BLUE : GREEN; }));
    fake_content_add(content::TREE_SILHOUETTE, mask_gif(1024, 1162, [=](int, int) { return opaqueSilhouette; }));
    fake_content_add(content::TREE_FLASH_1, jpeg(800, 640, 1, [](int x, int) { return x < 400 ? WHITE : BLACK; }));
    fake_content_add(content::TREE_FLASH_2, jpeg(800, 640, 1, [](int x, int) { return x < 400 ? BLACK : WHITE; }));
    fake_content_add(content::TREE_COVER, mask_gif(1024, 640, [](int x, int) { return x < 128; }));
}

// How far apart two screens are in coarse brightness: the summed differences
// of the channel sums of their 32 x 32 blocks.
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

// ---- City ------------------------------------------------------------------

// Blue background; red fade-in layer whose mask shows its left half; top
// shape white above y = 64.
void add_city_pictures()
{
    fake_content_add(content::CITY_BACKGROUND, jpeg(1024, 640, 3, [](int, int) { return BLUE; }));
    fake_content_add(content::CITY_LIT, jpeg(1024, 640, 3, [](int, int) { return RED; }));
    fake_content_add(content::CITY_LIT_MASK, mask_gif(1024, 640, [](int x, int) { return x < 512; }));
    fake_content_add(content::CITY_TOP, mask_gif(1024, 640, [](int, int y) { return y < 64; }));
}

// ---- Model -----------------------------------------------------------------

// A 16-unit box centred on (40, 40, 0), drawn with the half-transparent
// white texture "particles.tga" named with directories, as the demo's own
// model names it. Every pixel inside the box's outline is covered by two of
// its faces: 1 - (1 - 128/255)^2 of white over what was there.
std::vector<uint8_t> box_model()
{
    Ms3dModelRecords model;
    for (int corner = 0; corner < 8; ++corner)
        model.vertices.push_back({0,
                                  {40.0f + ((corner & 1) ? 8 : -8), 40.0f + ((corner & 2) ? 8 : -8),
                                   (corner & 4) ? 8.0f : -8.0f},
                                  -1,
                                  0});
    const uint16_t faces[6][4] = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}};
    Ms3dGroupRecord group{0, "box", {}, 0};
    for (const auto& face : faces)
        for (const auto& corners : {std::array{0, 1, 2}, {0, 2, 3}}) {
            Ms3dTriangleRecord triangle;
            for (int k = 0; k < 3; ++k) {
                triangle.vertexIndices[k] = face[corners[k]];
                triangle.s[k] = 0.5f;
                triangle.t[k] = 0.5f;
            }
            group.triangleIndices.push_back(static_cast<uint16_t>(model.triangles.size()));
            model.triangles.push_back(triangle);
        }
    model.groups.push_back(group);
    Ms3dMaterialRecord material;
    material.name = "particles";
    material.transparency = 0.65f;
    material.texture = "..\\..\\..\\3d\\particles.tga";
    model.materials.push_back(material);
    return write_ms3d(model);
}

void add_model_pack(const char* modelName)
{
    const std::vector<uint8_t> texel = {255, 255, 255, 128, 255, 255, 255, 128, 255, 255, 255, 128, 255, 255, 255, 128};
    std::vector<uint8_t> pack;
    ASSERT_TRUE(write_pack({{modelName, box_model()},
                            {"PARTICLES.TGA", write_tga({2, 2, 32, false, -1, "", false}, texel.data())}},
                           &pack));
    fake_content_add(content::MODEL_PACK, pack);
}

// 512 x 512, 24 bits, run-length encoded, bottom-left origin. Within the top
// left 400 x 300 pixels: red above y = 150 left of x = 200, green above it
// right of that, blue below; white everywhere else, which the scene's view
// must never show.
void add_model_background()
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            Rgb colour = x >= 400 || y >= 300 ? WHITE : y >= 150 ? BLUE : x < 200 ? RED : GREEN;
            pixels.insert(pixels.end(), colour.begin(), colour.end());
        }
    fake_content_add(content::MODEL_BACKGROUND, write_tga({512, 512, 24, true, -1, "", false}, pixels.data()));
}

// Where the box's centre lands on the 1024 x 640 screen for a point in eye
// coordinates, through the scene's projection (60 degrees, aspect 16/9).
std::array<int, 2> project(double x, double y, double z)
{
    const double tangent = std::tan(30.0 * 3.14159265358979 / 180.0);
    const double ndcX = x / -z / (tangent * 16.0 / 9.0);
    const double ndcY = y / -z / tangent;
    return {static_cast<int>(std::lround(512 + 512 * ndcX)), static_cast<int>(std::lround(320 - 320 * ndcY))};
}

void collect_line(const char* text, void* user)
{
    static_cast<std::vector<std::string>*>(user)->push_back(text);
}

} // namespace

class TreeScene : public GlTest {};

// Catches a wrong rise rate or start position, a scroll that runs past -522
// (the screen's bottom rows would turn black or the top show blue), and a
// cover drawn with the alpha after its step instead of before it, or drawn
// on after it has faded.
TEST_F(TreeScene, PictureRisesAt96PixelsASecondAndStopsAtMinus522WhileTheCoverFades)
{
    add_tree_pictures(false);
    ASSERT_EQ(tree_init(), 1);

    tree(0, 0, 0.0, 1.0); // scroll 640 -> 544
    EXPECT_TRUE(near(pixel(600, 540), BLACK));
    EXPECT_TRUE(near(pixel(600, 548), BLUE));
    EXPECT_TRUE(near(pixel(60, 300), WHITE)) << "the cover at full alpha on the first frame";

    tree(0, 0, 1.0, 100.0); // far past the end: held at -522
    EXPECT_TRUE(near(pixel(600, 2), BLUE)) << "row 2 shows picture row 524";
    EXPECT_TRUE(near(pixel(600, 10), GREEN)) << "row 10 shows picture row 532";
    EXPECT_TRUE(near(pixel(600, 639), GREEN)) << "the bottom edge meets the screen's";
    EXPECT_TRUE(near(pixel(60, 300), {230, 255, 230})) << "the cover at the alpha 0.9 from before the step";

    tree(0, 0, 2.0, 0.5);
    EXPECT_TRUE(near(pixel(600, 2), BLUE));
    EXPECT_TRUE(near(pixel(600, 10), GREEN));
    EXPECT_TRUE(near(pixel(600, 639), GREEN));
    EXPECT_TRUE(near(pixel(60, 300), GREEN)) << "the faded cover is no longer drawn";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// 32 copies of an opaque silhouette, each black at alpha 1/31, leave
// (30/31)^32 of the picture, about a third: 89 of 255 in exact arithmetic,
// up to 94 where the alpha is held in 8 bits and every pass rounds. Catches
// copies drawn without blending (black), without the silhouette's alpha, at
// a clearly different alpha, or far fewer or more of them.
TEST_F(TreeScene, SilhouetteCopiesDarkenThePictureToAboutAThird)
{
    add_tree_pictures(true);
    ASSERT_EQ(tree_init(), 1);
    tree(0, 0, 0.0, 100.0);
    for (const auto& [x, y] : {std::array{300, 100}, {1000, 600}}) {
        const Rgba p = pixel(x, y);
        EXPECT_LE(p[0], 4);
        EXPECT_GE(p[1], 86);
        EXPECT_LE(p[1], 97);
        EXPECT_LE(p[2], 4);
    }
}

// Catches flashes that start before 22.264 s after the first call, a wrong
// alpha curve, a huge step that leaves the phase in the first picture's half
// (reduced by whole cycles instead of half cycles) and flashes that do not
// end after their cycle.
TEST_F(TreeScene, FlashesStartAt22264SecondsAndEndAfterOneCycleEvenWithAHugeStep)
{
    add_tree_pictures(false);
    ASSERT_EQ(tree_init(), 1);
    const int firstX = 300;   // inside the first flash only
    const int secondX = 950;  // inside the second flash only

    tree(0, 0, 0.0, 0.0);
    tree(0, 0, 22.25, 0.0); // not yet: the tree is still below the screen
    EXPECT_TRUE(near(pixel(firstX, 320), BLACK));
    EXPECT_TRUE(near(pixel(secondX, 320), BLACK));

    tree(0, 0, 22.264, 0.125); // a quarter of the first picture's half: alpha sin^2(pi/4)
    EXPECT_TRUE(near(pixel(firstX, 320), {128, 128, 128}, 3));
    EXPECT_TRUE(near(pixel(secondX, 320), BLACK));

    // 10.125 s at once: the phase passes 2 pi many times over and comes back
    // as about 3 pi / 2, the second picture at full alpha, over the tree.
    tree(0, 0, 32.389, 10.125);
    EXPECT_TRUE(near(pixel(firstX, 320), GREEN));
    EXPECT_TRUE(near(pixel(secondX, 320), WHITE));

    tree(0, 0, 32.514, 0.125);
    EXPECT_TRUE(near(pixel(firstX, 320), GREEN));
    EXPECT_TRUE(near(pixel(secondX, 320), GREEN));
}

// Catches a clock that keeps the value 6 (which would read past the six key
// sets), a wrong blend between the last set and the first, and a cloud out
// of its place on the screen.
TEST_F(TreeScene, AttractorClockOfSixWrapsToTheFirstKeySetAndJustBelowBlendsTowardsIt)
{
    tree_attractor(0, 0.0, -522); // clock 0: key set 0
    const std::vector<uint8_t> key0 = read_screen();

    // The cloud lies between about y = 218 and 550 with the scroll at -522.
    int top = GL_TEST_HEIGHT;
    int bottom = -1;
    for (int y = 0; y < GL_TEST_HEIGHT; ++y)
        for (int x = 0; x < GL_TEST_WIDTH; ++x)
            if (key0[(static_cast<size_t>(y) * GL_TEST_WIDTH + x) * 4] > 0) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    EXPECT_GE(top, 200);
    EXPECT_LE(bottom, 570);
    EXPECT_GT(bottom - top, 150);

    glClear(GL_COLOR_BUFFER_BIT);
    tree_attractor(0, 6.0, -522); // clock exactly 6: wraps to 0
    const std::vector<uint8_t> wrapped = read_screen();
    EXPECT_EQ(wrapped, key0);

    glClear(GL_COLOR_BUFFER_BIT);
    tree_attractor(0, 5.0, -522); // key set 5
    const std::vector<uint8_t> key5 = read_screen();
    glClear(GL_COLOR_BUFFER_BIT);
    tree_attractor(0, 0.9921875, -522); // 5.9921875: almost all the way from set 5 to set 0
    const std::vector<uint8_t> almost = read_screen();

    EXPECT_LT(block_distance(almost, key0) * 4, block_distance(almost, key5));
}

// A step of -1e-17 from a clock of 0 used to leave it at exactly 6.0, one
// key set past the table; broken steps must neither hang nor leave the cycle.
TEST(TreeAttractorClock, StaysWithinTheSixKeySetsForAnyStep)
{
    tree_attractor_advance(-tree_attractor_advance(0.0)); // back to 0
    for (double dt : {-1e-17, 5.999999999, -1e-17, std::nan(""), HUGE_VAL, -HUGE_VAL, 1e300, -1e300, -6.0}) {
        const double clock = tree_attractor_advance(dt);
        EXPECT_GE(clock, 0.0) << "dt " << dt;
        EXPECT_LT(clock, 6.0) << "dt " << dt;
    }
}

class CityScene : public GlTest {};

// Catches a start time fixed by a call before 1 s, a layer drawn at exactly
// 3.0 s, a wrong fade rate, a fade that passes 1, a mask left out, a top
// shape that waits for the fade, a background that inherits the caller's
// blending, and attributes not restored.
TEST_F(CityScene, LayerFadesInThreeSecondsAfterTheFirstCallAtOneSecondOrLater)
{
    add_city_pictures();
    ASSERT_EQ(city_init(), 1);
    // Blending that would keep the screen as it is, were it left on.
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ONE);
    auto frame = [](double t, double dt) {
        city_background(0, 0, t, dt);
        city(0, 0, t, dt);
    };
    const int litX = 100;
    const int maskedX = 700;

    frame(0.5, 0.5);
    EXPECT_TRUE(near(pixel(litX, 20), WHITE)) << "the top shape from the first frame";
    EXPECT_TRUE(near(pixel(litX, 320), BLUE));
    frame(1.0, 0.5);    // the start time is taken here, not at 0.5
    frame(3.75, 2.75);  // 3.25 s after 0.5, 2.75 s after 1.0
    EXPECT_TRUE(near(pixel(litX, 320), BLUE));
    frame(4.0, 0.25);   // exactly 3.0 s: not yet
    EXPECT_TRUE(near(pixel(litX, 320), BLUE));

    frame(4.25, 2.5);   // drawn at 0.2 x 2.5 = 0.5
    EXPECT_TRUE(near(pixel(litX, 320), {128, 0, 127}));
    EXPECT_TRUE(near(pixel(maskedX, 320), BLUE));
    EXPECT_TRUE(near(pixel(litX, 20), WHITE));

    frame(5.25, 5.0);   // limited to 1
    EXPECT_TRUE(near(pixel(litX, 320), RED));
    EXPECT_TRUE(near(pixel(maskedX, 320), BLUE));

    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint source = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    EXPECT_EQ(source, GL_ZERO);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

class SceneInit : public GlTest {};

// Catches an init routine that succeeds without one of its pictures (the
// city's mask included) and drawing routines that touch textures that were
// never loaded.
TEST_F(SceneInit, InitRoutinesNeedEveryPictureAndRoutinesRunWithoutThem)
{
    EXPECT_EQ(tree_init(), 0);
    EXPECT_EQ(city_init(), 0);

    // The script may name a scene's routines without its init routine: they
    // draw nothing of the pictures that were never loaded.
    city_background(0, 0, 2.0, 0.1);
    city(0, 0, 2.0, 0.1);
    bb_background(0, 0, 2.0, 0.1);
    bb(0, 0, 2.0, 0.1);
    tree(0, 0, 2.0, 0.1);
    EXPECT_TRUE(near(pixel(100, 100), BLACK));
    EXPECT_TRUE(near(pixel(600, 320), BLACK));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    std::vector<uint8_t> colour = jpeg(1024, 640, 3, [](int, int) { return RED; });
    fake_content_add(content::CITY_BACKGROUND, colour);
    fake_content_add(content::CITY_LIT, colour);
    fake_content_add(content::CITY_TOP, mask_gif(1024, 640, [](int, int) { return true; }));
    EXPECT_EQ(city_init(), 0) << "the fade-in layer needs its mask";
    fake_content_add(content::CITY_LIT_MASK, mask_gif(1024, 640, [](int, int) { return true; }));
    EXPECT_EQ(city_init(), 1);
    add_tree_pictures(false);
    fake_content_add(content::TREE_COVER, {0x47, 0x49, 0x46}); // a GIF cut short
    EXPECT_EQ(tree_init(), 0);
}

class ModelScene : public GlTest {};

// Catches a model turned at t = 0, rotations applied in another order or by
// another angle, a wrong projection or distance, and attributes not restored.
TEST_F(ModelScene, ModelIsUnrotatedAtZeroAndTurnsAboutXThenYThenZ)
{
    add_model_pack("mess.ms3d");
    ASSERT_EQ(bb_init(), 1);
    glEnable(GL_CULL_FACE); // would hide the back faces if left on
    glCullFace(GL_FRONT_AND_BACK);

    bb(0, 0, 0.0, 0.0);
    const std::array<int, 2> centre = project(40, 40, -200);
    EXPECT_TRUE(near(pixel(centre[0], centre[1]), {192, 192, 192}, 4)) << "two half-transparent faces";
    EXPECT_TRUE(near(pixel(1024 - centre[0], centre[1]), BLACK));
    EXPECT_TRUE(near(pixel(centre[0], 640 - centre[1]), BLACK));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    EXPECT_EQ(projection[11], -1.0) << "the perspective is left in place";

    // At 90 degrees about x, y and z in that order (the z turn applies to the
    // model first) the centre (40, 40, 0) goes to (0, -40, 40).
    glClear(GL_COLOR_BUFFER_BIT);
    bb(0, 0, std::asin(90.0 / 175.0), 0.0);
    const std::array<int, 2> turned = project(0, -40, 40 - 200);
    EXPECT_TRUE(near(pixel(turned[0], turned[1]), {192, 192, 192}, 4));
    EXPECT_TRUE(near(pixel(centre[0], centre[1]), BLACK));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Catches a background that blends with the screen, a wrong view of the
// picture (its white parts would show), attributes not restored, and a model
// that is not blended over the background.
TEST_F(ModelScene, BackgroundHidesWhatWasThereAndTheModelBlendsOverIt)
{
    add_model_pack("mess.ms3d");
    add_model_background();
    ASSERT_EQ(bb_init(), 1);
    glClearColor(1, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ONE); // keeps the screen as it is while blending is on
    glColor4f(1, 0, 1, 1);

    bb_background(0, 0, 0.0, 0.0);
    EXPECT_TRUE(near(pixel(256, 160), RED));
    EXPECT_TRUE(near(pixel(768, 160), GREEN));
    EXPECT_TRUE(near(pixel(512, 480), BLUE));
    EXPECT_TRUE(near(pixel(1016, 632), BLUE)) << "picture pixel (397, 296) in the bottom-right corner";
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[1], 0.0f);
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[0], 2.0 / 400, 1e-7) << "the 400 x 300 view is left in place";

    bb(0, 0, 0.0, 0.0); // over the green part
    const std::array<int, 2> centre = project(40, 40, -200);
    EXPECT_TRUE(near(pixel(centre[0], centre[1]), {192, 255, 192}, 4));
}

// Catches a model that fails silently or a failure that is not reported; a
// background that does not load is left out (the screen stays as it was)
// without failing the init routine.
TEST_F(ModelScene, MissingModelFailsWithItsMessageAndMissingBackgroundIsLeftOut)
{
    std::vector<std::string> lines;
    LogSink previous = diag_set_sink(&collect_line, &lines);
    add_model_pack("other.ms3d");
    EXPECT_EQ(bb_init(), 0);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Couldn't load data/mess.ms3d!\n");

    add_model_pack("mess.ms3d");
    EXPECT_EQ(bb_init(), 1);
    diag_set_sink(previous, nullptr);

    glClearColor(1, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    bb_background(0, 0, 0.0, 0.0);
    EXPECT_TRUE(near(pixel(512, 320), {255, 255, 0}));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Catches entries 4 to 6 registered out of order or under other names, and
// the scene routines of this module missing from the table.
TEST(SceneRegistration, ModelRoutinesRegisterInTableOrderAndTheOthersResolve)
{
    const std::pair<const char*, Routine> routines[] = {
        {"bb_init", as_routine(&bb_init)},     {"bb", as_routine(&bb)},
        {"bb_background", as_routine(&bb_background)}, {"tree_init", as_routine(&tree_init)},
        {"tree", as_routine(&tree)},           {"city_init", as_routine(&city_init)},
        {"city_background", as_routine(&city_background)}, {"city", as_routine(&city)},
    };
    for (const auto& [name, routine] : routines)
        EXPECT_EQ(FuncTable_Find(name), routine) << name;
    int first = 0;
    while (first < g_funcTable.count && g_funcTable.entries[first]->routine != routines[0].second)
        ++first;
    ASSERT_LT(first + 2, g_funcTable.count);
    for (int k = 0; k < 3; ++k)
        EXPECT_STREQ(g_funcTable.entries[first + k]->name, routines[k].first);
    EXPECT_EQ(FuncTable_Find("tree_flash"), nullptr) << "the tree's drawing steps are not routines";
}

class BrokenSteps : public GlTest {};

// Catches a clock that a broken time step (infinite, NaN or huge) sends into
// an endless wrap loop, an out-of-range index or an undefined conversion to
// an integer (the sanitizer build checks float-to-int conversions): every
// per-frame routine of the table takes such steps, then an ordinary one.
TEST_F(BrokenSteps, EveryFrameRoutineTakesThemAndGoesOn)
{
    int called = 0;
    for (int32_t i = 0; i < g_funcTable.count; ++i) {
        const std::string name = g_funcTable.entries[i]->name;
        if (name.size() >= 5 && name.compare(name.size() - 5, 5, "_init") == 0)
            continue;
        auto routine = reinterpret_cast<FrameRoutine>(g_funcTable.entries[i]->routine);
        for (double dt : {HUGE_VAL, -HUGE_VAL, std::nan(""), 1e300, -1e300, -1e-17, 0.02})
            routine(0, 0, 30.0, dt);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << name;
        ++called;
    }
    EXPECT_GE(called, 20);
}
