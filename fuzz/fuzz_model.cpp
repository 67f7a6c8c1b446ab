// Fuzz target: the MS3D model reader. The input is a model file; the target
// wraps it in a one-entry pack, as the demo's model comes, and reads it with
// Model::read_records, the part of Model::Load that takes the file apart (the
// rest uploads the materials' textures, which the texture decoders' targets
// cover). A model that reads must be drawable: the walk below follows every
// index exactly as Model::Draw does, without GL.
#include "assets/model.h"
#include "fuzz/fuzz_support.h"

#include <cstring>
#include <vector>

namespace {

constexpr char MODEL_NAME[] = "fuzz.ms3d";
constexpr uint32_t DIRECTORY_END = 8 + sizeof(PackEntry);

void put_u32(uint8_t* p, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

float walk(const Model& model)
{
    float sum = 0;
    for (int32_t g = 0; g < model.groupCount; ++g) {
        const MS3DGroup& group = model.groups[g];
        if (group.materialIndex != -1)
            sum += model.materials[group.materialIndex].transparency;
        for (uint32_t k = 0; k < group.triangleCount; ++k) {
            const MS3DTriangle& triangle = model.triangles[group.triangleIndices[k]];
            for (int corner = 0; corner < 3; ++corner)
                sum += model.vertices[triangle.vertexIndices[corner]].position[0] + triangle.s[corner];
        }
    }
    return sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > UINT32_MAX - DIRECTORY_END)
        return 0;
    // The pack lives on the C heap, sized exactly, so a read past its end is
    // caught.
    std::vector<uint8_t> pack(DIRECTORY_END + size);
    std::memcpy(pack.data(), "PKCP", 4);
    put_u32(&pack[4], 1);
    put_u32(&pack[8], DIRECTORY_END);
    put_u32(&pack[12], static_cast<uint32_t>(size));
    std::memcpy(&pack[16], MODEL_NAME, sizeof MODEL_NAME);
    if (size)
        std::memcpy(&pack[DIRECTORY_END], data, size);

    FuzzArenaScope arena;
    ResourcePack* opened = ResourcePack_Open(pack.data(), static_cast<uint32_t>(pack.size()));
    Model model;
    if (!opened || !model.read_records(opened, MODEL_NAME))
        return 0;
    for (int32_t m = 0; m < model.materialCount; ++m)
        if (model.materials[m].textureHandle)
            fuzz_fail("reading the records set a texture");
    volatile float keep = walk(model);
    (void)keep;
    return 0;
}
