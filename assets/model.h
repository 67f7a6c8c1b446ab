// MS3D model (format version 4): vertices, triangles, groups and materials of
// a static mesh, read from the resource pack, with each material's texture
// loaded from the same pack by base name (".tga" or ".jpg", any case), drawn
// in immediate mode group by group. Records are kept byte for byte as in the
// file. Messages go to the diagnostic log ("Model::LoadFromMemory: ...",
// "Model::Load: ..."). Reading the records (read_records, assets/model.cpp)
// needs no GL; loading the textures and drawing (Load, LoadFromMemory, Draw,
// gfx/model.cpp) need a current context. Depends on assets/pack.
#pragma once
#include "assets/pack.h"

#include <cstdint>

struct TiledTexture;

#pragma pack(push, 1)
struct MS3DVertex {
    uint8_t flags;
    float position[3];
    int8_t boneIndex;
    uint8_t referenceCount;
};
static_assert(sizeof(MS3DVertex) == 15);

struct MS3DTriangle {
    uint16_t flags;
    uint16_t vertexIndices[3];
    float vertexNormals[3][3];
    float s[3];
    float t[3];
    uint8_t smoothingGroup;
    uint8_t groupIndex;
};
static_assert(sizeof(MS3DTriangle) == 70);

struct MS3DGroup {
    uint8_t flags;
    char name[32];
    uint16_t triangleCount;
    uint16_t* triangleIndices;
    int8_t materialIndex; // -1: no material
};

struct MS3DMaterial {
    char name[32];
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float emissive[4];
    float shininess;
    float transparency;
    uint8_t mode;
    char texture[128];
    char alphamap[128];
    TiledTexture* textureHandle; // null when no texture was loaded
};
static_assert(sizeof(MS3DMaterial) == 361 + sizeof(void*));
#pragma pack(pop)

// A material's texture as the demo looks for it: the pack entry of the
// stored name (which may fill all 128 bytes without a terminator), found by
// base name in any case, and the format its extension names.
enum class TextureFormat { Missing, Tga, Jpeg, Unsupported, NoExtension };
struct MaterialTexture {
    char name[sizeof MS3DMaterial::texture + 1]; // the stored name, terminated
    const uint8_t* data;                         // the entry; null when Missing
    uint32_t size;
    TextureFormat format; // ".tga" or ".jpg" in any case; Missing wins over the rest
};
MaterialTexture find_material_texture(const ResourcePack* pack, const MS3DMaterial& material);

class Model {
public:
    // Opens the pack over `packData` (of `packLength` bytes where known),
    // keeps it, and loads the named model from it.
    bool Load(const void* packData, const char* name, uint32_t packLength = LENGTH_UNKNOWN);
    bool LoadFromMemory(ResourcePack* pack, const char* name);
    // The records alone, checked, with no texture and no GL: what
    // LoadFromMemory reads before it loads the textures. False, with a
    // "Model::LoadFromMemory: ..." line, for a file it refuses; the model is
    // then left as it was.
    bool read_records(ResourcePack* pack, const char* name);
    // Draws every group with the current transforms; needs a GL context.
    void Draw();

    uint32_t vertexCount = 0;
    MS3DVertex* vertices = nullptr;
    uint32_t triangleCount = 0;
    MS3DTriangle* triangles = nullptr;
    int32_t groupCount = 0;
    MS3DGroup* groups = nullptr;
    int32_t materialCount = 0;
    MS3DMaterial* materials = nullptr;
    ResourcePack* pack = nullptr;
};
