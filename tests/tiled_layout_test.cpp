// Power-of-two layout of tiled textures.
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
    EXPECT_EQ(pieces(1162), (V{1024, 128, 8, 2}));
    EXPECT_EQ(pieces(0), V{});
    EXPECT_EQ(PowerOfTwoOffset(0, 0), 0u);
    // At or past the piece count the offset is the whole dimension.
    EXPECT_EQ(PowerOfTwoOffset(9, 800), 800u);
    EXPECT_EQ(PowerOfTwoPiece(3, 800), 0u);
    EXPECT_EQ(CountBits(0xFFFFFFFFu), 32u);
    EXPECT_EQ(PowerOfTwoOffset(32, 0xFFFFFFFFu), 0xFFFFFFFFu);
}
