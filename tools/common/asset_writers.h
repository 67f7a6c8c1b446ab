// Writers for the demo's own asset formats: TGA pictures (uncompressed or
// run-length encoded true colour), "PKCP" resource packs and MS3D version-4
// models. Used by the content generator, the authors' tool and the tests.
// Everything is written little-endian into a byte vector; nothing is kept.
// Depends on the standard library only.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// ---- TGA ------------------------------------------------------------------

struct TgaWriteOptions {
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t bpp = 32;      // 24 or 32; other values are written as given
    bool rle = false;      // image type 10 (run-length encoded) instead of 2
    int descriptor = -1;   // the descriptor byte; -1: alpha bits for `bpp`
                           // (0 or 8), bottom-left origin
    std::string imageId;   // written after the header (at most 255 bytes)
    bool packetsCrossRows = false; // let run-length packets run on across row ends
};

// Encodes `pixels` (red, green, blue [, alpha] bytes, bpp / 8 per pixel,
// top row first, width * height pixels) as a TGA file. Rows and columns are
// stored in the order the descriptor's origin bits give (bit 5 set: top row
// first; bit 4 set: right to left), so the file shows the picture the right
// way up in a reader that honours them. Empty when the image ID is too long.
std::vector<uint8_t> write_tga(const TgaWriteOptions& options, const uint8_t* pixels);

// Run-length packets for `count` pixels of `bytesPerPixel` bytes each, taken
// as they are (no reordering of bytes): runs of two or more equal pixels
// become run packets, everything else raw packets, at most 128 pixels each.
// `rowLength` > 0 keeps packets from crossing every rowLength-th pixel.
std::vector<uint8_t> encode_tga_rle(const uint8_t* pixels, uint32_t count, uint32_t bytesPerPixel,
                                    uint32_t rowLength);

// ---- Resource pack ---------------------------------------------------------

struct PackFile {
    std::string name; // at most 128 bytes; 128 leaves no terminator
    std::vector<uint8_t> bytes;
};

// A "PKCP" pack holding the files in the given order: the directory, then the
// files' bytes one after another. False, with a reason in `error`, when a name
// is longer than 128 bytes or the pack would pass 4 GiB.
bool write_pack(const std::vector<PackFile>& files, std::vector<uint8_t>* out, std::string* error = nullptr);

// ---- MS3D model ------------------------------------------------------------

struct Ms3dVertexRecord {
    uint8_t flags = 0;
    float position[3] = {0, 0, 0};
    int8_t boneIndex = -1;
    uint8_t referenceCount = 0;
};

struct Ms3dTriangleRecord {
    uint16_t flags = 0;
    uint16_t vertexIndices[3] = {0, 0, 0};
    float normals[3][3] = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    float s[3] = {0, 0, 0};
    float t[3] = {0, 0, 0};
    uint8_t smoothingGroup = 1;
    uint8_t groupIndex = 0;
};

struct Ms3dGroupRecord {
    uint8_t flags = 0;
    std::string name; // cut at 32 bytes
    std::vector<uint16_t> triangleIndices;
    int8_t materialIndex = -1;
};

struct Ms3dMaterialRecord {
    std::string name; // cut at 32 bytes
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
    float specular[4] = {0, 0, 0, 1};
    float emissive[4] = {0, 0, 0, 1};
    float shininess = 0;
    float transparency = 1;
    uint8_t mode = 0;
    std::string texture;  // cut at 128 bytes; 128 leaves no terminator
    std::string alphamap; // likewise
};

struct Ms3dModelRecords {
    char id[10] = {'M', 'S', '3', 'D', '0', '0', '0', '0', '0', '0'};
    int32_t version = 4;
    std::vector<Ms3dVertexRecord> vertices;
    std::vector<Ms3dTriangleRecord> triangles;
    std::vector<Ms3dGroupRecord> groups;
    std::vector<Ms3dMaterialRecord> materials;
};

// The model as an MS3D file: header, vertices, triangles, groups, materials,
// and nothing after them (no joints or animation). Empty when a count does not
// fit the format's 16 bits.
std::vector<uint8_t> write_ms3d(const Ms3dModelRecords& model);
