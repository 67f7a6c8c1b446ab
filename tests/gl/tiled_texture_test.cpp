// Tiled textures through the real GL path: tile sizes, contents and
// parameters as uploaded, the caller's pixel-store state, a drawn picture
// read back, and colour and alpha pictures merged into one texture.
#include "gfx/texture.h"
#include "gfx/tiled_texture.h"
#include "tests/gl/gl_fixture.h"
#include "tools/common/picture_writer.h"

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
    glPixelStorei(GL_PACK_ALIGNMENT, 1); // RGB rows of any width, unpadded
    glGetTexImage(GL_TEXTURE_2D, 0, channels == 4 ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, tile.data());
    for (int y = 0; y < height; ++y)
        if (!std::equal(&tile[static_cast<size_t>(y) * width * channels],
                        &tile[static_cast<size_t>(y + 1) * width * channels],
                        &picture[(static_cast<size_t>(y0 + y) * pictureWidth + x0) * channels]))
            return false;
    return true;
}

// A GIF in quarters: index 0 black, 1 white, 2 red, 3 blue.
std::vector<uint8_t> gif_quarters(int transparentIndex, int side = 64)
{
    GifPicture picture;
    picture.screenWidth = picture.width = picture.screenHeight = picture.height = side;
    picture.palette = {0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 0, 255};
    picture.transparentIndex = transparentIndex;
    for (int i = 0; i < side * side; ++i)
        picture.indices.push_back(static_cast<uint8_t>((i / side >= side / 2) * 2 + (i % side >= side / 2)));
    std::vector<uint8_t> out;
    EXPECT_TRUE(encode_gif(out, picture));
    return out;
}

// Texel (x, y) of a 64x64 texture's only tile.
std::array<uint8_t, 4> texel(const TiledTexture* texture, int x, int y)
{
    std::vector<uint8_t> pixels(64 * 64 * 4);
    glBindTexture(GL_TEXTURE_2D, texture->textures[0]);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    const uint8_t* p = &pixels[(static_cast<size_t>(y) * 64 + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

} // namespace

using TiledTextureGl = GlTest;

// Catches a wrong cut (800x600 makes twelve tiles, the last 32x8 at 768, 592),
// a row read at the wrong stride (three bytes a pixel, width 801: rows not
// 4-byte aligned), a tile with another filter than the load's or repeating at
// its edges, the caller's unpack settings not handed back, and tiles drawn
// misplaced, flipped or with gaps.
TEST_F(TiledTextureGl, TilesHoldAndDrawExactlyTheirRegionsWithTheLoadFilterAtAnyStride)
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

    // Nearest filtering at one unit per pixel: pixel for pixel. An empty picture draws nothing.
    picture = pattern(1024, 640, 4);
    for (size_t i = 3; i < picture.size(); i += 4)
        picture[i] = 255;
    TiledTexture* empty = CreateTiledTexture(nullptr, 0, 480, GL_RGBA, GL_LINEAR);
    texture = CreateTiledTexture(picture.data(), 1024, 640, GL_RGBA, GL_NEAREST);
    ASSERT_TRUE(texture && empty);
    glEnable(GL_TEXTURE_2D);
    DrawTiledTexture(texture);
    DrawTiledTexture(empty);
    EXPECT_EQ(read_screen(), picture);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Catches colour without full alpha, transparent pixels not black, alpha taken
// from another byte than green, and null not returned for a picture that fails
// or pictures of different sizes.
TEST_F(TiledTextureGl, LoadTextureMergesColourAndAlphaPictures)
{
    using Rgba = std::array<uint8_t, 4>;
    const std::vector<uint8_t> gif = gif_quarters(3), opaque = gif_quarters(-1), small = gif_quarters(-1, 32);
    const auto size = [](const std::vector<uint8_t>& v) { return static_cast<uint32_t>(v.size()); };
    const TiledTexture* colour = LoadTexture(gif.data(), size(gif), nullptr, 0, GL_NEAREST);
    const TiledTexture* alpha = LoadTexture(nullptr, 0, gif.data(), size(gif), GL_NEAREST);
    ASSERT_TRUE(colour && alpha);
    EXPECT_EQ(texel(colour, 40, 0), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(texel(colour, 0, 40), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(texel(colour, 40, 40), (Rgba{0, 0, 0, 255})) << "transparent pixels are black and opaque";
    EXPECT_EQ(texel(alpha, 40, 0), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(texel(alpha, 0, 40), (Rgba{255, 255, 255, 0})) << "alpha is the green byte: red gives 0";
    EXPECT_EQ(texel(alpha, 40, 40), (Rgba{255, 255, 255, 0})) << "transparent pixels are fully transparent";

    const uint8_t junk[] = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'};
    EXPECT_EQ(LoadTexture(nullptr, 0, nullptr, 0, GL_LINEAR), nullptr);
    EXPECT_EQ(LoadTexture(opaque.data(), size(opaque), junk, sizeof junk, GL_LINEAR), nullptr);
    EXPECT_EQ(LoadTexture(junk, sizeof junk, opaque.data(), size(opaque), GL_LINEAR), nullptr);
    EXPECT_EQ(LoadTexture(opaque.data(), size(opaque), small.data(), size(small), GL_LINEAR), nullptr);
    EXPECT_NE(LoadTexture(opaque.data(), size(opaque), gif.data(), size(gif), GL_LINEAR), nullptr);
}
