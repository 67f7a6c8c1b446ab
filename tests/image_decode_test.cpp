// DecodeImage and DecodeAlphaImage on files made by the picture writers. Damaged files at large are the fuzz
// target's (fuzz/fuzz_image.cpp).
#include "assets/image.h"
#include "tools/common/picture_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Rgba = std::vector<int>;
using DecodeFn = uint8_t* (*)(const void*, uint32_t, int32_t*, int32_t*);
const Rgba BLACK = {0, 0, 0, 255};

// Red grows to the right and green downwards: a flipped, mirrored or channel-swapped decode shows.
Bytes gradient(int w, int h, int components)
{
    Bytes p;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int r = x * 255 / (w - 1), g = y * 255 / (h - 1);
            if (components == 1)
                p.push_back(static_cast<uint8_t>((r + g) / 2));
            else
                p.insert(p.end(), {uint8_t(r), uint8_t(g), uint8_t(200 - g / 2)});
        }
    return p;
}

Bytes jpeg(const Bytes& pixels, int w, int h, int components, bool progressive = false)
{
    Bytes out;
    EXPECT_TRUE(encode_jpeg(out, pixels.data(), w, h, components, 92, progressive));
    return out;
}

Bytes gif(const GifPicture& picture)
{
    Bytes out;
    EXPECT_TRUE(encode_gif(out, picture));
    return out;
}

struct Decoded {
    uint8_t* data = nullptr;
    int32_t width = -7, height = -7; // -7: never written
    Rgba at(int x, int y) const
    {
        const uint8_t* p = data + (y * width + x) * 4;
        return {p[0], p[1], p[2], p[3]};
    }
};

Decoded decode(DecodeFn fn, const Bytes& file, size_t length = SIZE_MAX)
{
    Decoded d;
    d.data = fn(file.data(), static_cast<uint32_t>(std::min(length, file.size())), &d.width, &d.height);
    return d;
}

// Offset of the JPEG frame header's precision byte (height, width follow).
size_t frame_header(const Bytes& f)
{
    for (size_t i = 2; i + 4 < f.size(); i += 2 + (f[i + 2] << 8 | f[i + 3]))
        if (f[i + 1] == 0xC0 || f[i + 1] == 0xC2)
            return i + 4;
    return 0;
}

// Every prefix shorter than `complete` is refused by both decoders with a reason, outputs untouched; longer ones
// decode like the whole file.
void expect_cuts_refused(const Bytes& file, size_t complete)
{
    const Decoded whole = decode(DecodeImage, file);
    ASSERT_NE(whole.data, nullptr);
    for (size_t n = 0; n < file.size(); ++n) {
        Decoded d = decode(DecodeImage, file, n);
        if (n < complete)
            ASSERT_TRUE(!d.data && d.width == -7 && *image_decode_failure() && !decode(DecodeAlphaImage, file, n).data)
                << "prefix of " << n << " bytes";
        else
            ASSERT_TRUE(d.data && d.width == whole.width && d.height == whole.height &&
                        std::memcmp(d.data, whole.data, static_cast<size_t>(d.width) * d.height * 4) == 0)
                << "prefix of " << n;
    }
}

// Screen 7x5 with a 3x2 image at (2, 1): indices 0..5, colour i = (40i, 10+40i, 20+40i).
GifPicture small_gif()
{
    GifPicture p;
    p.screenWidth = 7, p.screenHeight = 5, p.left = 2, p.top = 1, p.width = 3, p.height = 2;
    p.indices = {0, 1, 2, 3, 4, 5};
    for (int i = 0; i < 8; ++i)
        p.palette.insert(p.palette.end(), {uint8_t(40 * i), uint8_t(10 + 40 * i), uint8_t(20 + 40 * i)});
    return p;
}

} // namespace

