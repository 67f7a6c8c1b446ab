// The shipped pictures and model under assets/data/ as the demo's decoders
// read them (the model on the headless GL platform, which uploads its
// texture): sizes and kinds, the alpha ranges the effects rely on, the
// model's counts; and the contact sheet. That the files are what the
// generator makes is the assetgen_regeneration test's job.
#include "assets/content_names.h"
#include "assets/image.h"
#include "assets/model.h"
#include "assets/pack.h"
#include "assets/tga.h"
#include "tests/gl/gl_fixture.h"
#include "tests/test_support.h"
#include "tools/assetgen/contact_sheet.h"
#include "tools/common/asset_writers.h"
#include "tools/common/picture_writer.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <numeric>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes committed(const std::string& name)
{
    std::ifstream in(std::string(VIGIL_SOURCE_DIR) + "/assets/data/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string numbered(const char* format, int i)
{
    char name[64];
    std::snprintf(name, sizeof name, format, i);
    return name;
}

// A picture as the demo decodes it: 4 bytes a pixel (colour), 1 (alpha), or
// the TGA's own depth; top row first.
struct Picture {
    int32_t width = 0, height = 0, channels = 0;
    Bytes px;
    int at(int x, int y, int c = 0) const
    {
        return px[(size_t(y) * size_t(width) + size_t(x)) * size_t(channels) + size_t(c)];
    }
    int border_max() const
    {
        int m = 0;
        for (int x = 0; x < width; ++x)
            m = std::max({m, at(x, 0, channels - 1), at(x, height - 1, channels - 1)});
        for (int y = 0; y < height; ++y)
            m = std::max({m, at(0, y, channels - 1), at(width - 1, y, channels - 1)});
        return m;
    }
    double mean() const { return std::accumulate(px.begin(), px.end(), 0.0) / double(px.size()); }
};

Picture decode(const Bytes& file, int channels)
{
    Picture p;
    uint8_t* data = nullptr;
    int32_t bpp = 0;
    if (channels == 0) { // TGA
        data = LoadTGA(file.data(), &p.width, &p.height, &bpp, uint32_t(file.size()));
        channels = bpp / 8;
    } else {
        data =
            (channels == 1 ? DecodeAlphaImage : DecodeImage)(file.data(), uint32_t(file.size()), &p.width, &p.height);
    }
    if (!data) {
        ADD_FAILURE() << "does not decode";
        return p;
    }
    p.channels = channels;
    p.px.assign(data, data + size_t(p.width) * size_t(p.height) * size_t(channels));
    delete[] data;
    return p;
}

Picture alpha(const std::string& name) { return decode(committed(name), 1); }

// Whether a file is of a kind: "baseline", "progressive" or "grey" JPEG (by
// its start-of-frame marker and components), "gif" (GIF89a), "tga2-32"
// (uncompressed, 8 alpha bits) or "tga10-24" (run-length encoded, no alpha,
// bottom row first).
bool has_kind(const Bytes& f, const std::string& kind)
{
    if (kind == "gif")
        return f.size() > 6 && std::memcmp(f.data(), "GIF89a", 6) == 0;
    if (kind.starts_with("tga"))
        return f.size() > 18 && f[2] == (kind == "tga2-32" ? 2 : 10) &&
               (kind == "tga2-32" ? (f[17] & 0x0F) == 8 : f[17] == 0);
    for (size_t i = 2; i + 9 < f.size() && f[i] == 0xFF; i += 2 + size_t(f[i + 2] << 8 | f[i + 3]))
        if (f[i + 1] >= 0xC0 && f[i + 1] <= 0xC2)
            return f[i + 1] == (kind == "progressive" ? 0xC2 : 0xC0) && f[i + 9] == (kind == "grey" ? 1 : 3);
    return false;
}

} // namespace

// Each loader expects one size and kind (the tiled layouts, the alpha
// loaders, the progressive decoder path); a file of another kind would load
// differently or not at all.
TEST(ShippedPictures, DecodeAtTheSizeAndKindTheirLoadersExpect)
{
    std::istringstream table(
        "loading.jpg baseline 800 600   face_mask.jpg grey 512 512   logo.jpg baseline 800 300 "
        "logo_alpha.gif gif 800 300   dot.jpg grey 64 64   icon.gif gif 32 32   cursor.gif gif 32 32 "
        "cursor_mask.gif gif 32 32   lamps_scene.jpg baseline 1024 640   lamps_mask.gif gif 1024 640 "
        "lamps_transition_map.jpg grey 1024 640   archstairs_scene.jpg baseline 1024 640 "
        "archstairs_mask.gif gif 1024 640   tree.jpg baseline 1024 1162   tree_silhouette.gif gif 1024 1162 "
        "tree_flash_1.jpg grey 800 640   tree_flash_2.jpg grey 800 640   tree_cover.gif gif 1024 640 "
        "fedsquare.jpg progressive 1024 640   city_background.jpg progressive 1024 640 "
        "city_lit.jpg progressive 1024 640   city_lit_mask.gif gif 1024 640   city_top.gif gif 1024 640 "
        "wipe_mask.tga tga2-32 512 512   model_background.tga tga10-24 512 512");
    struct Expected {
        std::string name, kind;
        int width, height;
    };
    std::vector<Expected> files;
    for (Expected e; table >> e.name >> e.kind >> e.width >> e.height;)
        files.push_back(e);
    ASSERT_EQ(files.size(), 25u);
    for (int k = 0; k < content::WINDOW_FRAMES; ++k)
        files.push_back({numbered(content::WINDOW_FRAME_FORMAT, k), "gif", 512, 320});
    for (int i = 0; i < content::SMOKE_PUFFS; ++i)
        files.push_back({numbered(content::SMOKE_PUFF_FORMAT, i), "gif", 256, 256});
    for (const Expected& e : files) {
        SCOPED_TRACE(e.name);
        const Bytes file = committed(e.name);
        EXPECT_TRUE(has_kind(file, e.kind));
        const Picture p = decode(file, e.kind.starts_with("tga") ? 0 : 4);
        EXPECT_EQ(std::pair(p.width, p.height), std::pair(e.width, e.height));
    }
}

// Pictures used as alpha: sprites that do not fall to black at their borders
// show as squares round every ghost and puff; flashes and the moon are small
// bright shapes, the cover a veil.
TEST(ShippedPictures, AlphaPicturesHaveTheEdgesAndLevelsTheEffectsNeed)
{
    struct Range {
        std::string name;
        int borderMax, peakMin;
        double meanMin, meanMax;
    };
    std::vector<Range> ranges = {
        {content::DOT, 3, 250, 0, 255},           {content::LOGO_ALPHA, 4, 250, 0, 255},
        {content::TREE_FLASH_1, 255, 245, 0, 40}, {content::TREE_FLASH_2, 255, 245, 0, 40},
        {content::TREE_COVER, 255, 0, 150, 255},  {content::CITY_TOP, 255, 240, 0, 40},
    };
    for (int i = 0; i < content::SMOKE_PUFFS; ++i)
        ranges.push_back({numbered(content::SMOKE_PUFF_FORMAT, i), 0, 64, 0, 255});
    for (const Range& r : ranges) {
        SCOPED_TRACE(r.name);
        const Picture p = alpha(r.name);
        ASSERT_FALSE(p.px.empty());
        EXPECT_LE(p.border_max(), r.borderMax);
        EXPECT_GE(int(*std::max_element(p.px.begin(), p.px.end())), r.peakMin);
        EXPECT_TRUE(p.mean() >= r.meanMin && p.mean() <= r.meanMax) << p.mean();
    }

    // The face overlay's frame joins the mask's top, left and right edges;
    // the figure (head, shoulders) shows through.
    const Picture face = alpha(content::FACE_MASK);
    ASSERT_EQ(face.width, 512);
    for (int i = 0; i < 512; ++i)
        ASSERT_GE(std::min({face.at(i, 0), face.at(0, i), face.at(511, i)}), 245) << i;
    EXPECT_LE(std::max(face.at(256, 172), face.at(256, 480)), 8);

    // The lamps effect draws its red lights before the foreground: the
    // cut-out must leave them uncovered.
    const Picture lampsMask = alpha(content::LAMPS_MASK);
    ASSERT_EQ(lampsMask.width, 1024);
    for (auto [lx, ly] :
         {std::pair{189, 535}, {197, 528}, {30, 531}, {36, 531}, {47, 458}, {61, 459}, {56, 507}, {64, 504}})
        for (int y = ly - 5; y <= ly + 5; ++y)
            for (int x = lx - 5; x <= lx + 5; ++x)
                ASSERT_LE(lampsMask.at(x, y), 8) << "light at " << lx << "," << ly;
}

// The transitions step through alpha levels: each level must hold a small
// share of the picture (else a large area flips in one frame), and the
// levels reached must match the comparisons that use them.
TEST(ShippedPictures, TransitionMapsSpreadEvenlyOverTheirRange)
{
    // The lead-out blackens pixels below a rising threshold: it must reach
    // every tenth evenly and stay below 255, which a threshold of 1.0 never
    // passes.
    const Picture map = alpha(content::LAMPS_TRANSITION_MAP);
    std::array<size_t, 10> tenths{};
    for (uint8_t v : map.px)
        ++tenths[std::min(v * 10 / 255, 9)];
    EXPECT_LE(*std::min_element(map.px.begin(), map.px.end()), 4);
    EXPECT_GE(*std::max_element(map.px.begin(), map.px.end()), 235);
    EXPECT_LT(*std::max_element(map.px.begin(), map.px.end()), 255);
    for (size_t share : tenths) {
        EXPECT_GT(share, map.px.size() * 6 / 100);
        EXPECT_LT(share, map.px.size() * 14 / 100);
    }

    // The wipe runs from alpha 44 to 255, every level present; its 39 full
    // pixels stay black for the rest of the scene, so they sit together in
    // the corner where the wipe ends.
    const Picture wipe = decode(committed(content::WIPE_MASK), 0);
    ASSERT_EQ(wipe.channels, 4);
    std::array<int, 256> histogram{};
    int fullLeft = 512, fullTop = 512;
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            const int a = wipe.at(x, y, 3);
            ++histogram[size_t(a)];
            if (a == 255)
                fullLeft = std::min(fullLeft, x), fullTop = std::min(fullTop, y);
        }
    EXPECT_EQ(std::find_if(histogram.begin(), histogram.end(), [](int n) { return n > 0; }) - histogram.begin(), 44);
    EXPECT_EQ(histogram[255], 39);
    EXPECT_GE(std::min(fullLeft, fullTop), 512 - 16);
    for (int level = 44; level < 255; ++level)
        EXPECT_TRUE(histogram[size_t(level)] > 0 && histogram[size_t(level)] < 512 * 512 / 100) << "level " << level;
}

