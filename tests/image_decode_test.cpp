// DecodeImage and DecodeAlphaImage on files made by the picture writers:
// sizes, pixels, GIF composition, refused inputs with their reasons, damaged
// files, GIF files read only up to their first image.
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

// Red grows to the right and green downwards, so a flipped, mirrored or
// channel-swapped decode shows.
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

Decoded decode(DecodeFn fn, const Bytes& file)
{
    Decoded d;
    d.data = fn(file.data(), static_cast<uint32_t>(file.size()), &d.width, &d.height);
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

// Every prefix of `file` shorter than `complete` bytes is refused with the
// outputs untouched and a reason; longer ones decode like the whole file. Of
// files with 1 to 3 bits flipped, each is refused by both decoders, or both
// give the same sane size with alpha 255 and alpha values equal to the green
// bytes; every byte is read, so the sanitizer build reports any shortfall.
void expect_damage_handled(const Bytes& file, int flipRounds, size_t complete)
{
    const Decoded whole = decode(DecodeImage, file);
    ASSERT_NE(whole.data, nullptr);
    for (size_t n = 0; n < file.size(); ++n) {
        Decoded d = decode(DecodeImage, Bytes(file.begin(), file.begin() + static_cast<long>(n)));
        if (n < complete) {
            ASSERT_TRUE(d.data == nullptr && d.width == -7) << "prefix of " << n << " bytes";
            ASSERT_STRNE(image_decode_failure(), "") << "prefix of " << n << " bytes";
            ASSERT_EQ(decode(DecodeAlphaImage, Bytes(file.begin(), file.begin() + static_cast<long>(n))).data,
                      nullptr);
        } else {
            ASSERT_TRUE(d.data && d.width == whole.width && d.height == whole.height) << "prefix of " << n;
            ASSERT_EQ(std::memcmp(d.data, whole.data, static_cast<size_t>(d.width) * d.height * 4), 0);
        }
    }
    uint32_t state = 12345, decoded = 0;
    auto next = [&] { return (state = state * 1103515245u + 12345u) >> 8; };
    for (int r = 0; r < flipRounds; ++r) {
        Bytes bad = file;
        for (uint32_t k = 0, flips = 1 + next() % 3; k < flips; ++k)
            bad[6 + next() % (bad.size() - 6)] ^= static_cast<uint8_t>(1u << (next() % 8));
        Decoded c = decode(DecodeImage, bad), a = decode(DecodeAlphaImage, bad);
        ASSERT_TRUE(c.width == a.width && c.height == a.height && !c.data == !a.data) << "round " << r;
        if (!c.data) {
            ASSERT_EQ(c.width, -7);
            continue;
        }
        ASSERT_TRUE(c.width > 0 && c.width <= 16384 && c.height > 0 && c.height <= 16384);
        for (size_t i = 0, n = static_cast<size_t>(c.width) * static_cast<size_t>(c.height); i < n; ++i)
            ASSERT_TRUE(c.data[i * 4 + 3] == 255 && a.data[i] == c.data[i * 4 + 1]) << "round " << r;
        ++decoded;
    }
    EXPECT_GT(decoded, 0u) << "every damaged file was refused: the flips never reach the pixels";
}

} // namespace

TEST(JpegDecode, ColourAndGreyPicturesAtTheirOwnSize)
{
    const int w = 37, h = 23; // not multiples of the 16-pixel block
    for (int components : {3, 1}) {
        Bytes source = gradient(w, h, components), file = jpeg(source, w, h, components);
        Decoded c = decode(DecodeImage, file), a = decode(DecodeAlphaImage, file);
        ASSERT_TRUE(c.data && a.data);
        ASSERT_TRUE(c.width == w && c.height == h && a.width == w && a.height == h);
        // Quality 92 (colour with 2x2 chroma subsampling) on a smooth picture.
        int worst = 0;
        for (int i = 0; i < w * h; ++i) {
            const uint8_t* p = c.data + i * 4;
            for (int ch = 0; ch < 3; ++ch)
                worst = std::max(worst, std::abs(p[ch] - source[i * components + ch % components]));
            ASSERT_EQ(p[3], 255);
            ASSERT_EQ(a.data[i], p[1]);
            if (components == 1) {
                ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]) << "pixel " << i;
            }
        }
        EXPECT_LE(worst, components == 1 ? 4 : 10);
    }
}

