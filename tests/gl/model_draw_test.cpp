// TGA textures and model drawing through the real GL path: uploads come out
// top row first in the file's colours; groups draw white, textured and
// blended as their material says, in index order, with the caller's state
// restored afterwards.
#include "assets/model.h"
#include "assets/tga.h"
#include "tests/gl/gl_fixture.h"
#include "tools/common/asset_writers.h"
#include "tools/common/picture_writer.h"

#include <string>
#include <vector>

namespace {

using Rgba = std::array<uint8_t, 4>;

// Red, green and blue within `tolerance` (alpha is not compared: blending
// writes it too).
::testing::AssertionResult near(const Rgba& actual, const Rgba& expected, int tolerance = 3)
{
    Rgba a = actual;
    a[3] = expected[3];
    if (channel_difference(a.data(), expected.data()) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << int(actual[0]) << "," << int(actual[1]) << "," << int(actual[2])
                                         << " want " << int(expected[0]) << "," << int(expected[1]) << ","
                                         << int(expected[2]);
}

std::vector<uint8_t> tga_file(uint16_t width, uint16_t height, uint8_t bpp, bool rle, const std::vector<uint8_t>& pixels)
{
    return write_tga({width, height, bpp, rle, -1, "", false}, pixels.data());
}

// 1 x 2 texture: top row half-transparent red, bottom row opaque green.
const std::vector<uint8_t> RED_OVER_GREEN = {255, 0, 0, 128, 0, 255, 0, 255};
constexpr float TOP_ROW_T = 0.25f;
constexpr float BOTTOM_ROW_T = 0.75f;

// Appends a 60-pixel square at (x, y) as two triangles whose corners all
// sample the texture at (0.5, t).
void add_square(Ms3dModelRecords& m, float x, float y, float t)
{
    uint16_t first = static_cast<uint16_t>(m.vertices.size());
    for (const auto& c : {std::array{x, y}, {x + 60, y}, {x, y + 60}, {x + 60, y + 60}})
        m.vertices.push_back({0, {c[0], c[1], 0}, -1, 0});
    for (const auto& corners : {std::array{0, 1, 2}, {1, 3, 2}}) {
        Ms3dTriangleRecord tri;
        for (int k = 0; k < 3; ++k) {
            tri.vertexIndices[k] = static_cast<uint16_t>(first + corners[k]);
            tri.s[k] = 0.5f;
            tri.t[k] = t;
        }
        m.triangles.push_back(tri);
    }
}

Ms3dMaterialRecord material(float transparency, const char* texture)
{
    Ms3dMaterialRecord m;
    m.transparency = transparency;
    m.texture = texture;
    return m;
}

// Loads the model from a pack that also holds "maps/Tex.TGA" (RED_OVER_GREEN)
// and "empty.tga" (0 x 0 pixels).
void load(Model& model, const Ms3dModelRecords& records)
{
    static std::vector<std::vector<uint8_t>> s_packs; // the model points into its pack
    std::vector<uint8_t>& pack = s_packs.emplace_back();
    ASSERT_TRUE(write_pack({{"scene.ms3d", write_ms3d(records)},
                            {"maps/Tex.TGA", tga_file(1, 2, 32, true, RED_OVER_GREEN)},
                            {"empty.tga", tga_file(0, 0, 24, false, {})}},
                           &pack));
    ASSERT_TRUE(model.Load(pack.data(), "scene.ms3d", static_cast<uint32_t>(pack.size())));
}

} // namespace

class TgaTexture : public GlTest {};

TEST_F(TgaTexture, UploadsTopRowFirstInTheFilesColours)
{
    // 2 x 2 pictures, top row first; the files store them bottom row first.
    const std::vector<uint8_t> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    const std::vector<uint8_t> rgba = {255, 0, 0, 255, 0, 255, 0, 0, 0, 0, 255, 255, 255, 255, 0, 128};
    const std::vector<uint8_t> files[] = {tga_file(2, 2, 24, false, rgb), tga_file(2, 2, 32, true, rgba)};
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    for (int i = 0; i < 2; ++i) {
        TiledTexture* texture = LoadTGATexture(files[i].data(), GL_NEAREST, static_cast<uint32_t>(files[i].size()));
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->width, 2);
        EXPECT_EQ(texture->height, 2);
        glPushMatrix();
        glTranslatef(100.0f + 200.0f * i, 100, 0);
        glScalef(50, 50, 1);
        DrawTiledTexture(texture);
        glPopMatrix();
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_TRUE(near(pixel(125, 125), {255, 0, 0, 255}));
    EXPECT_TRUE(near(pixel(175, 125), {0, 255, 0, 255}));
    EXPECT_TRUE(near(pixel(125, 175), {0, 0, 255, 255}));
    EXPECT_TRUE(near(pixel(175, 175), {255, 255, 255, 255}));
    // 32 bits: alpha 0 leaves the black screen, alpha 128 is half the colour.
    EXPECT_TRUE(near(pixel(325, 125), {255, 0, 0, 255}));
    EXPECT_TRUE(near(pixel(375, 125), {0, 0, 0, 255}));
    EXPECT_TRUE(near(pixel(325, 175), {0, 0, 255, 255}));
    EXPECT_TRUE(near(pixel(375, 175), {128, 128, 0, 255}));
}

class ModelDraw : public GlTest {};

TEST_F(ModelDraw, GroupWithoutMaterialIsWhiteAndUnblendedAndTheStateIsRestored)
{
    Ms3dModelRecords records;
    add_square(records, 100, 100, 0);
    records.groups = {{0, "plain", {0, 1}, -1}};
    Model model;
    load(model, records);

    // State that would hide or tint the square if it were left in force.
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ONE);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 0, 0, 1);
    model.Draw();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_TRUE(near(pixel(130, 130), {255, 255, 255, 255}));
    EXPECT_TRUE(near(pixel(150, 150), {255, 255, 255, 255}));
    EXPECT_TRUE(near(pixel(90, 130), {0, 0, 0, 255}));

    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint source = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    EXPECT_EQ(source, GL_ZERO);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[1], 0.0f);
}

