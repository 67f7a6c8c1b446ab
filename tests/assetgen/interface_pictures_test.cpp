// Tests of the interface pictures: the painting helpers they are made with,
// the generated files as the demo decodes them, and the contact sheet.
#include "assets/content_names.h"
#include "assets/image.h"
#include "tools/assetgen/assetgen.h"
#include "tools/assetgen/contact_sheet.h"
#include "tools/assetgen/interface_paint.h"
#include "tools/common/asset_writers.h"
#include "tools/common/picture_writer.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace paint;

namespace {

// ------------------------------------------------------------ helpers ----

// The noise wraps at its period in every octave: a tiling fault (a negative
// lattice index taken modulo wrongly, an octave whose period does not double
// with its frequency) would show as a seam in the fog of the window loop.
TEST(PaintNoise, WrapsAtItsPeriodInEveryAxis)
{
    for (float x : {-7.3f, -0.5f, 0.0f, 2.25f, 5.9f})
        for (float y : {-3.1f, 0.4f, 6.7f}) {
            EXPECT_NEAR(fbm(x, y, 5, 3, 8, 0), fbm(x + 8.0f, y, 5, 3, 8, 0), 1e-5f) << x << "," << y;
            EXPECT_NEAR(fbm(x, y, 5, 3, 8, 4), fbm(x, y - 4.0f, 5, 3, 8, 4), 1e-5f) << x << "," << y;
            EXPECT_NEAR(fbm3(x, y, 0.25f, 4, 9, 0, 0, 3), fbm3(x, y, 3.25f, 4, 9, 0, 0, 3), 1e-5f);
            float v = fbm(x, y, 5, 3);
            EXPECT_GE(v, 0.0f);
            EXPECT_LT(v, 1.0f);
        }
    // Not constant: neighbouring lattice points differ somewhere.
    std::set<float> seen;
    for (int i = 0; i < 16; ++i)
        seen.insert(value_noise(float(i), 0.0f, 1));
    EXPECT_GT(seen.size(), 8u);
}

// The blur keeps a flat picture flat (edges clamped, no darkening at the
// border) and spreads a point to about the asked standard deviation.
TEST(PaintBlur, KeepsFlatPicturesAndSpreadsToSigma)
{
    Grey flat(40, 30, 0.6f);
    blur(flat, 5.0f);
    for (float v : flat.v)
        ASSERT_NEAR(v, 0.6f, 1e-5f);

    Grey point(101, 1, 0.0f);
    point.at(50, 0) = 1.0f;
    blur(point, 6.0f);
    double mass = 0.0, variance = 0.0;
    for (int x = 0; x < 101; ++x) {
        mass += point.at(x, 0);
        variance += point.at(x, 0) * double(x - 50) * double(x - 50);
    }
    EXPECT_NEAR(mass, 1.0, 1e-4);
    EXPECT_NEAR(std::sqrt(variance / mass), 6.0, 0.6);
    EXPECT_FLOAT_EQ(point.at(45, 0), point.at(55, 0));

    Canvas colour(20, 20, {0.1f, 0.5f, 0.9f});
    blur(colour, 3.0f);
    EXPECT_NEAR(colour.at(0, 19)[2], 0.9f, 1e-5f);
}

// The Kuwahara filter flattens texture but keeps a hard edge hard: a fault
// in its quadrant sums would smear the edge or shift the colours.
TEST(PaintKuwahara, KeepsEdgesAndFlatAreas)
{
    Canvas step(24, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) {
            float v = x < 12 ? 0.2f : 0.8f;
            float* p = step.at(x, y);
            p[0] = v;
            p[1] = v * 0.5f;
            p[2] = 1.0f - v;
        }
    Canvas filtered = step;
    kuwahara(filtered, 3);
    for (size_t i = 0; i < step.rgb.size(); ++i)
        ASSERT_NEAR(filtered.rgb[i], step.rgb[i], 1e-6f) << i;
}

// A picture of few colours keeps them exactly; a smooth gradient reduced to
// 256 colours stays within a few levels of the original everywhere.
TEST(PaintPalette, MedianCutKeepsFewColoursAndFollowsGradients)
{
    Canvas few(16, 16);
    const Rgb colours[3] = {hex(0x102040), hex(0xff9a3c), hex(0xf0f0f0)};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            Rgb c = colours[(x / 4 + y) % 3];
            float* p = few.at(x, y);
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        }
    std::vector<uint8_t> palette = median_cut_palette({&few}, 256);
    ASSERT_EQ(palette.size(), 9u);
    std::vector<uint8_t> indices = map_to_palette(few, palette, 0.0f);
    std::vector<uint8_t> bytes = to_bytes(few);
    for (size_t i = 0; i < indices.size(); ++i)
        for (int c = 0; c < 3; ++c)
            ASSERT_EQ(palette[indices[i] * 3 + size_t(c)], bytes[i * 3 + size_t(c)]) << i;

