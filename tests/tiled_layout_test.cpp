// Power-of-two layout of tiled textures: a dimension splits into its binary
// pieces, largest first; at or past the piece count the piece is 0 and the
// offset the whole dimension.
#include "assets/tiled_texture.h"

#include <gtest/gtest.h>

#include <vector>

TEST(TiledLayout, DimensionsSplitIntoTheirBinaryPiecesLargestFirst)
{
    using V = std::vector<uint32_t>;
    const std::pair<uint32_t, V> cases[] = {{800, {512, 256, 32}}, {600, {512, 64, 16, 8}}, {1024, {1024}},
                                            {1162, {1024, 128, 8, 2}}, {0, {}}};
    for (const auto& [dimension, expected] : cases) {
        V pieces, offsets{0};
        for (uint32_t k = 0; k < CountBits(dimension); ++k) {
            pieces.push_back(PowerOfTwoPiece(k, dimension));
            EXPECT_EQ(PowerOfTwoOffset(k + 1, dimension), offsets.back() + pieces.back()) << dimension << " " << k;
            offsets.push_back(offsets.back() + pieces.back());
        }
        EXPECT_EQ(pieces, expected) << dimension;
        EXPECT_EQ(PowerOfTwoOffset(0, dimension), 0u);
        EXPECT_EQ(PowerOfTwoOffset(CountBits(dimension) + 3, dimension), dimension);
        EXPECT_EQ(PowerOfTwoPiece(CountBits(dimension), dimension), 0u);
    }
    EXPECT_EQ(CountBits(0xFFFFFFFFu), 32u);
    EXPECT_EQ(PowerOfTwoOffset(32, 0xFFFFFFFFu), 0xFFFFFFFFu);
}
