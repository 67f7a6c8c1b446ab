// Writers for TGA pictures, "PKCP" packs and MS3D models (see the header).
// No state; every field is written byte by byte in little-endian order, so
// the output is the same on any host.
#include "tools/common/asset_writers.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

namespace {

void put_u8(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
}

void put_u16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put_u32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

void put_float(std::vector<uint8_t>& out, float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    put_u32(out, bits);
}

void put_floats(std::vector<uint8_t>& out, const float* f, int count)
{
    for (int i = 0; i < count; ++i)
        put_float(out, f[i]);
}

// A fixed-size text field: the string's bytes cut at `size`, the rest zero.
void put_text(std::vector<uint8_t>& out, const std::string& text, size_t size)
{
    size_t used = std::min(text.size(), size);
    out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(used));
    out.insert(out.end(), size - used, 0);
}

} // namespace

std::vector<uint8_t> encode_tga_rle(const uint8_t* pixels, uint32_t count, uint32_t bytesPerPixel,
                                    uint32_t rowLength)
{
    std::vector<uint8_t> out;
    auto same = [&](uint32_t a, uint32_t b) {
        return std::memcmp(pixels + a * bytesPerPixel, pixels + b * bytesPerPixel, bytesPerPixel) == 0;
    };
    auto append_pixel = [&](uint32_t i) {
        out.insert(out.end(), pixels + i * bytesPerPixel, pixels + (i + 1) * bytesPerPixel);
    };
    uint32_t i = 0;
    while (i < count) {
        // A packet ends at 128 pixels, at the last pixel, and (when asked) at
        // the end of the row it starts in.
        uint32_t limit = std::min(count, i + 128);
        if (rowLength > 0)
            limit = std::min(limit, (i / rowLength + 1) * rowLength);
        uint32_t run = 1;
        while (i + run < limit && same(i, i + run))
            ++run;
        if (run >= 2) {
            put_u8(out, 0x80 | (run - 1));
            append_pixel(i);
            i += run;
            continue;
        }
        // Raw pixels up to the next pair of equal pixels, which starts a run.
        uint32_t raw = 1;
        while (i + raw < limit && !(i + raw + 1 < limit && same(i + raw, i + raw + 1)))
            ++raw;
        put_u8(out, raw - 1);
        for (uint32_t k = 0; k < raw; ++k)
            append_pixel(i + k);
        i += raw;
    }
    return out;
}

std::vector<uint8_t> write_tga(const TgaWriteOptions& options, const uint8_t* pixels)
{
    if (options.imageId.size() > 255)
        return {};
    uint32_t bytesPerPixel = options.bpp / 8;
    uint8_t descriptor = options.descriptor >= 0 ? static_cast<uint8_t>(options.descriptor)
                                                 : static_cast<uint8_t>(options.bpp == 32 ? 8 : 0);
    std::vector<uint8_t> out;
    put_u8(out, static_cast<uint32_t>(options.imageId.size()));
    put_u8(out, 0);                        // no colour map
    put_u8(out, options.rle ? 10 : 2);     // true colour, run-length encoded or not
    out.insert(out.end(), 5, 0);           // colour map fields
    put_u16(out, 0);                       // x origin
    put_u16(out, 0);                       // y origin
    put_u16(out, options.width);
    put_u16(out, options.height);
    put_u8(out, options.bpp);
    put_u8(out, descriptor);
    out.insert(out.end(), options.imageId.begin(), options.imageId.end());

    // The file's pixel order: rows and columns as the origin bits say, bytes
    // blue, green, red [, alpha].
    bool topFirst = descriptor & 0x20;
    bool rightToLeft = descriptor & 0x10;
    uint32_t w = options.width;
    uint32_t h = options.height;
    std::vector<uint8_t> filePixels;
    filePixels.reserve(static_cast<size_t>(w) * h * bytesPerPixel);
    for (uint32_t row = 0; row < h; ++row) {
        uint32_t y = topFirst ? row : h - 1 - row;
        for (uint32_t column = 0; column < w; ++column) {
            uint32_t x = rightToLeft ? w - 1 - column : column;
            const uint8_t* p = pixels + (static_cast<size_t>(y) * w + x) * bytesPerPixel;
            for (uint32_t c = 0; c < bytesPerPixel; ++c) {
                // Blue and red change places; other bytes stay.
                uint32_t source = c == 0 ? 2 : c == 2 ? 0 : c;
                filePixels.push_back(source < bytesPerPixel ? p[source] : p[c]);
            }
        }
    }
    if (options.rle) {
        std::vector<uint8_t> packets =
            encode_tga_rle(filePixels.data(), w * h, bytesPerPixel, options.packetsCrossRows ? 0 : w);
        out.insert(out.end(), packets.begin(), packets.end());
    } else {
        out.insert(out.end(), filePixels.begin(), filePixels.end());
    }
    return out;
}