    Canvas sky(200, 100);
    vertical_gradient(sky, {{0.0f, hex(0x03050c)}, {0.5f, hex(0x2b3a62)}, {1.0f, hex(0xff9a3c)}});
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            sky.at(x, y)[0] += float(x) / 2000.0f;
    palette = median_cut_palette({&sky}, 256);
    EXPECT_LE(palette.size(), 256u * 3u);
    indices = map_to_palette(sky, palette, 0.0f);
    bytes = to_bytes(sky);
    int worst = 0;
    for (size_t i = 0; i < indices.size(); ++i)
        for (int c = 0; c < 3; ++c)
            worst = std::max(worst, std::abs(int(palette[indices[i] * 3 + size_t(c)]) - int(bytes[i * 3 + size_t(c)])));
    EXPECT_LE(worst, 6);
}

// ------------------------------------------------- the generated files ----

struct Decoded {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> rgba;
    uint8_t at(int x, int y, int c = 1) const { return rgba[(size_t(y) * size_t(width) + size_t(x)) * 4 + size_t(c)]; }
};

class InterfacePictures : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_files = new GeneratedFiles;
        generate_interface_pictures(*s_files);
    }

    static const std::vector<uint8_t>& bytes(const std::string& name)
    {
        for (const GeneratedFile& f : *s_files)
            if (f.name == name)
                return f.bytes;
        static const std::vector<uint8_t> none;
        ADD_FAILURE() << name << " was not generated";
        return none;
    }

    static Decoded decode(const std::string& name)
    {
        const std::vector<uint8_t>& b = bytes(name);
        Decoded d;
        const uint8_t* pixels = DecodeImage(b.data(), uint32_t(b.size()), &d.width, &d.height);
        if (pixels)
            d.rgba.assign(pixels, pixels + size_t(d.width) * size_t(d.height) * 4);
        else
            ADD_FAILURE() << name << " does not decode";
        return d;
    }

    static std::string frame_name(int k)
    {
        char name[64];
        std::snprintf(name, sizeof name, content::WINDOW_FRAME_FORMAT, k);
        return name;
    }

    static GeneratedFiles* s_files;
};

GeneratedFiles* InterfacePictures::s_files = nullptr;

// JPEG frame kind from the first start-of-frame marker: 0xC0 baseline,
// 0xC2 progressive; `components` 1 for grey, 3 for colour.
bool jpeg_frame(const std::vector<uint8_t>& b, int& marker, int& components)
{
    for (size_t i = 2; i + 9 < b.size();) {
        if (b[i] != 0xFF)
            return false;
        int m = b[i + 1];
        if (m >= 0xC0 && m <= 0xC2) {
            marker = m;
            components = b[i + 9];
            return true;
        }
        i += 2 + (size_t(b[i + 2]) << 8 | b[i + 3]);
    }
    return false;
}

