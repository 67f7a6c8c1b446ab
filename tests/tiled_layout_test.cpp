// Power-of-two layout of tiled textures and the pixel-format tables.
#include "assets/tiled_texture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint32_t> pieces(uint32_t v)
{
    std::vector<uint32_t> out;
    for (uint32_t k = 0; k < CountBits(v); ++k)
        out.push_back(PowerOfTwoPiece(k, v));
    return out;
}

std::vector<uint32_t> offsets(uint32_t v)
{
    std::vector<uint32_t> out;
    for (uint32_t k = 0; k <= CountBits(v); ++k)
        out.push_back(PowerOfTwoOffset(k, v));
    return out;
}

} // namespace

TEST(TiledLayout, DimensionsSplitIntoTheirBinaryPiecesLargestFirst)
{
    using V = std::vector<uint32_t>;
    EXPECT_EQ(pieces(800), (V{512, 256, 32}));
    EXPECT_EQ(offsets(800), (V{0, 512, 768, 800}));
    EXPECT_EQ(pieces(600), (V{512, 64, 16, 8}));
    EXPECT_EQ(offsets(600), (V{0, 512, 576, 592, 600}));
    EXPECT_EQ(pieces(1024), (V{1024}));
    EXPECT_EQ(pieces(640), (V{512, 128}));
    EXPECT_EQ(pieces(300), (V{256, 32, 8, 4}));
    EXPECT_EQ(pieces(320), (V{256, 64}));
    EXPECT_EQ(pieces(1162), (V{1024, 128, 8, 2}));
    EXPECT_EQ(pieces(0), V{});
    EXPECT_EQ(PowerOfTwoOffset(0, 0), 0u);
    // At or past the piece count the offset is the whole dimension.
    EXPECT_EQ(PowerOfTwoOffset(9, 800), 800u);
    EXPECT_EQ(PowerOfTwoPiece(3, 800), 0u);
    EXPECT_EQ(CountBits(0xFFFFFFFFu), 32u);
    EXPECT_EQ(PowerOfTwoOffset(32, 0xFFFFFFFFu), 0xFFFFFFFFu);
}

TEST(TiledLayout, FormatTables)
{
    EXPECT_EQ(ComponentsOfFormat(GL_ALPHA), 1u);
    EXPECT_EQ(ComponentsOfFormat(GL_LUMINANCE), 1u);
    EXPECT_EQ(ComponentsOfFormat(GL_LUMINANCE_ALPHA), 2u);
    EXPECT_EQ(ComponentsOfFormat(GL_RGB), 3u);
    EXPECT_EQ(ComponentsOfFormat(GL_RGBA), 4u);
    EXPECT_EQ(ComponentsOfFormat(GL_BGRA), 0u);
    EXPECT_EQ(GLFormatFromBpp(24), static_cast<uint32_t>(GL_RGB));
    EXPECT_EQ(GLFormatFromBpp(32), static_cast<uint32_t>(GL_RGBA));
    EXPECT_EQ(GLFormatFromBpp(16), 0u);
    EXPECT_EQ(GLFormatFromBpp(8), 0u);
}