bool write_pack(const std::vector<PackFile>& files, std::vector<uint8_t>* out, std::string* error)
{
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    uint64_t offset = 8 + 136 * static_cast<uint64_t>(files.size());
    std::vector<uint8_t> pack;
    pack.insert(pack.end(), {'P', 'K', 'C', 'P'});
    put_u32(pack, static_cast<uint32_t>(files.size()));
    for (const PackFile& file : files) {
        if (file.name.size() > 128)
            return fail("the name \"" + file.name + "\" is longer than 128 bytes");
        if (offset + file.bytes.size() > 0xFFFFFFFFu)
            return fail("the pack would be larger than 4 GiB");
        put_u32(pack, static_cast<uint32_t>(offset));
        put_u32(pack, static_cast<uint32_t>(file.bytes.size()));
        put_text(pack, file.name, 128);
        offset += file.bytes.size();
    }
    for (const PackFile& file : files)
        pack.insert(pack.end(), file.bytes.begin(), file.bytes.end());
    *out = std::move(pack);
    return true;
}

std::vector<uint8_t> write_ms3d(const Ms3dModelRecords& model)
{
    if (model.vertices.size() > 0xFFFF || model.triangles.size() > 0xFFFF || model.groups.size() > 0xFFFF ||
        model.materials.size() > 0xFFFF)
        return {};
    for (const Ms3dGroupRecord& group : model.groups) {
        if (group.triangleIndices.size() > 0xFFFF)
            return {};
    }

    std::vector<uint8_t> out;
    out.insert(out.end(), model.id, model.id + 10);
    put_u32(out, static_cast<uint32_t>(model.version));

    put_u16(out, static_cast<uint32_t>(model.vertices.size()));
    for (const Ms3dVertexRecord& v : model.vertices) {
        put_u8(out, v.flags);
        put_floats(out, v.position, 3);
        put_u8(out, static_cast<uint8_t>(v.boneIndex));
        put_u8(out, v.referenceCount);
    }

    put_u16(out, static_cast<uint32_t>(model.triangles.size()));
    for (const Ms3dTriangleRecord& t : model.triangles) {
        put_u16(out, t.flags);
        for (uint16_t index : t.vertexIndices)
            put_u16(out, index);
        for (const auto& normal : t.normals)
            put_floats(out, normal, 3);
        put_floats(out, t.s, 3);
        put_floats(out, t.t, 3);
        put_u8(out, t.smoothingGroup);
        put_u8(out, t.groupIndex);
    }

    put_u16(out, static_cast<uint32_t>(model.groups.size()));
    for (const Ms3dGroupRecord& g : model.groups) {
        put_u8(out, g.flags);
        put_text(out, g.name, 32);
        put_u16(out, static_cast<uint32_t>(g.triangleIndices.size()));
        for (uint16_t index : g.triangleIndices)
            put_u16(out, index);
        put_u8(out, static_cast<uint8_t>(g.materialIndex));
    }

    put_u16(out, static_cast<uint32_t>(model.materials.size()));
    for (const Ms3dMaterialRecord& m : model.materials) {
        put_text(out, m.name, 32);
        put_floats(out, m.ambient, 4);
        put_floats(out, m.diffuse, 4);
        put_floats(out, m.specular, 4);
        put_floats(out, m.emissive, 4);
        put_float(out, m.shininess);
        put_float(out, m.transparency);
        put_u8(out, m.mode);
        put_text(out, m.texture, 128);
        put_text(out, m.alphamap, 128);
    }
    return out;
}
