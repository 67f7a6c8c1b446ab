// Resource pack look-ups and bounds; model loading without GL (records as stored, refusals). Damaged packs and
// models at large are the fuzz targets' (fuzz/fuzz_pack.cpp, fuzz/fuzz_model.cpp).
#include "assets/model.h"
#include "assets/pack.h"
#include "tests/test_support.h"
#include "tools/common/asset_writers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> bytes(const std::string& text) { return {text.begin(), text.end()}; }

// Directory at 8, four entries of 136 bytes; the files follow from 552.
const std::vector<uint8_t>& test_pack()
{
    static const std::vector<uint8_t> s_pack = [] {
        std::vector<uint8_t> pack;
        EXPECT_TRUE(write_pack({{"mess.ms3d", bytes("model bytes")},
                                {"..\\..\\..\\3d\\particles.tga", bytes("texture")},
                                {"textures/dup.txt", bytes("first")},
                                {"dup.txt", bytes("second")}},
                               &pack));
        return pack;
    }();
    return s_pack;
}
constexpr uint32_t FILES_START = 8 + 4 * 136;

// Sets field 0 (offset) or 4 (size) of directory entry `index`.
void set_entry(std::vector<uint8_t>& pack, uint32_t index, uint32_t field, uint32_t value)
{
    for (uint32_t i = 0; i < 4; ++i)
        pack[8 + 136 * index + field + i] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace

// Base names (a separator in the first position belongs to the name); look-ups in any case behind any
// directory find the first of duplicates.
TEST(ResourcePack, FindsTheFirstEntryOfABaseNameInAnyCaseBehindAnyDirectory)
{
    const char* path = "..\\..\\..\\3d\\particles.tga";
    EXPECT_EQ(GetBaseName(path), path + 12);
    for (auto [name, base] : {std::pair{"a/b\\c/name.txt", "name.txt"}, {"name.txt", "name.txt"},
                              {"\\name.txt", "\\name.txt"}, {"/", "/"}, {"x", "x"}, {"dir/", ""}, {"", ""}})
        EXPECT_STREQ(GetBaseName(name), base) << name;

    std::vector<uint8_t> data = test_pack();
    const uint8_t* texture = data.data() + FILES_START + 11;
    for (uint32_t length : {LENGTH_UNKNOWN, static_cast<uint32_t>(data.size())}) {
        ResourcePack* pack = ResourcePack_Open(data.data(), length);
        ASSERT_NE(pack, nullptr);
        EXPECT_EQ(ResourcePack_GetData(pack, "mess.ms3d"), data.data() + FILES_START);
        EXPECT_EQ(ResourcePack_GetSize(pack, "MESS.MS3D"), 11u);
        for (const char* name : {"PaRtIcLeS.tGa", path, "c:/some/where/Particles.tga", "other\\dir/particles.TGA"})
            EXPECT_TRUE(ResourcePack_GetData(pack, name) == texture && ResourcePack_GetSize(pack, name) == 7u &&
                        reinterpret_cast<const uint8_t*>(ResourcePack_FindEntry(pack, name)) == data.data() + 8 + 136)
                << name;
        EXPECT_EQ(ResourcePack_GetData(pack, "x/DUP.txt"), texture + 7);
        for (const char* name : {"\\particles.tga", "nothing.tga", "particles", "particles.tga.bak"})
            EXPECT_TRUE(!ResourcePack_GetData(pack, name) && !ResourcePack_GetSize(pack, name)) << name;
    }
    data[3] = 'Q';
    EXPECT_TRUE(!ResourcePack_Open(data.data()) && !ResourcePack_Open("PKC", 3));
    ResourcePack withoutMagic{data.data(), LENGTH_UNKNOWN};
    EXPECT_EQ(ResourcePack_GetData(&withoutMagic, "mess.ms3d"), nullptr);
}

// Sizes past a known length are cut (the original packs' 0xCCCCCCCC), entries and directories outside it find
// nothing, an unusable entry is passed over for a later one of the same name.
TEST(ResourcePack, SizesPastAKnownLengthAreCutAndOffsetsPastItAreNotReturned)
{
    const std::vector<uint8_t>& good = test_pack();
    const uint32_t length = static_cast<uint32_t>(good.size()), left = length - FILES_START;
    for (uint32_t size : {0xCCCCCCCCu, left + 1}) {
        std::vector<uint8_t> data = good;
        set_entry(data, 0, 4, size);
        ResourcePack bounded{data.data(), length}, trusted{data.data(), LENGTH_UNKNOWN};
        PackEntry listed;
        uint32_t stored = 0;
        EXPECT_EQ(ResourcePack_GetData(&bounded, "mess.ms3d"), data.data() + FILES_START) << size;
        EXPECT_TRUE(ResourcePack_GetSize(&bounded, "mess.ms3d") == left &&
                    ResourcePack_FindEntry(&bounded, "MESS.ms3d")->size == left) << size;
        EXPECT_TRUE(ResourcePack_EntryAt(&bounded, 0, &listed, &stored) && listed.size == left && stored == size);
        EXPECT_EQ(ResourcePack_GetSize(&trusted, "mess.ms3d"), size) << "without a length, as stored";
    }
    for (uint32_t offset : {length + 1, 0xFFFFFFF8u}) {
        std::vector<uint8_t> data = good;
        set_entry(data, 0, 0, offset);
        ResourcePack bounded{data.data(), length}, trusted{data.data(), LENGTH_UNKNOWN};
        EXPECT_TRUE(!ResourcePack_FindEntry(&bounded, "mess.ms3d") && !ResourcePack_GetSize(&bounded, "mess.ms3d"));
        PackEntry listed;
        EXPECT_TRUE(!ResourcePack_EntryAt(&bounded, 0, &listed) && std::strcmp(listed.name, "mess.ms3d") == 0)
            << "listing still shows the entry";
        EXPECT_NE(ResourcePack_GetData(&trusted, "mess.ms3d"), nullptr) << offset;
    }
    std::vector<uint8_t> data = good;
    set_entry(data, 0, 0, length); // at the very end: empty
    set_entry(data, 0, 4, 0xCCCCCCCCu);
    set_entry(data, 2, 0, length + 1);
    ResourcePack bounded{data.data(), length};
    EXPECT_TRUE(ResourcePack_GetData(&bounded, "mess.ms3d") == data.data() + length &&
                ResourcePack_GetSize(&bounded, "mess.ms3d") == 0u);
    EXPECT_EQ(ResourcePack_GetSize(&bounded, "dup.txt"), 6u);

    data = good;
    data[4] = 5; // a directory running past the pack
    bounded = {data.data(), length};
    EXPECT_TRUE(!ResourcePack_GetData(&bounded, "mess.ms3d") && ResourcePack_EntryCount(&bounded) == 0u);
    ResourcePack whole{good.data(), length}, cut{good.data(), FILES_START - 1};
    PackEntry entry;
    EXPECT_TRUE(ResourcePack_EntryCount(&whole) == 4u && !ResourcePack_EntryAt(&whole, 4, &entry));
    EXPECT_EQ(ResourcePack_GetData(&cut, "mess.ms3d"), nullptr);
}

// A 128-byte name without terminator in a misaligned, exactly sized block: no read past it, no misaligned entry.
TEST(ResourcePack, NamesFilling128BytesAndMisalignedPacksAreReadSafely)
{
    const std::string longName = std::string(124, 'n') + ".bin";
    std::vector<uint8_t> data;
    ASSERT_TRUE(write_pack({{longName, bytes("long")}, {"after.bin", bytes("x")}}, &data));
    uint8_t* block = static_cast<uint8_t*>(std::malloc(data.size() + 1));
    std::memcpy(block + 1, data.data(), data.size());
    ResourcePack* pack = ResourcePack_Open(block + 1, static_cast<uint32_t>(data.size()));
    ASSERT_NE(pack, nullptr);
    EXPECT_EQ(ResourcePack_GetSize(pack, ("dir\\" + longName).c_str()), 4u);
    const PackEntry* entry = ResourcePack_FindEntry(pack, "after.bin");
    ASSERT_TRUE(entry && reinterpret_cast<uintptr_t>(entry) % alignof(PackEntry) == 0);
    EXPECT_TRUE(entry->offset == 8u + 2 * 136 + 4 && entry->size == 1u && std::strcmp(entry->name, "after.bin") == 0);
    std::free(block);
}

namespace {

// Four vertices, two triangles, a group listing them in reverse with material 0, one without, one material.
Ms3dModelRecords small_model()
{
    Ms3dModelRecords m;
    for (int i = 0; i < 4; ++i)
        m.vertices.push_back({static_cast<uint8_t>(i), {float(i & 1), float(i >> 1), i * 0.25f}, -1, 2});
    Ms3dTriangleRecord t0;
    t0.vertexIndices[1] = 1;
    t0.vertexIndices[2] = 2;
    t0.s[1] = 1;
    Ms3dTriangleRecord t1 = t0;
    t1.vertexIndices[0] = 3;
    t1.normals[1][0] = -0.75f;
    t1.t[2] = 0.25f;
    m.triangles = {t0, t1};
    m.groups = {{1, "first", {1, 0}, 0}, {0, "second", {1}, -1}};
    Ms3dMaterialRecord material;
    material.name = "skin";
    material.texture = "none"; // found, but without extension: no texture, no message
    m.materials = {material};
    return m;
}

// Loads `file` as "dir\model.ms3d" from a pack of known length that also holds `more` and a file "none".
bool load(Model& model, const std::vector<uint8_t>& file, std::vector<PackFile> more = {})
{
    more.insert(more.end(), {{"dir\\model.ms3d", file}, {"none", {0}}});
    static std::vector<std::vector<uint8_t>> s_packs; // the model points into its pack
    s_packs.emplace_back();
    EXPECT_TRUE(write_pack(more, &s_packs.back()));
    return model.Load(s_packs.back().data(), "MODEL.ms3d", static_cast<uint32_t>(s_packs.back().size()));
}

bool one_loader_message(const std::vector<std::string>& lines)
{
    return lines.size() == 1u && lines[0].rfind("Model::LoadFromMemory: ", 0) == 0;
}

} // namespace

// Records byte for byte as stored, trailing data unread; a pack of unknown length loads the same.
TEST(Model, KeepsEveryRecordAsStored)
{
    std::vector<uint8_t> file = write_ms3d(small_model());
    const size_t triangles = 14 + 2 + 4 * 15 + 2;
    file.insert(file.end(), {1, 2, 3, 4, 5}); // joints and the like
    LogCapture log;
    Model model;
    ASSERT_TRUE(load(model, file));
    EXPECT_TRUE(log.lines.empty());
    ASSERT_TRUE(model.vertexCount == 4u && model.triangleCount == 2u && model.groupCount == 2 &&
                model.materialCount == 1);
    EXPECT_EQ(std::memcmp(model.vertices, file.data() + 16, 4 * 15), 0);
    EXPECT_EQ(std::memcmp(model.triangles, file.data() + triangles, 2 * 70), 0);
    EXPECT_EQ(std::memcmp(model.materials, file.data() + file.size() - 5 - 361, 361), 0);
    const MS3DGroup& first = model.groups[0];
    EXPECT_TRUE(first.flags == 1 && std::strcmp(first.name, "first") == 0 && first.triangleCount == 2 &&
                first.triangleIndices[0] == 1 && first.triangleIndices[1] == 0 && first.materialIndex == 0);
    EXPECT_TRUE(model.groups[1].materialIndex == -1 && model.materials[0].textureHandle == nullptr);

    Model trusted;
    EXPECT_TRUE(trusted.Load(model.pack->data, "model.ms3d") && trusted.groupCount == 2);
}

TEST(Model, RefusesBadFilesAndKeepsNothingOfThem)
{
    struct Case {
        const char* what;
        void (*spoil)(Ms3dModelRecords&);
        const char* message; // null: any "Model::LoadFromMemory: " line
    } const cases[] = {
        {"id", [](Ms3dModelRecords& m) { m.id[9] = '1'; }, "Model::LoadFromMemory: Bad id in model!\n"},
        {"version", [](Ms3dModelRecords& m) { m.version = 3; }, "Model::LoadFromMemory: Bad version in model!\n"},
        {"vertex index = count", [](Ms3dModelRecords& m) { m.triangles[1].vertexIndices[2] = 4; }, nullptr},
        {"triangle index = count", [](Ms3dModelRecords& m) { m.groups[1].triangleIndices = {0, 2}; }, nullptr},
        {"material index = count", [](Ms3dModelRecords& m) { m.groups[1].materialIndex = 1; }, nullptr},
        {"material index -2", [](Ms3dModelRecords& m) { m.groups[0].materialIndex = -2; }, nullptr},
        {"no materials", [](Ms3dModelRecords& m) { m.materials.clear(); }, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Ms3dModelRecords records = small_model();
        c.spoil(records);
        LogCapture log;
        Model model;
        EXPECT_FALSE(load(model, write_ms3d(records)));
        ASSERT_TRUE(one_loader_message(log.lines) && (!c.message || log.lines[0] == c.message))
            << testing::PrintToString(log.lines);
        EXPECT_TRUE(model.pack && !model.vertices && !model.triangles && !model.groups && !model.materials);
    }

    // Every shorter length; a name not in the pack reads as a bad id.
    const std::vector<uint8_t> file = write_ms3d(small_model());
    for (size_t length = 0; length < file.size(); ++length) {
        LogCapture log;
        Model model;
        EXPECT_FALSE(load(model, std::vector<uint8_t>(file.begin(), file.begin() + length))) << length;
        ASSERT_TRUE(one_loader_message(log.lines)) << length;
    }
    LogCapture log;
    Model model;
    ASSERT_TRUE(load(model, file));
    EXPECT_FALSE(model.LoadFromMemory(model.pack, "other.ms3d"));
    EXPECT_EQ(log.lines, std::vector<std::string>{"Model::LoadFromMemory: Bad id in model!\n"});

    // A pack without its magic: false, no pack, no message.
    std::vector<uint8_t> notAPack(64, 0);
    Model unpacked;
    EXPECT_TRUE(!unpacked.Load(notAPack.data(), "model.ms3d") && !unpacked.pack && log.lines.size() == 1u);
}