// Every file of the table, at its size and kind, as the demo decodes it.
TEST_F(InterfacePictures, EveryFileHasItsSizeAndKind)
{
    struct Expected {
        std::string name;
        int width, height;
        int jpeg_components; // 0: a GIF89a
    };
    std::vector<Expected> expected = {{content::LOADING, 800, 600, 3},  {content::FACE_MASK, 512, 512, 1},
                                      {content::LOGO, 800, 300, 3},     {content::LOGO_ALPHA, 800, 300, 0},
                                      {content::DOT, 64, 64, 1},        {content::ICON, 32, 32, 0},
                                      {content::CURSOR, 32, 32, 0},     {content::CURSOR_MASK, 32, 32, 0}};
    for (int k = 0; k < content::WINDOW_FRAMES; ++k)
        expected.push_back({frame_name(k), 512, 320, 0});
    for (int i = 0; i < content::SMOKE_PUFFS; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, content::SMOKE_PUFF_FORMAT, i);
        expected.push_back({name, 256, 256, 0});
    }
    EXPECT_EQ(s_files->size(), expected.size());
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name);
        const std::vector<uint8_t>& b = bytes(e.name);
        ASSERT_GT(b.size(), 6u);
        if (e.jpeg_components) {
            int marker = 0, components = 0;
            ASSERT_TRUE(jpeg_frame(b, marker, components));
            EXPECT_EQ(marker, 0xC0); // baseline
            EXPECT_EQ(components, e.jpeg_components);
        } else {
            EXPECT_EQ(std::memcmp(b.data(), "GIF89a", 6), 0);
        }
        Decoded d = decode(e.name);
        EXPECT_EQ(d.width, e.width);
        EXPECT_EQ(d.height, e.height);
    }
    // The icon's palette holds 16 colours (the global table's size field).
    const std::vector<uint8_t>& icon = bytes(content::ICON);
    ASSERT_GT(icon.size(), 10u);
    EXPECT_EQ(1 << ((icon[10] & 7) + 1), 16);
}

// The loop is cross-faded at 8 frames a second and wraps from frame 11 to
// frame 0: that step must look like any other, and the frames must move.
// A moving part that is not periodic in the frame number (rain falling a
// distance that is not a whole wrap, a flicker from a free random sequence)
// makes the wrap the largest jump of the loop.
TEST_F(InterfacePictures, WindowLoopIsSeamless)
{
    std::vector<Decoded> frames;
    for (int k = 0; k < content::WINDOW_FRAMES; ++k)
        frames.push_back(decode(frame_name(k)));
    auto difference = [&](const Decoded& a, const Decoded& b) {
        double sum = 0.0;
        for (size_t i = 0; i < a.rgba.size(); ++i)
            sum += std::abs(int(a.rgba[i]) - int(b.rgba[i]));
        return sum / double(a.rgba.size());
    };
    double largest = 0.0, smallest = 1e9;
    for (int k = 0; k + 1 < content::WINDOW_FRAMES; ++k) {
        double d = difference(frames[size_t(k)], frames[size_t(k) + 1]);
        largest = std::max(largest, d);
        smallest = std::min(smallest, d);
    }
    double wrap = difference(frames.back(), frames.front());
    EXPECT_GT(smallest, 0.3) << "the loop hardly moves";
    EXPECT_LE(wrap, largest * 1.25) << "frame 11 does not lead into frame 0";
    EXPECT_GE(wrap, smallest * 0.9) << "frame 11 repeats frame 0";
}

