// LoadTGA: decoding, refusals with their messages, cut files. Damaged files at large: fuzz/fuzz_tga.cpp.
#include "assets/tga.h"
#include "gfx/texture.h"
#include "tests/test_support.h"
#include "tools/common/asset_writers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes tga_header(uint8_t type, uint16_t width, uint16_t height, uint8_t bpp, uint8_t descriptor, uint8_t idLength = 0)
{
    return {idLength, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0, static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8),
            static_cast<uint8_t>(height), static_cast<uint8_t>(height >> 8), bpp, descriptor};
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Decoded {
    uint8_t* pixels;
    int32_t w = -1, h = -1, bpp = -1;
    Bytes bytes() const { return {pixels, pixels + w * h * bpp / 8}; }
};

// Decodes `length` bytes from a block of exactly that size, so the sanitizer build reports a read past it.
Decoded decode(const Bytes& file, size_t length = SIZE_MAX)
{
    length = std::min(length, file.size());
    uint8_t* block = static_cast<uint8_t*>(std::malloc(length + 1)) + 1;
    std::memcpy(block, file.data(), length);
    Decoded d{};
    d.pixels = LoadTGA(block, &d.w, &d.h, &d.bpp, static_cast<uint32_t>(length));
    std::free(block - 1);
    return d;
}

// Rows that differ, each starting with a run of equal pixels; top row first.
Bytes test_picture(int w, int h, int bpp)
{
    Bytes pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < bpp / 8; ++c)
                pixels.push_back(static_cast<uint8_t>(x < w / 2 ? 10 * y + c : 7 * x + 31 * y + 50 * c));
    return pixels;
}

} // namespace

// What the writer stored comes back top row first (descriptor 0x28 flipped all the same); every byte is needed.
TEST(LoadTGA, DecodesWhatTheWriterStoredAndRefusesEveryCut)
{
    struct Case {
        uint16_t w, h;
        uint8_t bpp;
        bool rle, crossRows;
        std::string id;
        int descriptor;
    } const cases[] = {{5, 3, 24, false, false, "", -1},   {5, 3, 32, false, false, "id", -1},
                       {7, 4, 24, true, false, "", -1},    {7, 5, 32, true, true, "an image id", -1},
                       {9, 1, 32, true, true, "", -1},     {3, 4, 32, false, false, "", 0x28}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " " << int(c.bpp) << " rle=" << c.rle);
        Bytes picture = test_picture(c.w, c.h, c.bpp);
        const Bytes file = write_tga({c.w, c.h, c.bpp, c.rle, c.descriptor, c.id, c.crossRows}, picture.data());
        LogCapture log;
        Decoded d = decode(file);
        ASSERT_TRUE(d.pixels && d.w == c.w && d.h == c.h && d.bpp == c.bpp);
        Bytes expected = picture;
        const size_t row = c.w * c.bpp / 8;
        for (size_t y = 0; c.descriptor == 0x28 && y < c.h; ++y) // stored top first, flipped all the same
            std::copy_n(picture.begin() + (c.h - 1 - y) * row, row, expected.begin() + y * row);
        EXPECT_EQ(d.bytes(), expected);
        EXPECT_TRUE(log.lines.empty());
        for (size_t length = 0; length < file.size(); ++length) {
            LogCapture cut;
            EXPECT_EQ(decode(file, length).pixels, nullptr) << length;
            EXPECT_EQ(cut.lines, std::vector<std::string>{"LoadTGA: File is truncated!\n"}) << length;
        }
    }
}

