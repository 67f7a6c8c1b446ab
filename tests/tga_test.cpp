// LoadTGA: decoding (blue/red swap, vertical flip, packets across rows and
// past the end), every refusal with its message, truncated and corrupted
// files read within their length.
#include "assets/tga.h"
#include "tests/test_support.h"
#include "tools/common/asset_writers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> tga_header(uint8_t type, uint16_t width, uint16_t height, uint8_t bpp, uint8_t descriptor,
                                uint8_t idLength = 0)
{
    return {idLength, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0, static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8),
            static_cast<uint8_t>(height), static_cast<uint8_t>(height >> 8), bpp, descriptor};
}

std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Decoded {
    uint8_t* pixels;
    int32_t w = -1, h = -1, bpp = -1;
    std::vector<uint8_t> bytes() const { return {pixels, pixels + w * h * bpp / 8}; }
};

// Decodes the first `length` bytes of `file` from a block of exactly that
// size, so the sanitizer build reports any read past it.
Decoded decode(const std::vector<uint8_t>& file, size_t length = SIZE_MAX)
{
    length = std::min(length, file.size());
    uint8_t* block = static_cast<uint8_t*>(std::malloc(length + 1)) + 1;
    std::memcpy(block, file.data(), length);
    Decoded d{};
    d.pixels = LoadTGA(block, &d.w, &d.h, &d.bpp, static_cast<uint32_t>(length));
    std::free(block - 1);
    return d;
}

// A picture whose rows differ and start with a run of equal pixels, top row
// first.
std::vector<uint8_t> test_picture(int w, int h, int bpp)
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < bpp / 8; ++c)
                pixels.push_back(static_cast<uint8_t>(x < w / 2 ? 10 * y + c : 7 * x + 31 * y + 50 * c));
    return pixels;
}

} // namespace

TEST(LoadTGA, DecodesWhatTheWriterStoredTopRowFirst)
{
    struct Case {
        uint16_t w, h;
        uint8_t bpp;
        bool rle, crossRows;
        std::string id;
    } const cases[] = {{5, 3, 24, false, false, ""}, {5, 3, 32, false, false, "id"}, {7, 4, 24, true, false, ""},
                       {7, 5, 32, true, true, "an image id"}, {9, 1, 32, true, true, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " " << int(c.bpp) << " rle=" << c.rle);
        std::vector<uint8_t> picture = test_picture(c.w, c.h, c.bpp);
        TgaWriteOptions options{c.w, c.h, c.bpp, c.rle, -1, c.id, c.crossRows};
        LogCapture log;
        Decoded d = decode(write_tga(options, picture.data()));
        ASSERT_NE(d.pixels, nullptr);
        EXPECT_EQ(d.w, c.w);
        EXPECT_EQ(d.h, c.h);
        EXPECT_EQ(d.bpp, c.bpp);
        EXPECT_EQ(d.bytes(), picture);
        EXPECT_TRUE(log.lines.empty());
    }
}

