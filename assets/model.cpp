// MS3D model: reading vertices, triangles, groups and materials out of the
// resource pack. The GL side (each material's texture, drawing) is
// gfx/model.cpp.
// State: the Model's own arrays, all from the arena, never freed.
//
// The file is checked before anything of it is kept: a model whose records
// run past its data, or whose triangles, groups or materials refer to records
// that do not exist, is refused with a "Model::LoadFromMemory: ..." line, so
// Draw can follow every index without checking it again.
#include "assets/model.h"

#include "base/log.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <new>

// Records are kept byte for byte as in the (little-endian) file.
static_assert(std::endian::native == std::endian::little, "the model format is little-endian");

namespace {

constexpr uint32_t MS3D_HEADER_SIZE = 14;
constexpr uint32_t MS3D_MATERIAL_RECORD_SIZE = 361;
constexpr uint32_t MS3D_GROUP_MIN_SIZE = 1 + 32 + 2 + 1;
static_assert(offsetof(MS3DMaterial, texture) == 105);
static_assert(offsetof(MS3DMaterial, textureHandle) == MS3D_MATERIAL_RECORD_SIZE);

bool refuse_truncated()
{
    diag_log("Model::LoadFromMemory: Model data ends before its last record!\n");
    return false;
}

bool refuse_out_of_memory()
{
    diag_log("Model::LoadFromMemory: Out of memory!\n");
    return false;
}

// False when the reader knows its length and fewer than `bytes` are left, so
// a count that runs past the data is refused before anything is allocated
// for it.
bool has_bytes(const MemoryReader& reader, uint64_t bytes)
{
    if (reader.length == LENGTH_UNKNOWN)
        return true;
    return static_cast<uint64_t>(static_cast<uint32_t>(reader.position)) + bytes <= reader.length;
}

uint16_t read_u16(MemoryReader* reader)
{
    uint8_t bytes[2] = {0, 0};
    ReadBytes(reader, bytes, 2);
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

bool equal_ignoring_ascii_case(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        char ca = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
        char cb = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b - 'A' + 'a') : *b;
        if (ca != cb)
            return false;
        if (!ca)
            return true;
    }
}

} // namespace

MaterialTexture find_material_texture(const ResourcePack* pack, const MS3DMaterial& material)
{
    MaterialTexture texture{};
    std::memcpy(texture.name, material.texture, sizeof material.texture);
    texture.name[sizeof material.texture] = '\0';
    texture.data = ResourcePack_GetData(pack, texture.name);
    if (!texture.data) {
        texture.format = TextureFormat::Missing;
        return texture;
    }
    texture.size = ResourcePack_GetSize(pack, texture.name);
    const char* extension = std::strrchr(texture.name, '.');
    if (!extension)
        texture.format = TextureFormat::NoExtension;
    else if (equal_ignoring_ascii_case(extension, ".tga"))
        texture.format = TextureFormat::Tga;
    else if (equal_ignoring_ascii_case(extension, ".jpg"))
        texture.format = TextureFormat::Jpeg;
    else
        texture.format = TextureFormat::Unsupported;
    return texture;
}