TEST(JpegDecode, ProgressiveDecodesExactlyLikeBaseline)
{
    // Both files hold the same quantised coefficients, and the progressive
    // one is read whole before any row is produced, so the pixels agree.
    Bytes source = gradient(40, 30, 3);
    Bytes baseline = jpeg(source, 40, 30, 3), progressive = jpeg(source, 40, 30, 3, true);
    size_t sof = frame_header(progressive);
    ASSERT_TRUE(sof > 0 && progressive[sof - 3] == 0xC2);
    Decoded b = decode(DecodeImage, baseline), p = decode(DecodeImage, progressive);
    ASSERT_TRUE(b.data && p.data && p.width == 40 && p.height == 30);
    EXPECT_EQ(std::memcmp(b.data, p.data, 40 * 30 * 4), 0);
}

// The side limit (16384 decodes, 16385 does not), 12-bit and CMYK files.
TEST(JpegDecode, RefusesPicturesWiderThan16384TwelveBitAndCmykOnes)
{
    Bytes grey(16385, 128);
    Decoded widest = decode(DecodeImage, jpeg(grey, 16384, 1, 1));
    ASSERT_NE(widest.data, nullptr);
    EXPECT_EQ(widest.width, 16384);
    Bytes deep = jpeg(gradient(16, 16, 3), 16, 16, 3);
    ASSERT_GT(frame_header(deep), 0u);
    deep[frame_header(deep)] = 12; // a precision the 8-bit library reports as an error
    for (const Bytes& bad : {jpeg(grey, 16385, 1, 1), deep, jpeg(Bytes(8 * 8 * 4, 77), 8, 8, 4)}) {
        EXPECT_EQ(decode(DecodeImage, bad).width, -7);
        EXPECT_STRNE(image_decode_failure(), "");
    }
    EXPECT_NE(std::strstr(image_decode_failure(), "damaged or unsupported"), nullptr) << image_decode_failure();
}

TEST(JpegDecode, TruncatedOrBitFlippedFiles)
{
    // Truncations include cuts inside the scan data, where the library would
    // otherwise pad the picture with invented rows.
    // A file lacking only its end-of-image marker is refused as well: a
    // progressive file cut between two scans looks the same to the decoder.
    Bytes source = gradient(24, 16, 3);
    for (bool progressive : {false, true}) {
        Bytes file = jpeg(source, 24, 16, 3, progressive);
        expect_damage_handled(file, 1500, file.size());
    }
}

namespace {

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

const Rgba kBlack = {0, 0, 0, 255};

} // namespace

TEST(GifDecode, FirstImageOnABlackScreenWithTransparentPixelsBlack)
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
            const Rgba want = shown ? Rgba{40 * i, 10 + 40 * i, 20 + 40 * i, 255} : kBlack;
            EXPECT_EQ(c.at(x, y), want) << x << "," << y;
            EXPECT_EQ(a.data[y * 7 + x], want[1]) << x << "," << y;
        }
    p.left = 5, p.top = 4; // reaching past the corner: only the 2x1 overlap shows
    Decoded clipped = decode(DecodeImage, gif(p));
    ASSERT_NE(clipped.data, nullptr);
    EXPECT_EQ(clipped.at(6, 4), (Rgba{40, 50, 60, 255}));
    EXPECT_EQ(clipped.at(4, 4), kBlack);
}

TEST(GifDecode, InterlacedRowsComeOutTopToBottom)
{
    GifPicture p;
    p.screenWidth = p.width = 3;
    p.screenHeight = p.height = 19; // all four passes, the last group short
    for (int y = 0; y < 19; ++y) {
        p.indices.insert(p.indices.end(), 3, static_cast<uint8_t>(y));
        p.palette.insert(p.palette.end(), {uint8_t(y * 13), uint8_t(y * 7), uint8_t(y)});
    }
    p.interlaced = true;
    p.gif89 = false;
    Bytes file = gif(p);
    Decoded d = decode(DecodeImage, file);
    ASSERT_TRUE(d.data && std::memcmp(file.data(), "GIF87a", 6) == 0);
    for (int y = 0; y < 19; ++y)
        EXPECT_EQ(d.at(1, y), (Rgba{y * 13, y * 7, y, 255})) << "row " << y;
}