// The pack holds the model and its texture, found by the names the model
// gives; the texture's cells are transparent along their edges, so linear
// filtering at a quad's edge never pulls in the neighbouring cell.
TEST(ModelPack, HoldsTheModelAndItsTextureWithTrueSizes)
{
    const Bytes pack = committed(content::MODEL_PACK);
    ResourcePack* opened = ResourcePack_Open(pack.data(), uint32_t(pack.size()));
    ASSERT_NE(opened, nullptr);
    ASSERT_EQ(ResourcePack_EntryCount(opened), 2u);
    PackEntry model{}, texture{};
    ASSERT_TRUE(ResourcePack_EntryAt(opened, 0, &model) && ResourcePack_EntryAt(opened, 1, &texture));
    EXPECT_STREQ(model.name, "mess.ms3d");
    EXPECT_STREQ(texture.name, "..\\..\\..\\3d\\particles.tga");
    EXPECT_EQ(model.offset, 280u);
    EXPECT_EQ(model.offset + model.size, texture.offset);
    EXPECT_EQ(size_t(texture.offset) + texture.size, pack.size());

    const Picture particles = decode(Bytes(pack.begin() + texture.offset, pack.end()), 0);
    EXPECT_EQ(pack[texture.offset + 2], 10) << "run-length encoded";
    ASSERT_TRUE(particles.width == 256 && particles.height == 256 && particles.channels == 4);
    int edgeAlpha = 0, peakAlpha = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const bool edge = x % 128 == 0 || x % 128 == 127 || y % 128 == 0 || y % 128 == 127;
            (edge ? edgeAlpha : peakAlpha) = std::max(edge ? edgeAlpha : peakAlpha, particles.at(x, y, 3));
        }
    EXPECT_LE(edgeAlpha, 2);
    EXPECT_EQ(peakAlpha, 255);
}