bool Model::read_records(ResourcePack* fromPack, const char* name)
{
    const uint8_t* data = ResourcePack_GetData(fromPack, name);
    // Where the pack's length is known the entry's size is cut to the pack's
    // end (the original packs store 0xCCCCCCCC there), so it bounds every
    // read. Otherwise the file is trusted.
    uint32_t length = LENGTH_UNKNOWN;
    if (data && fromPack->length != LENGTH_UNKNOWN)
        length = ResourcePack_GetSize(fromPack, name);
    MemoryReader reader = make_reader(data, length);

    // A missing file or one too short for a header reads as zeros here, and
    // so is refused for its id.
    uint8_t header[MS3D_HEADER_SIZE] = {};
    ReadBytes(&reader, header, sizeof header);
    if (std::memcmp(header, "MS3D000000", 10) != 0) {
        diag_log("Model::LoadFromMemory: Bad id in model!\n");
        return false;
    }
    int32_t version = static_cast<int32_t>(static_cast<uint32_t>(header[10]) | static_cast<uint32_t>(header[11]) << 8 |
                                           static_cast<uint32_t>(header[12]) << 16 |
                                           static_cast<uint32_t>(header[13]) << 24);
    if (version != 4) {
        diag_log("Model::LoadFromMemory: Bad version in model!\n");
        return false;
    }

    // Nothing is stored in the model until the whole file has passed.
    uint32_t newVertexCount = read_u16(&reader);
    if (reader.failed || !has_bytes(reader, newVertexCount * sizeof(MS3DVertex)))
        return refuse_truncated();
    MS3DVertex* newVertices = new (std::nothrow) MS3DVertex[newVertexCount];
    if (!newVertices)
        return refuse_out_of_memory();
    ReadBytes(&reader, newVertices, newVertexCount * sizeof(MS3DVertex));
    if (reader.failed)
        return refuse_truncated();

    uint32_t newTriangleCount = read_u16(&reader);
    if (reader.failed || !has_bytes(reader, newTriangleCount * sizeof(MS3DTriangle)))
        return refuse_truncated();
    MS3DTriangle* newTriangles = new (std::nothrow) MS3DTriangle[newTriangleCount];
    if (!newTriangles)
        return refuse_out_of_memory();
    ReadBytes(&reader, newTriangles, newTriangleCount * sizeof(MS3DTriangle));
    if (reader.failed)
        return refuse_truncated();
    for (uint32_t i = 0; i < newTriangleCount; ++i) {
        for (int corner = 0; corner < 3; ++corner) {
            uint32_t vertex = newTriangles[i].vertexIndices[corner];
            if (vertex >= newVertexCount) {
                diag_log("Model::LoadFromMemory: Triangle %u names vertex %u, but there are %u vertices!\n", i,
                         vertex, newVertexCount);
                return false;
            }
        }
    }

    // A group is at least its flags, name, count and material index.
    int32_t newGroupCount = read_u16(&reader);
    if (reader.failed || !has_bytes(reader, static_cast<uint64_t>(newGroupCount) * MS3D_GROUP_MIN_SIZE))
        return refuse_truncated();
    MS3DGroup* newGroups = new (std::nothrow) MS3DGroup[newGroupCount]();
    if (!newGroups)
        return refuse_out_of_memory();
    for (int32_t g = 0; g < newGroupCount; ++g) {
        MS3DGroup& group = newGroups[g];
        ReadBytes(&reader, &group.flags, 1);
        ReadBytes(&reader, group.name, sizeof group.name);
        uint16_t count = read_u16(&reader);
        if (reader.failed || !has_bytes(reader, count * 2u))
            return refuse_truncated();
        uint16_t* indices = new (std::nothrow) uint16_t[count];
        if (!indices)
            return refuse_out_of_memory();
        ReadBytes(&reader, indices, count * 2u);
        int8_t materialIndex = 0;
        ReadBytes(&reader, &materialIndex, 1);
        if (reader.failed)
            return refuse_truncated();
        for (uint32_t k = 0; k < count; ++k) {
            if (indices[k] >= newTriangleCount) {
                diag_log("Model::LoadFromMemory: Group %d names triangle %u, but there are %u triangles!\n",
                         static_cast<int>(g), static_cast<unsigned>(indices[k]), newTriangleCount);
                return false;
            }
        }
        group.triangleCount = count;
        group.triangleIndices = indices;
        group.materialIndex = materialIndex;
    }

    int32_t newMaterialCount = read_u16(&reader);
    if (reader.failed || !has_bytes(reader, static_cast<uint64_t>(newMaterialCount) * MS3D_MATERIAL_RECORD_SIZE))
        return refuse_truncated();
    MS3DMaterial* newMaterials = new (std::nothrow) MS3DMaterial[newMaterialCount]();
    if (!newMaterials)
        return refuse_out_of_memory();
    for (int32_t m = 0; m < newMaterialCount; ++m)
        ReadBytes(&reader, &newMaterials[m], MS3D_MATERIAL_RECORD_SIZE);
    if (reader.failed)
        return refuse_truncated();
    for (int32_t g = 0; g < newGroupCount; ++g) {
        int32_t material = newGroups[g].materialIndex;
        if (material != -1 && (material < 0 || material >= newMaterialCount)) {
            diag_log("Model::LoadFromMemory: Group %d names material %d, but there are %d materials!\n",
                     static_cast<int>(g), static_cast<int>(material), static_cast<int>(newMaterialCount));
            return false;
        }
    }

    vertexCount = newVertexCount;
    vertices = newVertices;
    triangleCount = newTriangleCount;
    triangles = newTriangles;
    groupCount = newGroupCount;
    groups = newGroups;
    materialCount = newMaterialCount;
    materials = newMaterials;
    return true;
}