// Pictures used as alpha: the dot and the puffs fall to black at their
// borders (else their squares show round every ghost and fog puff); the
// face mask is opaque along its top, left and right edges, where the
// overlay's frame of the same black joins it, and clear on the figure.
TEST_F(InterfacePictures, AlphaPicturesMeetTheirEdges)
{
    auto border_max = [](const Decoded& d) {
        int m = 0;
        for (int i = 0; i < d.width; ++i)
            m = std::max({m, int(d.at(i, 0)), int(d.at(i, d.height - 1)), int(d.at(0, i)), int(d.at(d.width - 1, i))});
        return m;
    };
    Decoded dot = decode(content::DOT);
    EXPECT_LE(border_max(dot), 3);
    EXPECT_GE(dot.at(32, 32), 250);
    for (int i = 0; i < content::SMOKE_PUFFS; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, content::SMOKE_PUFF_FORMAT, i);
        Decoded puff = decode(name);
        EXPECT_EQ(border_max(puff), 0) << name;
        EXPECT_GE(*std::max_element(puff.rgba.begin(), puff.rgba.end()), 180) << name;
    }
    Decoded face = decode(content::FACE_MASK);
    for (int i = 0; i < 512; ++i) {
        EXPECT_GE(face.at(i, 0), 245) << "top, x " << i;
        EXPECT_GE(face.at(0, i), 245) << "left, y " << i;
        EXPECT_GE(face.at(511, i), 245) << "right, y " << i;
    }
    EXPECT_LE(face.at(256, 172), 8); // the figure's head
    EXPECT_LE(face.at(256, 480), 8); // its shoulders
}

// The loading band halves rows 260-340: they must be lit enough for that to
// show, and calm (the title stays above them).
TEST_F(InterfacePictures, LoadingBandIsReadable)
{
    Decoded loading = decode(content::LOADING);
    double sum = 0.0, sum2 = 0.0;
    int n = 0;
    for (int y = 260; y < 340; ++y)
        for (int x = 0; x < 800; ++x) {
            double luma = 0.3 * loading.at(x, y, 0) + 0.59 * loading.at(x, y, 1) + 0.11 * loading.at(x, y, 2);
            sum += luma;
            sum2 += luma * luma;
            ++n;
        }
    double mean = sum / n, deviation = std::sqrt(sum2 / n - mean * mean);
    EXPECT_GE(mean, 40.0);
    EXPECT_LE(mean, 170.0);
    EXPECT_LE(deviation, 30.0);
}

// The logo: the title spans most of the width, nothing is cut at the edges.
TEST_F(InterfacePictures, LogoFitsItsPicture)
{
    Decoded alpha = decode(content::LOGO_ALPHA);
    int left = 800, right = -1;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 800; ++x) {
            bool edge = x < 2 || y < 2 || x >= 798 || y >= 298;
            if (edge) {
                ASSERT_LE(alpha.at(x, y), 4) << x << "," << y;
            }
            if (alpha.at(x, y) > 200) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    EXPECT_GE(right - left, 600);
}

// The cursor's tip is its top-left pixel, shown by the mask, and every white
// pixel of the cursor lies inside the mask.
TEST_F(InterfacePictures, CursorTipAndMask)
{
    Decoded cursor = decode(content::CURSOR), mask = decode(content::CURSOR_MASK);
    EXPECT_EQ(mask.at(0, 0), 255);
    int shown = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            ASSERT_TRUE(mask.at(x, y) == 0 || mask.at(x, y) == 255);
            if (cursor.at(x, y) > 0) {
                ASSERT_EQ(mask.at(x, y), 255) << x << "," << y;
            }
            shown += mask.at(x, y) == 255;
        }
    EXPECT_GT(shown, 60);
    EXPECT_LT(shown, 200);
}

// ------------------------------------------------------ contact sheet ----

struct Png {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* at(int x, int y) const { return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
};

Png read_png(const std::string& path)
{
    Png png;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return png;
    image.format = PNG_FORMAT_RGB;
    png.rgb.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, png.rgb.data(), 0, nullptr)) {
        png.width = int(image.width);
        png.height = int(image.height);
    }
    return png;
}

class ContactSheet : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("vigil_contact_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder / "pictures");
    }
    void TearDown() override { fs::remove_all(folder); }

    void put(const std::string& name, const std::vector<uint8_t>& b)
    {
        ASSERT_TRUE(write_file((folder / "pictures" / name).string(), b));
    }

    fs::path folder;
};