// The model scene draws every group with the one material, turning the model
// about its centre 200 units away: counts, groups and bounds are what it was
// laid out for.
class MessModel : public GlTest {};

TEST_F(MessModel, LoadsWithTheStatedCountsGroupsMaterialAndBounds)
{
    const Bytes pack = committed(content::MODEL_PACK);
    Model model;
    LogCapture log;
    ASSERT_TRUE(model.Load(pack.data(), "mess.ms3d", uint32_t(pack.size())));
    EXPECT_TRUE(log.lines.empty()) << log.lines.front();
    EXPECT_EQ(model.vertexCount, 1064u);
    EXPECT_EQ(model.triangleCount, 532u);
    ASSERT_EQ(model.groupCount, 44);
    ASSERT_EQ(model.materialCount, 1);
    // Packed members are copied out: gtest binds references, which a packed
    // member may not be aligned for.
    const float transparency = model.materials[0].transparency;
    const TiledTexture* texture = model.materials[0].textureHandle;
    EXPECT_FLOAT_EQ(transparency, 0.65f);
    EXPECT_NE(texture, nullptr) << "the texture is found in the pack and decodes";

    // 38 groups of two triangles and 6 of 76, all with the material, and
    // every triangle drawn exactly once.
    std::map<int, int> groupsBySize;
    std::vector<int> listed(model.triangleCount, 0);
    for (int32_t g = 0; g < model.groupCount; ++g) {
        const int size = model.groups[g].triangleCount, material = model.groups[g].materialIndex;
        ++groupsBySize[size];
        EXPECT_EQ(material, 0) << "group " << g;
        for (int i = 0; i < size; ++i) {
            ASSERT_LT(model.groups[g].triangleIndices[i], model.triangleCount);
            ++listed[model.groups[g].triangleIndices[i]];
        }
    }
    EXPECT_EQ(groupsBySize, (std::map<int, int>{{2, 38}, {76, 6}}));
    EXPECT_EQ(std::count(listed.begin(), listed.end(), 1), 532);
}

