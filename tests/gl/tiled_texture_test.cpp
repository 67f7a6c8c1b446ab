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

// True when level 0 of texture `name` is `width` x `height`, equals the
// picture's region starting at (x0, y0), filters with `filter` and clamps to
// its edges (a repeating tile edge samples the opposite edge: a seam).
bool tile_matches(GLuint name, int width, int height, const std::vector<uint8_t>& picture, int pictureWidth, int x0,
                  int y0, int channels, GLint filter)
{
    GLint p[6] = {};
    const GLenum names[4] = {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T};
    glBindTexture(GL_TEXTURE_2D, name);
    for (int k = 0; k < 4; ++k)
        glGetTexParameteriv(GL_TEXTURE_2D, names[k], &p[k]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &p[4]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &p[5]);
    if (p[0] != filter || p[1] != filter || p[2] != GL_CLAMP_TO_EDGE || p[3] != GL_CLAMP_TO_EDGE || p[4] != width ||
        p[5] != height)
        return false;
    std::vector<uint8_t> tile(static_cast<size_t>(width) * height * channels);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, channels == 4 ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, tile.data());
    glPopClientAttrib();
    for (int y = 0; y < height; ++y)
        if (!std::equal(&tile[static_cast<size_t>(y) * width * channels],
                        &tile[static_cast<size_t>(y + 1) * width * channels],
                        &picture[(static_cast<size_t>(y0 + y) * pictureWidth + x0) * channels]))
            return false;
    return true;
}

} // namespace

using TiledTextureGl = GlTest;

// Catches a wrong cut (800x600 makes twelve tiles, the last 32x8 at 768, 592),
// a row read at the wrong stride (three bytes a pixel, width 801: rows not
// 4-byte aligned), a tile with another filter than the load's or repeating at
// its edges, and the caller's unpack settings not handed back.
TEST_F(TiledTextureGl, TilesHoldExactlyTheirRegionsWithTheLoadFilterAtAnyStride)
{
    const int xs[] = {0, 512, 768, 800}, ys[] = {0, 512, 576, 592}, sizes[] = {512, 256, 32, 1};
    const int heights[] = {512, 64, 16, 8};
    std::vector<uint8_t> picture = pattern(800, 600, 4);
    TiledTexture* texture = CreateTiledTexture(picture.data(), 800, 600, GL_RGBA, GL_NEAREST);
    ASSERT_NE(texture, nullptr);
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(tile_matches(texture->textures[j * 3 + i], sizes[i], heights[j], picture, 800, xs[i], ys[j], 4,
                                     GL_NEAREST))
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
    EXPECT_TRUE(alignment == 8 && rowLength == 17) << alignment << " " << rowLength;
    ASSERT_NE(texture, nullptr);
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(tile_matches(texture->textures[j * 4 + i], sizes[i], j ? 1 : 4, picture, 801, xs[i], j * 4, 3,
                                     GL_LINEAR))
                << "tile " << i << "," << j;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
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