// Colour and grey at a size no multiple of the block; alpha 255, the alpha form is green; progressive = baseline.
TEST(JpegDecode, ColourGreyAndProgressivePicturesAtTheirOwnSize)
{
    const int w = 37, h = 23;
    for (int components : {3, 1}) {
        Bytes source = gradient(w, h, components), file = jpeg(source, w, h, components);
        Decoded c = decode(DecodeImage, file), a = decode(DecodeAlphaImage, file);
        ASSERT_TRUE(c.data && a.data && c.width == w && c.height == h && a.width == w && a.height == h);
        int worst = 0;
        for (int i = 0; i < w * h; ++i) {
            const uint8_t* p = c.data + i * 4;
            for (int ch = 0; ch < 3; ++ch)
                worst = std::max(worst, std::abs(p[ch] - source[i * components + ch % components]));
            ASSERT_TRUE(p[3] == 255 && a.data[i] == p[1]) << "pixel " << i;
        }
        EXPECT_LE(worst, components == 1 ? 4 : 10);
        Decoded p = decode(DecodeImage, jpeg(source, w, h, components, true));
        EXPECT_TRUE(p.data && p.width == w && p.height == h && std::memcmp(c.data, p.data, w * h * 4) == 0);
    }
}

// The 16384 side limit, 12-bit and CMYK files, and a file cut anywhere (also only its end-of-image marker).
TEST(JpegDecode, RefusesOverSizedTwelveBitCmykAndCutFiles)
{
    Bytes grey(16385, 128);
    EXPECT_EQ(decode(DecodeImage, jpeg(grey, 16384, 1, 1)).width, 16384);
    Bytes deep = jpeg(gradient(16, 16, 3), 16, 16, 3);
    deep[frame_header(deep)] = 12; // a precision the 8-bit library reports as an error
    for (const Bytes& bad : {jpeg(grey, 16385, 1, 1), deep, jpeg(Bytes(8 * 8 * 4, 77), 8, 8, 4)})
        EXPECT_TRUE(decode(DecodeImage, bad).width == -7 && *image_decode_failure());
    EXPECT_NE(std::strstr(image_decode_failure(), "damaged or unsupported"), nullptr) << image_decode_failure();

    for (bool progressive : {false, true}) {
        Bytes file = jpeg(gradient(24, 16, 3), 24, 16, 3, progressive);
        expect_cuts_refused(file, file.size());
    }
    EXPECT_NE(std::strstr(image_decode_failure(), "end-of-image marker"), nullptr) << image_decode_failure();
}

// The first image on a black screen: transparent pixels black, clipped at the edge, interlaced rows in order, a
// local map over the global one, indices past the map black.
TEST(GifDecode, FirstImageComposedOnABlackScreen)
{
    GifPicture p = small_gif();
    p.transparentIndex = 4; // colour (160, 170, 180), far from black
    Bytes file = gif(p);
    Decoded c = decode(DecodeImage, file), a = decode(DecodeAlphaImage, file);
    ASSERT_TRUE(c.data && a.data && c.width == 7 && c.height == 5 && a.width == 7 && a.height == 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const int i = (y - 1) * 3 + (x - 2);
            const bool shown = x >= 2 && x < 5 && y >= 1 && y < 3 && i != 4;
            const Rgba want = shown ? Rgba{40 * i, 10 + 40 * i, 20 + 40 * i, 255} : BLACK;
            EXPECT_TRUE(c.at(x, y) == want && a.data[y * 7 + x] == want[1]) << x << "," << y;
        }
    p.left = 5, p.top = 4; // reaching past the corner: only the 2x1 overlap shows
    Decoded clipped = decode(DecodeImage, gif(p));
    ASSERT_TRUE(clipped.data && clipped.at(6, 4) == (Rgba{40, 50, 60, 255}) && clipped.at(4, 4) == BLACK);

    GifPicture tall; // 19 rows: all four passes, the last group short
    tall.screenWidth = tall.width = 1, tall.screenHeight = tall.height = 19, tall.interlaced = true, tall.gif89 = false;
    for (int y = 0; y < 19; ++y) {
        tall.indices.push_back(static_cast<uint8_t>(y));
        tall.palette.insert(tall.palette.end(), {uint8_t(y * 13), uint8_t(y * 7), uint8_t(y)});
    }
    Decoded d = decode(DecodeImage, gif(tall));
    ASSERT_NE(d.data, nullptr);
    for (int y = 0; y < 19; ++y)
        EXPECT_EQ(d.at(0, y), (Rgba{y * 13, y * 7, y, 255})) << "row " << y;

    // A local map (the global one is all black) and a global map cut to 2 entries.
    GifPicture local = small_gif();
    local.localPalette = true;
    Bytes withLocal = gif(local);
    withLocal[10] = static_cast<uint8_t>((withLocal[10] & ~7) | 0x80 | 2); // a global map of 8 black entries
    withLocal.insert(withLocal.begin() + 13, 24, 0);
    Decoded l = decode(DecodeImage, withLocal);
    ASSERT_TRUE(l.data && l.at(4, 2) == (Rgba{200, 210, 220, 255})) << image_decode_failure();
    Bytes shrunk = gif(small_gif());
    shrunk[10] &= ~7;
    shrunk.erase(shrunk.begin() + 13 + 6, shrunk.begin() + 13 + 24);
    Decoded s = decode(DecodeImage, shrunk);
    ASSERT_TRUE(s.data && s.at(3, 1) == (Rgba{40, 50, 60, 255}) && s.at(4, 1) == BLACK);
}