TEST_F(ModelDraw, MaterialsTextureAndBlendAndTransparencyZeroInheritsBlending)
{
    Ms3dModelRecords records;
    add_square(records, 100, 100, TOP_ROW_T);    // triangles 0, 1
    add_square(records, 200, 100, BOTTOM_ROW_T); // 2, 3
    add_square(records, 300, 100, TOP_ROW_T);    // 4, 5
    add_square(records, 400, 100, TOP_ROW_T);    // 6, 7
    add_square(records, 500, 100, TOP_ROW_T);    // 8, 9
    add_square(records, 600, 100, TOP_ROW_T);    // 10, 11
    records.materials = {material(0.5f, "..\\..\\3d\\tex.tga"), material(0, "tex.tga"), material(0, "EMPTY.TGA")};
    records.groups = {
        {0, "blended", {0, 1, 2, 3}, 0}, // blending on: red half over blue, opaque green
        {0, "inherits", {4, 5}, 1},      // transparency 0 after a blended group: still blended
        {0, "plain", {6, 7}, -1},        // no material: blending off, white
        {0, "inherits", {8, 9}, 1},      // transparency 0 after it: unblended red
        {0, "no tiles", {10, 11}, 2},    // a 0 x 0 texture: drawn untextured
    };
    Model model;
    load(model, records);
    TiledTexture* texture = model.materials[0].textureHandle;
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->height, 2);

    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    model.Draw();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_TRUE(near(pixel(130, 130), {128, 0, 127, 255}));
    EXPECT_TRUE(near(pixel(230, 130), {0, 255, 0, 255}));
    EXPECT_TRUE(near(pixel(330, 130), {128, 0, 127, 255}));
    EXPECT_TRUE(near(pixel(430, 130), {255, 255, 255, 255}));
    EXPECT_TRUE(near(pixel(530, 130), {255, 0, 0, 255}));
    EXPECT_TRUE(near(pixel(630, 130), {255, 255, 255, 255}));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(ModelDraw, GroupsDrawTheirTrianglesInIndexOrderAndNothingElse)
{
    Ms3dModelRecords records;
    add_square(records, 100, 100, TOP_ROW_T);    // red, triangles 0, 1
    add_square(records, 100, 100, BOTTOM_ROW_T); // green over the same place, 2, 3
    add_square(records, 300, 100, TOP_ROW_T);    // 4, 5
    add_square(records, 300, 100, BOTTOM_ROW_T); // 6, 7
    add_square(records, 500, 100, TOP_ROW_T);    // 8, 9: in no group
    records.materials = {material(0, "tex.tga")};
    records.groups = {{0, "green first", {2, 3, 0, 1}, 0}, {0, "red first", {4, 5, 6, 7}, 0}};
    Model model;
    load(model, records);
    model.Draw();
    EXPECT_TRUE(near(pixel(130, 130), {255, 0, 0, 255}));
    EXPECT_TRUE(near(pixel(330, 130), {0, 255, 0, 255}));
    EXPECT_TRUE(near(pixel(530, 130), {0, 0, 0, 255}));

    // Without groups nothing at all is drawn.
    records.groups.clear();
    Model empty;
    load(empty, records);
    glClear(GL_COLOR_BUFFER_BIT);
    empty.Draw();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    std::vector<uint8_t> screen = read_screen();
    for (size_t i = 0; i < screen.size(); i += 4)
        ASSERT_EQ(screen[i] + screen[i + 1] + screen[i + 2], 0) << "pixel " << i / 4;
}

// A texture named ".jpg" in any case goes through the JPEG loader.
TEST_F(ModelDraw, JpegTexturesLoadWhateverTheCaseOfTheirExtension)
{
    std::vector<uint8_t> orange(16 * 16 * 3);
    for (size_t i = 0; i < orange.size(); i += 3) {
        orange[i] = 240;
        orange[i + 1] = 140;
        orange[i + 2] = 20;
    }
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(encode_jpeg(jpeg, orange.data(), 16, 16, 3, 95, false));
    Ms3dModelRecords records;
    add_square(records, 100, 100, 0.5f);
    records.materials = {material(0, "textures\\Photo.Jpg")};
    records.groups = {{0, "photo", {0, 1}, 0}};
    std::vector<uint8_t> pack;
    ASSERT_TRUE(write_pack({{"scene.ms3d", write_ms3d(records)}, {"photo.JPG", jpeg}}, &pack));
    Model model;
    ASSERT_TRUE(model.Load(pack.data(), "scene.ms3d", static_cast<uint32_t>(pack.size())));
    TiledTexture* texture = model.materials[0].textureHandle;
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->width, 16);
    model.Draw();
    EXPECT_TRUE(near(pixel(130, 130), {240, 140, 20, 255}, 6));
}