// One tile per picture of the folder, in name order, decoded as the demo
// decodes it (here a JPEG and the TGA inside a pack); a file that does not
// decode gets a crossed-out tile, other files none.
TEST(ContactSheet, ShowsEveryPictureInNameOrder)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("vigil_contact_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder / "pictures");
    auto put = [&](const std::string& name, const Bytes& b) {
        ASSERT_TRUE(write_file((folder / "pictures" / name).string(), b));
    };
    Bytes jpeg, pack, red(16 * 16 * 3), blue(16 * 16 * 4);
    for (size_t i = 0; i < red.size(); ++i)
        red[i] = i % 3 ? 20 : 230;
    for (size_t i = 0; i < blue.size(); ++i)
        blue[i] = i % 4 == 3 ? 255 : i % 4 == 2 ? 240 : 10; // RGBA
    ASSERT_TRUE(encode_jpeg(jpeg, red.data(), 16, 16, 3, 95, false));
    put("a_red.jpg", jpeg);
    put("b_broken.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 1, 2, 3});
    const Bytes tga = write_tga(TgaWriteOptions{16, 16, 32, true, -1, "", false}, blue.data());
    ASSERT_TRUE(write_pack({{"model.bin", {1, 2, 3}}, {"..\\..\\3d\\blue.tga", tga}}, &pack));
    put("c_model.pkcp", pack);
    put("notes.txt", {'h', 'i'});
    std::string error;
    const std::string out = (folder / "sheet.png").string();
    ASSERT_TRUE(write_contact_sheet((folder / "pictures").string(), out, error)) << error;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, out.c_str()));
    image.format = PNG_FORMAT_RGB;
    Bytes sheet(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, sheet.data(), 0, nullptr));
    // One row of six columns holds the three pictures (the broken one
    // crossed out in red); the fourth cell keeps the page's dark background.
    ASSERT_EQ(image.width, 16u + 6 * 240);
    ASSERT_EQ(image.height, 36u + 178 + 16);
    auto centre = [&](int tile) { return &sheet[(size_t(36 + 70) * image.width + size_t(16 + tile * 240 + 112)) * 3]; };
    const int expected[4][2] = {{230, 20}, {200, 30}, {10, 240}, {31, 36}}; // red and blue tell them apart
    for (int tile = 0; tile < 4; ++tile) {
        EXPECT_NEAR(centre(tile)[0], expected[tile][0], tile == 1 ? 60 : 12) << "tile " << tile;
        EXPECT_NEAR(centre(tile)[2], expected[tile][1], tile == 1 ? 60 : 12) << "tile " << tile;
    }

    fs::remove_all(folder);
}