// Only the first image is read (no trailer needed, a damaged second frame ignored), its size checked on its
// descriptor.
TEST(GifDecode, OnlyTheFirstImageIsReadAndItsSizeIsCheckedFirst)
{
    GifPicture p = small_gif();
    p.transparentIndex = 2;
    p.interlaced = true;
    Bytes file = gif(p);
    expect_cuts_refused(file, file.size() - 1);

    file = gif(small_gif());
    Bytes twoFrames(file.begin(), file.end() - 1);
    twoFrames.insert(twoFrames.end(), {0x2C, 0, 0, 0, 0, 3, 0, 2, 0, 0, 2, 5, 0xFF, 0xFF, 0xFF, 0x00, 0x00});
    Decoded first = decode(DecodeImage, file), both = decode(DecodeImage, twoFrames);
    ASSERT_TRUE(first.data && both.data && both.width == 7 && both.height == 5 &&
                std::memcmp(first.data, both.data, 7 * 5 * 4) == 0);

    GifFlood flood;
    for (int side : {16384, 16385}) {
        flood.width = side;
        ASSERT_TRUE(encode_gif_flood(file, flood));
        EXPECT_EQ(decode(DecodeAlphaImage, file).data != nullptr, side == 16384) << side;
    }
    EXPECT_NE(std::strstr(image_decode_failure(), "16385x1"), nullptr) << image_decode_failure();
}

TEST(PictureDecode, RefusedFilesGiveNullAndLeaveOutputsAlone)
{
    GifPicture p = small_gif();
    p.screenWidth = 16384;
    EXPECT_EQ(decode(DecodeImage, gif(p)).width, 16384);
    p.screenWidth = 16385;
    Bytes wider = gif(p), file = gif(small_gif());
    Bytes noWidth = file, huge = file, imageless(file.begin(), file.begin() + 13 + 24), noMap = file;
    noWidth[6] = noWidth[7] = 0;
    std::memset(huge.data() + 6, 0xFF, 4); // 65535 x 65535
    imageless.push_back(0x3B);
    noMap[10] &= 0x7F;
    noMap.erase(noMap.begin() + 13, noMap.begin() + 13 + 24);
    const char* gif90 = "GIF90a\x01\x00\x01\x00\x00\x00\x00;";
    // Both builds tell the format by the same first bytes: FF D8 FF for a JPEG, "GIF87a" or "GIF89a" for a
    // GIF. A JPEG whose start-of-image marker is not followed by another marker is refused, though libjpeg
    // would skip the stray byte.
    Bytes strayByte = jpeg(Bytes(4 * 4 * 3, 128), 4, 4, 3);
    strayByte.insert(strayByte.begin() + 2, 0x00);
    for (const Bytes& in : {wider, noWidth, huge, imageless, noMap, Bytes{}, Bytes{0xFF},
                            Bytes{'h', 'e', 'l', 'l', 'o'}, Bytes(gif90, gif90 + 14), strayByte})
        for (DecodeFn fn : {DecodeImage, DecodeAlphaImage}) {
            Decoded d = decode(fn, in);
            EXPECT_TRUE(!d.data && d.width == -7 && d.height == -7 && *image_decode_failure()) << in.size();
        }
    int32_t w = -7, h = -7;
    EXPECT_TRUE(DecodeImage(nullptr, 100, &w, &h) == nullptr && w == -7);
}
