// Tiled textures through the real GL path: tile sizes and contents as
// uploaded, the caller's pixel-store state, and a drawn picture read back.
#include "assets/tiled_texture.h"
#include "tests/gl/gl_fixture.h"

#include <vector>

namespace {

// A picture whose every pixel differs from its neighbours, so a misplaced
// tile or a row read with the wrong stride shows.
std::vector<uint8_t> pattern(int width, int height, int channels)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * channels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                pixels[(static_cast<size_t>(y) * width + x) * channels + c] =
                    static_cast<uint8_t>(x * 7 + y * 13 + c * 101 + (x >> 5) * 3 + (y >> 4) * 5);
    return pixels;
}

struct TileImage {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;
};

// Reads back level 0 of a texture, rows in upload order.
TileImage read_texture(GLuint name, GLenum format, int channels)
{
    TileImage tile;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &tile.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &tile.height);
    tile.pixels.resize(static_cast<size_t>(tile.width) * tile.height * channels);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, tile.pixels.data());
    glPopClientAttrib();
    return tile;
}

// True when `tile` equals the picture's region starting at (x0, y0).
bool tile_matches(const TileImage& tile, const std::vector<uint8_t>& picture, int pictureWidth, int x0, int y0,
                  int channels)
{
    for (int y = 0; y < tile.height; ++y)
        for (int x = 0; x < tile.width; ++x)
            for (int c = 0; c < channels; ++c)
                if (tile.pixels[(static_cast<size_t>(y) * tile.width + x) * channels + c] !=
                    picture[(static_cast<size_t>(y0 + y) * pictureWidth + x0 + x) * channels + c])
                    return false;
    return true;
}

} // namespace

using TiledTextureGl = GlTest;

// 800x600 cuts into twelve tiles; each holds exactly its region of the
// picture, the last one columns 768-799 and rows 592-599.
TEST_F(TiledTextureGl, EightHundredBySixHundredMakesTwelveExactTiles)
{
    std::vector<uint8_t> picture = pattern(800, 600, 4);
    TiledTexture* texture = CreateTiledTexture(picture.data(), 800, 600, GL_RGBA, GL_NEAREST);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->width, 800);
    EXPECT_EQ(texture->height, 600);
    const int widths[] = {512, 256, 32}, heights[] = {512, 64, 16, 8};
    const int xs[] = {0, 512, 768}, ys[] = {0, 512, 576, 592};
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 3; ++i) {
            TileImage tile = read_texture(texture->textures[j * 3 + i], GL_RGBA, 4);
            EXPECT_EQ(tile.width, widths[i]) << "tile " << i << "," << j;
            EXPECT_EQ(tile.height, heights[j]) << "tile " << i << "," << j;
            EXPECT_TRUE(tile_matches(tile, picture, 800, xs[i], ys[j], 4)) << "tile " << i << "," << j;
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Three bytes per pixel and a width of 801 make rows that are not 4-byte
// aligned: the upload must still read each tile's rows at the picture's
// stride, and hand the caller's unpack settings back untouched.
TEST_F(TiledTextureGl, OddWidthRgbUploadsExactlyAndKeepsTheCallersUnpackState)
{
    std::vector<uint8_t> picture = pattern(801, 5, 3);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 17);
    TiledTexture* texture = CreateTiledTexture(picture.data(), 801, 5, GL_RGB, GL_LINEAR);
    GLint alignment = 0, rowLength = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    EXPECT_EQ(alignment, 8);
    EXPECT_EQ(rowLength, 17);

    ASSERT_NE(texture, nullptr);
    const int xs[] = {0, 512, 768, 800}, ys[] = {0, 4};
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 4; ++i) {
            TileImage tile = read_texture(texture->textures[j * 4 + i], GL_RGB, 3);
            EXPECT_TRUE(tile_matches(tile, picture, 801, xs[i], ys[j], 3)) << "tile " << i << "," << j;
        }
}

// Drawn with nearest filtering at one unit per pixel, the picture appears on
// screen pixel for pixel, top row at the top, tiles meeting without gaps.
TEST_F(TiledTextureGl, DrawnPicturesReadBackPixelExact)
{
    std::vector<uint8_t> picture = pattern(1024, 640, 4);
    for (size_t i = 3; i < picture.size(); i += 4)
        picture[i] = 255;
    TiledTexture* full = CreateTiledTexture(picture.data(), 1024, 640, GL_RGBA, GL_NEAREST);
    ASSERT_NE(full, nullptr);
    glEnable(GL_TEXTURE_2D);
    DrawTiledTexture(full);
    EXPECT_EQ(read_screen(), picture);

    // 800x600 (twelve tiles) moved by a translation: exact inside, untouched
    // black outside.
    std::vector<uint8_t> small = pattern(800, 600, 4);
    for (size_t i = 3; i < small.size(); i += 4)
        small[i] = 255;
    TiledTexture* tiles = CreateTiledTexture(small.data(), 800, 600, GL_RGBA, GL_NEAREST);
    ASSERT_NE(tiles, nullptr);
    glClear(GL_COLOR_BUFFER_BIT);
    glTranslatef(100, 20, 0);
    DrawTiledTexture(tiles);
    std::vector<uint8_t> screen = read_screen();
    int mismatches = 0;
    for (int y = 0; y < GL_TEST_HEIGHT; ++y)
        for (int x = 0; x < GL_TEST_WIDTH; ++x) {
            const uint8_t* got = &screen[(static_cast<size_t>(y) * GL_TEST_WIDTH + x) * 4];
            bool inside = x >= 100 && x < 900 && y >= 20 && y < 620;
            uint8_t black[4] = {0, 0, 0, 255};
            const uint8_t* want = inside ? &small[(static_cast<size_t>(y - 20) * 800 + (x - 100)) * 4] : black;
            if (channel_difference(got, want) != 0)
                ++mismatches;
        }
    EXPECT_EQ(mismatches, 0);
}

TEST_F(TiledTextureGl, EmptyPicturesHaveNoTilesAndDrawNothing)
{
    TiledTexture* empty = CreateTiledTexture(nullptr, 0, 480, GL_RGBA, GL_LINEAR);
    ASSERT_NE(empty, nullptr);
    glEnable(GL_TEXTURE_2D);
    DrawTiledTexture(empty);
    EXPECT_EQ(pixel(0, 0), (std::array<uint8_t, 4>{0, 0, 0, 255}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
