// The shipped pictures and model as the demo's decoders read them (the model
// on the headless GL platform, which uploads its texture): sizes and kinds,
// the alpha ranges the effects rely on, the model's counts.
#include "assets/content_names.h"
#include "assets/image.h"
#include "assets/model.h"
#include "assets/pack.h"
#include "assets/tga.h"
#include "tests/gl/gl_fixture.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <numeric>
#include <sstream>
#include <string>
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
    int border_max() const // of the last channel
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
    Picture p{0, 0, channels, {}};
    int32_t bpp = 0;
    uint8_t* data = channels ? (channels == 1 ? DecodeAlphaImage : DecodeImage)(file.data(), uint32_t(file.size()),
                                                                                   &p.width, &p.height)
                             : LoadTGA(file.data(), &p.width, &p.height, &bpp, uint32_t(file.size())); // TGA
    if (!data) {
        ADD_FAILURE() << "does not decode";
        return p;
    }
    p.channels = channels ? channels : bpp / 8;
    p.px.assign(data, data + size_t(p.width) * size_t(p.height) * size_t(p.channels));
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
    const auto [darkest, lightest] = std::minmax_element(map.px.begin(), map.px.end());
    EXPECT_TRUE(*darkest <= 4 && *lightest >= 235 && *lightest < 255) << int(*darkest) << ".." << int(*lightest);
    for (size_t share : tenths)
        EXPECT_TRUE(share > map.px.size() * 6 / 100 && share < map.px.size() * 14 / 100) << share;

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

// The model scene draws every group with the one material: counts and groups
// are what it was laid out for. The texture, found in the pack by the name the
// model gives, is run-length encoded with cells transparent along their edges,
// so linear filtering at a quad's edge never pulls in the neighbouring cell.
class MessModel : public GlTest {};

TEST_F(MessModel, LoadsWithTheStatedCountsGroupsMaterialAndTexture)
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
    // Packed members copied out (gtest would bind unaligned references).
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

    const ResourcePack* opened = ResourcePack_Open(pack.data(), uint32_t(pack.size()));
    const char* textureName = "..\\..\\..\\3d\\particles.tga";
    const uint8_t* tga = opened ? ResourcePack_GetData(opened, textureName) : nullptr;
    ASSERT_NE(tga, nullptr);
    EXPECT_EQ(tga[2], 10) << "run-length encoded";
    const Picture particles = decode(Bytes(tga, tga + ResourcePack_GetSize(opened, textureName)), 0);
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