// Hand-made files: bottom row first, blue and red swapped, alpha last; (count & 0x7F) + 1 pixels a packet, runs
// across rows, cut at the picture's end.
TEST(LoadTGA, SwapsFlipsAndCountsPacketPixels)
{
    Bytes run; // 0xFF: one pixel 128 times; then two packets 0x00 of exactly one pixel
    for (int i = 0; i < 128; ++i)
        run.insert(run.end(), {3, 2, 1});
    const std::pair<Bytes, Bytes> cases[] = {
        {tga_header(2, 1, 2, 24, 0x00) + Bytes{10, 20, 30, 40, 50, 60}, {60, 50, 40, 30, 20, 10}},
        {tga_header(2, 1, 3, 32, 0x08) + Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
         {11, 10, 9, 12, 7, 6, 5, 8, 3, 2, 1, 4}},
        {tga_header(10, 3, 2, 24, 0) + Bytes{0x84, 1, 1, 1, 0x00, 2, 2, 2},
         {1, 1, 1, 1, 1, 1, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {tga_header(10, 2, 1, 32, 8) + Bytes{0xFF, 1, 2, 3, 4}, {3, 2, 1, 4, 3, 2, 1, 4}},
        {tga_header(10, 2, 1, 24, 0) + Bytes{0x05, 1, 2, 3, 4, 5, 6}, {3, 2, 1, 6, 5, 4}},
        {tga_header(10, 130, 1, 24, 0) + Bytes{0xFF, 1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9}, run + Bytes{6, 5, 4, 9, 8, 7}},
    };
    for (const auto& [file, pixels] : cases)
        EXPECT_EQ(decode(file).bytes(), pixels);
}

TEST(LoadTGA, RefusesWithItsMessages)
{
    Bytes colourMapped = tga_header(1, 2, 2, 8, 0);
    colourMapped[1] = 1;
    const std::string truncated = "LoadTGA: File is truncated!\n";
    const std::string unmapped = "LoadTGA: Only unmapped RGB and RLE-compressed RGB images are supported!\n";
    const std::string interleaved = "LoadTGA: Only non-interleaved images are unsupported\n";
    const std::pair<Bytes, std::string> cases[] = {
        {colourMapped, "LoadTGA: Colour-mapped images are unsupported!\n"},
        {tga_header(3, 2, 2, 8, 0), unmapped},
        {tga_header(2, 2, 1, 16, 8), "LoadTGA: Only 24 and 32 bpp images are supported (bpp is 16)!\n"},
        {tga_header(10, 2, 1, 32, 0x00), "LoadTGA: Invalid image descriptor (32 bpp, imDesc=0)\n"},
        {tga_header(2, 2, 1, 32, 0x24), "LoadTGA: Invalid image descriptor (32 bpp, imDesc=36)\n"},
        {tga_header(2, 2, 1, 24, 0x08), "LoadTGA: Invalid image descriptor (24 bpp, imDesc=8)\n"},
        {tga_header(2, 2, 1, 32, 0x48), interleaved},
        {tga_header(2, 2, 1, 24, 0x80), interleaved},
        {tga_header(2, 1, 1, 24, 0, 4), truncated},
        {tga_header(10, 300, 1, 24, 0), truncated},
    };
    for (const auto& [file, message] : cases) {
        LogCapture log;
        EXPECT_EQ(decode(file).pixels, nullptr) << message;
        EXPECT_EQ(log.lines, std::vector<std::string>{message});
    }

    // The size and depth are written before the depth is tested.
    Decoded d = decode(tga_header(2, 300, 7, 16, 8));
    EXPECT_TRUE(d.w == 300 && d.h == 7 && d.bpp == 16);

    LogCapture log;
    int32_t w, bpp;
    EXPECT_EQ(LoadTGA(nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(LoadTGA(colourMapped.data(), &w, nullptr, &bpp), nullptr);
    EXPECT_EQ(LoadTGATexture(nullptr, GL_NEAREST), nullptr);
    ASSERT_TRUE(log.lines.size() == 2u && log.lines[1].find(", a_h=0, ") != std::string::npos);
    EXPECT_EQ(log.lines[0], "LoadTGA: Invalid parameter (a_data=0, a_w=0, a_h=0, a_bpp=0)!\n");
}
