// Tiled textures through the real GL path: tile sizes, contents and
// parameters as uploaded, the caller's pixel-store state, and a drawn
// picture read back.
#include "assets/tiled_texture.h"
#include "tests/gl/gl_fixture.h"

#include <vector>

namespace {

// A picture whose every pixel differs from its neighbours, so a misplaced
// tile or a row read with the wrong stride shows.
std::vector<uint8_t> pattern(int width, int height, int channels)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * channels);
    for (size_t i = 0; i < pixels.size(); ++i) {
        const size_t x = i / channels % width, y = i / channels / width, c = i % channels;
        pixels[i] = static_cast<uint8_t>(x * 7 + y * 13 + c * 101 + (x >> 5) * 3 + (y >> 4) * 5);
    }
    return pixels;
}

// True when level 0 of texture `name` is `width` x `height` and equals the
// picture's region starting at (x0, y0).
bool tile_matches(GLuint name, int width, int height, const std::vector<uint8_t>& picture, int pictureWidth, int x0,
                  int y0, GLenum format, int channels)
{
    GLint w = 0, h = 0;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    if (w != width || h != height)
        return false;
    std::vector<uint8_t> tile(static_cast<size_t>(w) * h * channels);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, tile.data());
    glPopClientAttrib();
    for (int y = 0; y < h; ++y)
        if (!std::equal(&tile[static_cast<size_t>(y) * w * channels], &tile[static_cast<size_t>(y + 1) * w * channels],
                        &picture[(static_cast<size_t>(y0 + y) * pictureWidth + x0) * channels]))
            return false;
    return true;
}

} // namespace

using TiledTextureGl = GlTest;

// Catches a wrong cut (800x600 makes twelve tiles, the last 32x8 at 768, 592),
// a row read at the wrong stride (three bytes a pixel, width 801: rows not
// 4-byte aligned), and the caller's unpack settings not handed back.
TEST_F(TiledTextureGl, TilesHoldExactlyTheirRegionsAtAnyStride)
{
    const int xs[] = {0, 512, 768, 800}, ys[] = {0, 512, 576, 592}, sizes[] = {512, 256, 32, 1};
    const int heights[] = {512, 64, 16, 8};
    std::vector<uint8_t> picture = pattern(800, 600, 4);
    TiledTexture* texture = CreateTiledTexture(picture.data(), 800, 600, GL_RGBA, GL_NEAREST);
    ASSERT_NE(texture, nullptr);
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(tile_matches(texture->textures[j * 3 + i], sizes[i], heights[j], picture, 800, xs[i], ys[j],
                                     GL_RGBA, 4))
                << "tile " << i << "," << j;

    picture = pattern(801, 5, 3);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 17);
    texture = CreateTiledTexture(picture.data(), 801, 5, GL_RGB, GL_LINEAR);
    GLint alignment = 0, rowLength = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    EXPECT_EQ(alignment, 8);
    EXPECT_EQ(rowLength, 17);
    ASSERT_NE(texture, nullptr);
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(tile_matches(texture->textures[j * 4 + i], sizes[i], j ? 1 : 4, picture, 801, xs[i], j * 4,
                                     GL_RGB, 3))
                << "tile " << i << "," << j;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Catches a tile that gets another filter than the picture was loaded with,
// or that repeats at its edges (a tile edge would then sample the opposite
// edge's texels and show a seam where tiles meet).
TEST_F(TiledTextureGl, EveryTileHasTheLoadFilterAndClampsToItsEdges)
{
    std::vector<uint8_t> picture = pattern(800, 600, 4);
    for (GLint filter : {GL_NEAREST, GL_LINEAR}) {
        TiledTexture* texture = CreateTiledTexture(picture.data(), 800, 600, GL_RGBA, filter);
        ASSERT_NE(texture, nullptr);
        for (int k = 0; k < 12; ++k) {
            glBindTexture(GL_TEXTURE_2D, texture->textures[k]);
            GLint values[4] = {};
            const GLenum names[4] = {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T};
            for (int p = 0; p < 4; ++p)
                glGetTexParameteriv(GL_TEXTURE_2D, names[p], &values[p]);
            EXPECT_TRUE(values[0] == filter && values[1] == filter) << "tile " << k << " filter " << filter;
            EXPECT_TRUE(values[2] == GL_CLAMP_TO_EDGE && values[3] == GL_CLAMP_TO_EDGE) << "tile " << k;
        }
    }
}

// Catches tiles drawn misplaced, flipped or with gaps: drawn with nearest
// filtering at one unit per pixel, the picture appears pixel for pixel; an
// empty picture has no tiles and draws nothing.
TEST_F(TiledTextureGl, DrawnPicturesReadBackPixelExact)
{
    std::vector<uint8_t> picture = pattern(1024, 640, 4);
    for (size_t i = 3; i < picture.size(); i += 4)
        picture[i] = 255;
    TiledTexture* full = CreateTiledTexture(picture.data(), 1024, 640, GL_RGBA, GL_NEAREST);
    TiledTexture* empty = CreateTiledTexture(nullptr, 0, 480, GL_RGBA, GL_LINEAR);
    ASSERT_TRUE(full && empty);
    glEnable(GL_TEXTURE_2D);
    DrawTiledTexture(full);
    DrawTiledTexture(empty);
    EXPECT_EQ(read_screen(), picture);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