TEST(LoadTGA, SwapsBlueAndRedAndFlipsEveryFileWhateverItsOrigin)
{
    // File rows are bottom first: 10,20,30 is the bottom pixel.
    Decoded d = decode(tga_header(2, 1, 2, 24, 0x00) + std::vector<uint8_t>{10, 20, 30, 40, 50, 60});
    EXPECT_EQ(d.bytes(), (std::vector<uint8_t>{60, 50, 40, 30, 20, 10}));
    // Alpha stays last; an odd height keeps its middle row.
    d = decode(tga_header(2, 1, 3, 32, 0x08) + std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    EXPECT_EQ(d.bytes(), (std::vector<uint8_t>{11, 10, 9, 12, 7, 6, 5, 8, 3, 2, 1, 4}));
    // Descriptor 0x28 (top-left origin) is accepted and flipped all the same.
    std::vector<uint8_t> picture = test_picture(3, 4, 32);
    d = decode(write_tga({3, 4, 32, false, 0x28, "", false}, picture.data()));
    ASSERT_NE(d.pixels, nullptr);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(std::memcmp(d.pixels + row * 12, picture.data() + (3 - row) * 12, 12), 0) << "row " << row;
}

TEST(LoadTGA, PacketsCountTheirPixelsCrossRowsAndStopAtTheEnd)
{
    // 0xFF: one pixel 128 times; 0x00: exactly one pixel.
    Decoded d = decode(tga_header(10, 130, 1, 24, 0) + std::vector<uint8_t>{0xFF, 1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9});
    ASSERT_NE(d.pixels, nullptr);
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(std::memcmp(d.pixels + 3 * i, "\3\2\1", 3), 0) << "pixel " << i;
    EXPECT_EQ(std::memcmp(d.pixels + 3 * 128, "\6\5\4\11\10\7", 6), 0);
    // 3x2: a run of five goes on from the bottom row into the top one.
    d = decode(tga_header(10, 3, 2, 24, 0) + std::vector<uint8_t>{0x84, 1, 1, 1, 0x00, 2, 2, 2});
    EXPECT_EQ(d.bytes(), (std::vector<uint8_t>{1, 1, 1, 1, 1, 1, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
    // A run of 128 for two pixels is cut at the end of the picture; so is a
    // raw packet of six, whose other four pixels are not even read.
    d = decode(tga_header(10, 2, 1, 32, 8) + std::vector<uint8_t>{0xFF, 1, 2, 3, 4});
    EXPECT_EQ(d.bytes(), (std::vector<uint8_t>{3, 2, 1, 4, 3, 2, 1, 4}));
    d = decode(tga_header(10, 2, 1, 24, 0) + std::vector<uint8_t>{0x05, 1, 2, 3, 4, 5, 6});
    EXPECT_EQ(d.bytes(), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
}

TEST(LoadTGA, RefusesWithItsMessages)
{
    std::vector<uint8_t> colourMapped = tga_header(1, 2, 2, 8, 0);
    colourMapped[1] = 1;
    const std::string truncated = "LoadTGA: File is truncated!\n";
    const std::string unmapped = "LoadTGA: Only unmapped RGB and RLE-compressed RGB images are supported!\n";
    const std::string interleaved = "LoadTGA: Only non-interleaved images are unsupported\n";
    const std::pair<std::vector<uint8_t>, std::string> cases[] = {
        {colourMapped, "LoadTGA: Colour-mapped images are unsupported!\n"},
        {tga_header(3, 2, 2, 8, 0), unmapped},
        {tga_header(11, 2, 2, 8, 0), unmapped},
        {tga_header(2, 2, 1, 16, 8), "LoadTGA: Only 24 and 32 bpp images are supported (bpp is 16)!\n"},
        {tga_header(10, 2, 1, 32, 0x00), "LoadTGA: Invalid image descriptor (32 bpp, imDesc=0)\n"},
        {tga_header(2, 2, 1, 32, 0x24), "LoadTGA: Invalid image descriptor (32 bpp, imDesc=36)\n"},
        {tga_header(2, 2, 1, 24, 0x08), "LoadTGA: Invalid image descriptor (24 bpp, imDesc=8)\n"},
        {tga_header(2, 2, 1, 32, 0x48), interleaved},
        {tga_header(2, 2, 1, 24, 0x80), interleaved},
        {tga_header(2, 1, 1, 24, 0), truncated},
        {tga_header(2, 1, 1, 24, 0, 4), truncated},
        {tga_header(10, 300, 1, 24, 0), truncated},
    };
    for (const auto& [file, message] : cases) {
        SCOPED_TRACE(message);
        LogCapture log;
        EXPECT_EQ(decode(file).pixels, nullptr);
        EXPECT_EQ(log.lines, std::vector<std::string>{message});
    }

    // The size and depth are written before the depth is tested.
    Decoded d = decode(tga_header(2, 300, 7, 16, 8));
    EXPECT_EQ(d.w, 300);
    EXPECT_EQ(d.h, 7);
    EXPECT_EQ(d.bpp, 16);

    LogCapture log;
    int32_t w, bpp;
    EXPECT_EQ(LoadTGA(nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(LoadTGA(colourMapped.data(), &w, nullptr, &bpp), nullptr);
    EXPECT_EQ(LoadTGATexture(nullptr, GL_NEAREST), nullptr);
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0], "LoadTGA: Invalid parameter (a_data=0, a_w=0, a_h=0, a_bpp=0)!\n");
    EXPECT_NE(log.lines[1].find(", a_h=0, "), std::string::npos);
}

TEST(LoadTGA, TruncatedAndCorruptedFilesAreReadWithinTheirLength)
{
    for (bool rle : {false, true}) {
        std::vector<uint8_t> picture = test_picture(6, 5, 32);
        const std::vector<uint8_t> file = write_tga({6, 5, 32, rle, -1, "xyz", true}, picture.data());
        // Every byte of the file is needed.
        for (size_t length = 0; length < file.size(); ++length) {
            LogCapture log;
            EXPECT_EQ(decode(file, length).pixels, nullptr) << length;
            EXPECT_EQ(log.lines, std::vector<std::string>{"LoadTGA: File is truncated!\n"}) << length;
        }
        // A changed bit gives pixels without a message, or null with one.
        for (size_t bit = 0; bit < file.size() * 8; ++bit) {
            std::vector<uint8_t> changed = file;
            changed[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
            LogCapture log;
            bool decoded = decode(changed).pixels != nullptr;
            ASSERT_EQ(log.lines.size(), decoded ? 0u : 1u) << "rle " << rle << " bit " << bit;
            if (!decoded) {
                EXPECT_EQ(log.lines[0].rfind("LoadTGA: ", 0), 0u);
            }
        }
    }
}
