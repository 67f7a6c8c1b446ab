// Model drawing through the real GL path: groups draw white, textured and
// blended as their material says, in index order, from the pack's textures.
#include "assets/model.h"
#include "tests/gl/gl_fixture.h"
#include "tools/common/asset_writers.h"
#include "tools/common/picture_writer.h"

#include <algorithm>

namespace {

std::vector<uint8_t> tga_file(uint16_t width, uint16_t height, uint8_t bpp, bool rle, const std::vector<uint8_t>& pixels)
{
    return write_tga({width, height, bpp, rle, -1, "", false}, pixels.data());
}

// Texture coordinates of the rows of "maps/Tex.TGA": 1 x 2, top row
// half-transparent red, bottom row opaque green.
constexpr float RED_T = 0.25f, GREEN_T = 0.75f;

// Appends a 60-pixel square at (x, 100) as two triangles whose corners all
// sample the texture at (0.5, t).
void add_square(Ms3dModelRecords& m, float x, float t)
{
    uint16_t first = static_cast<uint16_t>(m.vertices.size());
    for (const auto& c : {std::array{x, 100.0f}, {x + 60, 100.0f}, {x, 160.0f}, {x + 60, 160.0f}})
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

} // namespace

using ModelDraw = GlTest;

// Catches materials not applied (texture, blending, transparency 0 inheriting
// the previous group's blending), groups drawn out of their index order or
// triangles outside any group drawn, JPEG textures not found whatever the
// case of ".jpg", TGA textures uploaded bottom row first, with swapped colour
// bytes or without the alpha of 32-bit run-length files, and the caller's
// state not restored.
TEST_F(ModelDraw, GroupsDrawAsTheirMaterialsSayInIndexOrder)
{
    Ms3dModelRecords records;
    const float ts[] = {RED_T, GREEN_T, RED_T, RED_T, RED_T, RED_T, 0.5f, RED_T, GREEN_T};
    for (int k = 0; k < 9; ++k)
        add_square(records, 20.0f + 100 * std::min(k, 7), ts[k]); // squares 7 and 8 in the same place
    add_square(records, 900, RED_T);                                // in no group
    add_square(records, 800, RED_T);
    for (const char* texture : {"..\\..\\3d\\tex.tga", "tex.tga", "EMPTY.TGA", "textures\\Photo.Jpg", "plain.tga"}) {
        Ms3dMaterialRecord& material = records.materials.emplace_back();
        material.transparency = records.materials.size() == 1 ? 0.5f : 0; // only the first blends by itself
        material.texture = texture;
    }
    records.groups = {
        {0, "blended", {0, 1, 2, 3}, 0}, // red half over blue, opaque green
        {0, "inherits", {4, 5}, 1},      // transparency 0 after a blended group: still blended
        {0, "plain", {6, 7}, -1},        // no material: blending off, white
        {0, "inherits", {8, 9}, 1},      // transparency 0 after it: unblended red
        {0, "no tiles", {10, 11}, 2},    // a 0 x 0 texture: drawn untextured
        {0, "photo", {12, 13}, 3},
        {0, "green first", {16, 17, 14, 15}, 1},
        {0, "24 bits", {20, 21}, 4},
    };
    // The pack also holds "maps/Tex.TGA", "empty.tga" (0 x 0 pixels), "photo.JPG" (grey) and "plain.tga"
    // (24 bits, uncompressed, 1 x 2: top row sky blue, bottom row black).
    std::vector<uint8_t> grey(16 * 16, 150), jpeg, pack;
    ASSERT_TRUE(encode_jpeg(jpeg, grey.data(), 16, 16, 1, 95, false));
    ASSERT_TRUE(write_pack({{"scene.ms3d", write_ms3d(records)},
                            {"maps/Tex.TGA", tga_file(1, 2, 32, true, {255, 0, 0, 128, 0, 255, 0, 255})},
                            {"empty.tga", tga_file(0, 0, 24, false, {})},
                            {"photo.JPG", jpeg},
                            {"plain.tga", tga_file(1, 2, 24, false, {0, 128, 255, 0, 0, 0})}},
                           &pack));
    Model model;
    ASSERT_TRUE(model.Load(pack.data(), "scene.ms3d", static_cast<uint32_t>(pack.size())));
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D); // state that would hide or tint squares if left in force
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ONE);
    glColor4f(1, 0, 1, 1);
    model.Draw();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    const Rgb expected[10] = {{128, 0, 127}, {0, 255, 0},    {128, 0, 127}, {255, 255, 255}, {255, 0, 0},
                              {255, 255, 255}, {150, 150, 150}, {255, 0, 0},  {0, 0, 255},     {0, 128, 255}};
    for (int k = 0; k < 10; ++k)
        EXPECT_TRUE(pixel_is(k < 8 ? 50 + 100 * k : 930 - 100 * (k - 8), 130, expected[k], k == 6 ? 6 : 3)) << k;
    GLint source = 0;
    GLfloat colour[4];
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_TRUE(glIsEnabled(GL_BLEND) && glIsEnabled(GL_TEXTURE_2D) && source == GL_ZERO && colour[1] == 0.0f);
}
