// LoadTexture: colour and alpha pictures merged into one RGBA texture.
#include "assets/image.h"
#include "tests/gl/gl_fixture.h"
#include "tools/common/picture_writer.h"

namespace {

// A 64x64 GIF (one tile): index 0 black, 1 white, 2 red, 3 is transparent.
std::vector<uint8_t> gif_quarters(int transparentIndex)
{
    GifPicture picture;
    picture.screenWidth = picture.width = 64;
    picture.screenHeight = picture.height = 64;
    picture.palette = {0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 0, 255};
    picture.transparentIndex = transparentIndex;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            picture.indices.push_back(static_cast<uint8_t>((y >= 32) * 2 + (x >= 32)));
    std::vector<uint8_t> out;
    EXPECT_TRUE(encode_gif(out, picture));
    return out;
}

// The texture's only tile, read back as RGBA.
std::vector<uint8_t> texels(const TiledTexture* texture)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(texture->width) * texture->height * 4);
    glBindTexture(GL_TEXTURE_2D, texture->textures[0]);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glPopClientAttrib();
    return pixels;
}

std::array<uint8_t, 4> at(const std::vector<uint8_t>& pixels, int x, int y)
{
    const uint8_t* p = &pixels[(static_cast<size_t>(y) * 64 + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

using Rgba = std::array<uint8_t, 4>;

} // namespace

using LoadTextureGl = GlTest;

TEST_F(LoadTextureGl, ColourAloneIsOpaqueAndAlphaAloneIsWhite)
{
    std::vector<uint8_t> gif = gif_quarters(3);
    TiledTexture* colour = LoadTexture(gif.data(), static_cast<uint32_t>(gif.size()), nullptr, 0, GL_NEAREST);
    ASSERT_NE(colour, nullptr);
    std::vector<uint8_t> c = texels(colour);
    EXPECT_EQ(at(c, 0, 0), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(at(c, 40, 0), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(at(c, 0, 40), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(at(c, 40, 40), (Rgba{0, 0, 0, 255})) << "transparent pixels are black and opaque";

    TiledTexture* alpha = LoadTexture(nullptr, 0, gif.data(), static_cast<uint32_t>(gif.size()), GL_NEAREST);
    ASSERT_NE(alpha, nullptr);
    std::vector<uint8_t> a = texels(alpha);
    EXPECT_EQ(at(a, 0, 0), (Rgba{255, 255, 255, 0}));
    EXPECT_EQ(at(a, 40, 0), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(at(a, 0, 40), (Rgba{255, 255, 255, 0})) << "alpha is the green byte: red gives 0";
    EXPECT_EQ(at(a, 40, 40), (Rgba{255, 255, 255, 0})) << "transparent pixels are fully transparent";
}

TEST_F(LoadTextureGl, BothPicturesGiveColourWithTheAlphaPicturesBrightness)
{
    std::vector<uint8_t> colourGif = gif_quarters(-1);
    std::vector<uint8_t> grey(64 * 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            grey[y * 64 + x] = x < 32 ? 0 : 255;
    std::vector<uint8_t> alphaJpeg;
    ASSERT_TRUE(encode_jpeg(alphaJpeg, grey.data(), 64, 64, 1, 95, false));

    TiledTexture* texture = LoadTexture(colourGif.data(), static_cast<uint32_t>(colourGif.size()), alphaJpeg.data(),
                                        static_cast<uint32_t>(alphaJpeg.size()), GL_LINEAR);
    ASSERT_NE(texture, nullptr);
    std::vector<uint8_t> t = texels(texture);
    Rgba left = at(t, 4, 40), right = at(t, 60, 4);
    EXPECT_EQ(left[0], 255);
    EXPECT_EQ(left[1], 0);
    EXPECT_LE(left[3], 3) << "JPEG tolerance around black";
    EXPECT_EQ(right[0], 255);
    EXPECT_GE(right[3], 252) << "JPEG tolerance around white";
}

TEST_F(LoadTextureGl, AnyPictureThatFailsGivesNull)
{
    std::vector<uint8_t> gif = gif_quarters(-1);
    const uint8_t junk[] = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'};
    EXPECT_EQ(LoadTexture(nullptr, 0, nullptr, 0, GL_LINEAR), nullptr);
    EXPECT_EQ(LoadTexture(gif.data(), static_cast<uint32_t>(gif.size()), junk, sizeof junk, GL_LINEAR), nullptr);
    EXPECT_EQ(LoadTexture(junk, sizeof junk, gif.data(), static_cast<uint32_t>(gif.size()), GL_LINEAR), nullptr);
    // Pictures of different sizes cannot be merged pixel for pixel.
    std::vector<uint8_t> small(16 * 16, 128), smallJpeg;
    ASSERT_TRUE(encode_jpeg(smallJpeg, small.data(), 16, 16, 1, 90, false));
    EXPECT_EQ(LoadTexture(gif.data(), static_cast<uint32_t>(gif.size()), smallJpeg.data(),
                          static_cast<uint32_t>(smallJpeg.size()), GL_LINEAR),
              nullptr);
}
