// Model loading without GL: records as stored, refusals. Damaged models at large: fuzz/fuzz_model.cpp.
#include "assets/model.h"
#include "tests/test_support.h"
#include "tools/common/asset_writers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

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

// Exactly one message, from the loader.
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
    ASSERT_TRUE(trusted.Load(model.pack->data, "model.ms3d"));
    EXPECT_EQ(trusted.groupCount, 2);
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
        ASSERT_TRUE(one_loader_message(log.lines) && (!c.message || log.lines[0] == c.message)) << log.lines[0];
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
