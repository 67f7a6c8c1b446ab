// MS3D model, the GL side: each material's texture, found in the model's
// pack by base name and uploaded, and the mesh drawn group by group in
// immediate mode. Needs a current GL context. The records come from
// assets/model.cpp, which has checked every index Draw follows.
// State: the textures' handles, kept in the materials.
#include "assets/model.h"

#include "base/log.h"
#include "gfx/texture.h"

#include <cstring>

namespace {

// The material's texture loaded through the loader its format names. Null
// when there is none or it fails.
TiledTexture* load_material_texture(const ResourcePack* pack, const MS3DMaterial& material)
{
    const MaterialTexture texture = find_material_texture(pack, material);
    switch (texture.format) {
    case TextureFormat::Missing:
        diag_log("Model::Load: Couldn't find texture %s!\n", texture.name);
        return nullptr;
    case TextureFormat::Tga:
        return LoadTGATexture(texture.data, GL_LINEAR, texture.size);
    case TextureFormat::Jpeg:
        return LoadTexture(texture.data, texture.size, nullptr, 0, GL_LINEAR);
    case TextureFormat::Unsupported:
        diag_log("Model::Load: Texture format %s is unsupported!\n", std::strrchr(texture.name, '.'));
        return nullptr;
    case TextureFormat::NoExtension:
        break;
    }
    return nullptr;
}

} // namespace

bool Model::Load(const void* packData, const char* name, uint32_t packLength)
{
    pack = ResourcePack_Open(packData, packLength);
    if (!pack)
        return false;
    return LoadFromMemory(pack, name);
}

bool Model::LoadFromMemory(ResourcePack* fromPack, const char* name)
{
    if (!read_records(fromPack, name))
        return false;
    // Textures last, once the model is known to be whole: a refused model
    // uploads nothing. A texture that cannot be had leaves its material
    // untextured; the model still loads.
    for (int32_t m = 0; m < materialCount; ++m)
        materials[m].textureHandle = load_material_texture(fromPack, materials[m]);
    return true;
}

void Model::Draw()
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    for (int32_t g = 0; g < groupCount; ++g) {
        const MS3DGroup& group = groups[g];
        glDisable(GL_TEXTURE_2D);
        if (group.materialIndex == -1) {
            glDisable(GL_BLEND);
        } else {
            const MS3DMaterial& material = materials[group.materialIndex];
            const TiledTexture* texture = material.textureHandle;
            // Only the first tile is used; a 0-pixel picture has none.
            if (texture && texture->width > 0 && texture->height > 0) {
                glEnable(GL_TEXTURE_2D);
                glBindTexture(GL_TEXTURE_2D, texture->textures[0]);
            }
            // Transparency 0 leaves blending as the previous group left it.
            if (material.transparency > 0) {
                glEnable(GL_BLEND);
                glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            }
        }
        glColor4f(1, 1, 1, 1);
        glBegin(GL_TRIANGLES);
        for (uint32_t k = 0; k < group.triangleCount; ++k) {
            const MS3DTriangle& triangle = triangles[group.triangleIndices[k]];
            for (int corner = 0; corner < 3; ++corner) {
                // The records are packed: pass GL aligned copies of the floats.
                const MS3DVertex& vertex = vertices[triangle.vertexIndices[corner]];
                const float normal[3] = {triangle.vertexNormals[corner][0], triangle.vertexNormals[corner][1],
                                         triangle.vertexNormals[corner][2]};
                const float position[3] = {vertex.position[0], vertex.position[1], vertex.position[2]};
                glNormal3fv(normal);
                glTexCoord2f(triangle.s[corner], triangle.t[corner]);
                glVertex3fv(position);
            }
        }
        glEnd();
    }
    // Errors are not acted on: drawing goes on the same either way, and this
    // runs every frame.
    glGetError();
    glPopAttrib();
}