TEST(GifDecode, ColourMapRules)
{
    Bytes file = gif(small_gif()); // 13-byte header, 8-entry global map, image descriptor
    ASSERT_EQ(file[13 + 24], 0x2C);

    // A local map after the descriptor wins over the global one.
    Bytes local(file.begin(), file.begin() + 13 + 24 + 10);
    local.back() |= 0x80 | 2; // 8 entries
    for (int i = 0; i < 8; ++i)
        local.insert(local.end(), {uint8_t(255 - i), 0, uint8_t(i)});
    local.insert(local.end(), file.begin() + 13 + 24 + 10, file.end());
    Decoded l = decode(DecodeImage, local);
    ASSERT_NE(l.data, nullptr);
    EXPECT_EQ(l.at(4, 2), (Rgba{250, 0, 5, 255}));

    // The global map cut to 2 entries: indices 2..5 are outside it, black.
    Bytes shrunk = file;
    shrunk[10] &= ~7;
    shrunk.erase(shrunk.begin() + 13 + 6, shrunk.begin() + 13 + 24);
    Decoded s = decode(DecodeImage, shrunk);
    ASSERT_NE(s.data, nullptr);
    EXPECT_EQ(s.at(3, 1), (Rgba{40, 50, 60, 255}));
    EXPECT_EQ(s.at(4, 1), kBlack);

    // No map at all.
    Bytes none = file;
    none[10] &= 0x7F;
    none.erase(none.begin() + 13, none.begin() + 13 + 24);
    EXPECT_EQ(decode(DecodeImage, none).width, -7);
}

TEST(GifDecode, TruncatedOrBitFlippedFiles)
{
    // The trailer is not needed: the first image is all that is read.
    GifPicture p = small_gif();
    p.transparentIndex = 2;
    Bytes file = gif(p);
    expect_damage_handled(file, 1500, file.size() - 1);
    p.interlaced = true;
    file = gif(p);
    expect_damage_handled(file, 1500, file.size() - 1);
}

TEST(GifDecode, OnlyTheFirstImageIsReadAndItsSizeIsCheckedFirst)
{
    // A damaged, truncated second frame after a complete first one.
    Bytes file = gif(small_gif());
    Bytes twoFrames(file.begin(), file.end() - 1);
    twoFrames.insert(twoFrames.end(), {0x2C, 0, 0, 0, 0, 3, 0, 2, 0, 0, 2, 5, 0xFF, 0xFF, 0xFF, 0x00, 0x00});
    Decoded first = decode(DecodeImage, file), both = decode(DecodeImage, twoFrames);
    ASSERT_TRUE(first.data && both.data && both.width == 7 && both.height == 5);
    EXPECT_EQ(std::memcmp(first.data, both.data, 7 * 5 * 4), 0);

    // A first frame over the side limit is refused on its descriptor, even
    // on a 1x1 screen.
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
    Bytes noWidth = file, huge = file, imageless(file.begin(), file.begin() + 13 + 24);
    noWidth[6] = noWidth[7] = 0;
    std::memset(huge.data() + 6, 0xFF, 4); // 65535 x 65535
    imageless.push_back(0x3B);
    const char* gif90 = "GIF90a\x01\x00\x01\x00\x00\x00\x00;";
    for (const Bytes& in : {wider, noWidth, huge, imageless, Bytes{}, Bytes{0xFF}, Bytes{'h', 'e', 'l', 'l', 'o'},
                            Bytes(gif90, gif90 + 14)})
        for (DecodeFn fn : {DecodeImage, DecodeAlphaImage}) {
            Decoded d = decode(fn, in);
            EXPECT_TRUE(d.data == nullptr && d.width == -7 && d.height == -7);
            EXPECT_STRNE(image_decode_failure(), "");
        }
    int32_t w = -7, h = -7;
    EXPECT_EQ(DecodeImage(nullptr, 100, &w, &h), nullptr);
    EXPECT_EQ(w, -7);
}