// w x h pixels of one value (3 or 4 bytes).
std::vector<uint8_t> solid(int w, int h, std::initializer_list<uint8_t> value)
{
    std::vector<uint8_t> px;
    for (int i = 0; i < w * h; ++i)
        px.insert(px.end(), value);
    return px;
}

// Each picture of the folder lands in its own tile, in name order, decoded
// the way the demo decodes it: JPEG, GIF, TGA and the TGA inside a pack;
// a file that does not decode gets a crossed-out tile, other files none.
TEST_F(ContactSheet, ShowsEveryPictureInNameOrder)
{
    std::vector<uint8_t> jpeg, gif;
    std::vector<uint8_t> red = solid(64, 40, {230, 20, 20});
    ASSERT_TRUE(encode_jpeg(jpeg, red.data(), 64, 40, 3, 95, false));
    put("a_red.jpg", jpeg);
    GifPicture picture;
    picture.screenWidth = picture.width = 30;
    picture.screenHeight = picture.height = 30;
    picture.indices.assign(900, 1);
    picture.palette = {0, 0, 0, 128, 128, 128};
    ASSERT_TRUE(encode_gif(gif, picture));
    put("b_grey.gif", gif);
    TgaWriteOptions options;
    options.width = 300;
    options.height = 200;
    options.bpp = 24;
    std::vector<uint8_t> green = solid(300, 200, {20, 220, 30});
    put("c_green.tga", write_tga(options, green.data()));
    put("d_broken.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 1, 2, 3});
    options.width = 16;
    options.height = 16;
    options.bpp = 32;
    options.rle = true;
    std::vector<uint8_t> blue = solid(16, 16, {10, 20, 240, 255});
    std::vector<uint8_t> pack;
    ASSERT_TRUE(write_pack({{"model.bin", {1, 2, 3}}, {"..\\..\\3d\\blue.tga", write_tga(options, blue.data())}}, &pack));
    put("e_model.pkcp", pack);
    put("notes.txt", {'h', 'i'});

    const std::string out = (folder / "sheet.png").string();
    std::string error;
    ASSERT_TRUE(write_contact_sheet((folder / "pictures").string(), out, error)) << error;
    Png sheet = read_png(out);
    // One row of six columns holds the five pictures.
    ASSERT_EQ(sheet.width, 16 + 6 * 240);
    ASSERT_EQ(sheet.height, 36 + 178 + 16);
    auto centre = [&](int tile) { return sheet.at(16 + tile * 240 + 112, 36 + 70); };
    EXPECT_GT(centre(0)[0], 200);
    EXPECT_LT(centre(0)[1], 60);
    EXPECT_NEAR(centre(1)[0], 128, 2);
    EXPECT_NEAR(centre(1)[2], 128, 2);
    EXPECT_GT(centre(2)[1], 200);
    EXPECT_LT(centre(2)[0], 40);
    EXPECT_GT(centre(3)[0], 150); // the red cross of the broken file
    EXPECT_LT(centre(3)[2], 60);
    EXPECT_GT(centre(4)[2], 220);
    EXPECT_LT(centre(4)[0], 30);
    // The sixth cell stays empty: the sheet's dark background.
    EXPECT_NEAR(centre(5)[0], 31, 2);
    EXPECT_NEAR(centre(5)[2], 36, 2);
}

TEST_F(ContactSheet, RefusesAFolderWithoutPictures)
{
    put("notes.txt", {'h', 'i'});
    std::string error;
    EXPECT_FALSE(write_contact_sheet((folder / "pictures").string(), (folder / "sheet.png").string(), error));
    EXPECT_NE(error.find("no pictures"), std::string::npos);
    EXPECT_FALSE(write_contact_sheet((folder / "absent").string(), (folder / "sheet.png").string(), error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fs::exists(folder / "sheet.png"));
}

} // namespace
