// LoadTexture: colour and alpha pictures merged into one RGBA texture.
#include "assets/image.h"
#include "tests/gl/gl_fixture.h"
#include "tools/common/picture_writer.h"

namespace {

using Rgba = std::array<uint8_t, 4>;

// A 64x64 GIF (one tile) in quarters: index 0 black, 1 white, 2 red, 3 blue.
std::vector<uint8_t> gif_quarters(int transparentIndex)
{
    GifPicture picture;
    picture.screenWidth = picture.width = picture.screenHeight = picture.height = 64;
    picture.palette = {0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 0, 255};
    picture.transparentIndex = transparentIndex;
    for (int i = 0; i < 64 * 64; ++i)
        picture.indices.push_back(static_cast<uint8_t>((i / 64 >= 32) * 2 + (i % 64 >= 32)));
    std::vector<uint8_t> out;
    EXPECT_TRUE(encode_gif(out, picture));
    return out;
}

// Texel (x, y) of the texture's only tile.
Rgba texel(const TiledTexture* texture, int x, int y)
{
    std::vector<uint8_t> pixels(64 * 64 * 4);
    glBindTexture(GL_TEXTURE_2D, texture->textures[0]);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    const uint8_t* p = &pixels[(static_cast<size_t>(y) * 64 + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

} // namespace

using LoadTextureGl = GlTest;

// Catches colour without full alpha, transparent pixels not black, alpha
// taken from another byte than green, and an alpha picture's brightness not
// becoming the merged texture's alpha.
TEST_F(LoadTextureGl, ColourAndAlphaPicturesMerge)
{
    const std::vector<uint8_t> gif = gif_quarters(3), opaque = gif_quarters(-1);
    const auto size = [](const std::vector<uint8_t>& v) { return static_cast<uint32_t>(v.size()); };
    const TiledTexture* colour = LoadTexture(gif.data(), size(gif), nullptr, 0, GL_NEAREST);
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(texel(colour, 40, 0), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(texel(colour, 0, 40), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(texel(colour, 40, 40), (Rgba{0, 0, 0, 255})) << "transparent pixels are black and opaque";
    const TiledTexture* alpha = LoadTexture(nullptr, 0, gif.data(), size(gif), GL_NEAREST);
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(texel(alpha, 40, 0), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(texel(alpha, 0, 40), (Rgba{255, 255, 255, 0})) << "alpha is the green byte: red gives 0";
    EXPECT_EQ(texel(alpha, 40, 40), (Rgba{255, 255, 255, 0})) << "transparent pixels are fully transparent";

    std::vector<uint8_t> grey(64 * 64), jpeg;
    for (size_t i = 0; i < grey.size(); ++i)
        grey[i] = i % 64 < 32 ? 0 : 255;
    ASSERT_TRUE(encode_jpeg(jpeg, grey.data(), 64, 64, 1, 95, false));
    const TiledTexture* both = LoadTexture(opaque.data(), size(opaque), jpeg.data(), size(jpeg), GL_LINEAR);
    ASSERT_NE(both, nullptr);
    const Rgba left = texel(both, 4, 40), right = texel(both, 60, 4);
    EXPECT_TRUE(left[0] == 255 && left[1] == 0 && left[3] <= 3) << "red with the alpha picture's black";
    EXPECT_TRUE(right[0] == 255 && right[3] >= 252) << "white with the alpha picture's white";

    // Any picture that fails, or pictures of different sizes, give null.
    const uint8_t junk[] = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'};
    std::vector<uint8_t> small(16 * 16, 128), smallJpeg;
    ASSERT_TRUE(encode_jpeg(smallJpeg, small.data(), 16, 16, 1, 90, false));
    EXPECT_EQ(LoadTexture(nullptr, 0, nullptr, 0, GL_LINEAR), nullptr);
    EXPECT_EQ(LoadTexture(opaque.data(), size(opaque), junk, sizeof junk, GL_LINEAR), nullptr);
    EXPECT_EQ(LoadTexture(junk, sizeof junk, opaque.data(), size(opaque), GL_LINEAR), nullptr);
    EXPECT_EQ(LoadTexture(opaque.data(), size(opaque), smallJpeg.data(), size(smallJpeg), GL_LINEAR), nullptr);
}
