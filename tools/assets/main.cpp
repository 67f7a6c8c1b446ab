// vigil-assets: the authors' tool for the demo's files. It decodes, inspects
// and builds them with the very decoders the demo uses, allocating from the
// same arena, so what it writes is what the demo would upload.
#include "assets/embedded.h"
#include "assets/image.h"
#include "assets/model.h"
#include "assets/pack.h"
#include "assets/tga.h"
#include "base/arena.h"
#include "base/log.h"
#include "tools/common/asset_writers.h"
#include "tools/common/picture_writer.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const USAGE =
    "usage: vigil-assets decode FILE OUT.png [--alpha]   colour (or alpha) decode of a JPEG or GIF\n"
    "       vigil-assets tga FILE OUT.png                decode of a TGA file\n"
    "       vigil-assets pack list PACK                  the entries of a resource pack\n"
    "       vigil-assets pack extract PACK NAME OUT      one entry, found as the demo finds it\n"
    "       vigil-assets pack build OUT NAME=FILE...     a new pack of those files\n"
    "       vigil-assets model info FILE [NAME]          an MS3D model (bare, or NAME in a pack)\n"
    "       vigil-assets list                            the files embedded in the demo\n"
    "       vigil-assets --help                          this text\n";

int usage(const char* problem)
{
    std::fprintf(stderr, "vigil-assets: %s\n%s", problem, USAGE);
    return 2;
}

int fail(const std::string& message)
{
    std::fprintf(stderr, "vigil-assets: %s\n", message.c_str());
    return 1;
}

// The decoders' own messages ("LoadTGA: ...") go to standard error; the
// count tells whether a refusal came with a reason.
int s_diagnostics = 0;

void print_diagnostic(const char* text, void*)
{
    ++s_diagnostics;
    std::fputs(text, stderr);
}

// Reads a file the tool was given; false with "cannot read FILE: reason"
// in `problem`.
bool read_input(const std::string& path, std::vector<uint8_t>& bytes, std::string& problem)
{
    std::string reason;
    if (read_file(path, bytes, &reason))
        return true;
    problem = "cannot read " + path + ": " + reason;
    return false;
}

// Writes an output file; false with "cannot write FILE: reason" in `problem`.
bool write_output(const std::string& path, const std::vector<uint8_t>& bytes, std::string& problem)
{
    std::string reason;
    if (write_file(path, bytes, &reason))
        return true;
    problem = "cannot write " + path + ": " + reason;
    return false;
}

bool save_png(const std::string& path, const uint8_t* pixels, int width, int height, int channels,
              std::string& problem)
{
    std::vector<uint8_t> png;
    if (!encode_png(png, pixels, width, height, channels)) {
        problem = "cannot write " + path + ": a PNG cannot hold a " + std::to_string(width) + "x" +
                  std::to_string(height) + " picture";
        return false;
    }
    return write_output(path, png, problem);
}

uint32_t read_le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

// Longest name `pack build` writes: the 128-byte field keeps a terminator.
constexpr size_t MAX_PACK_NAME = sizeof(PackEntry::name) - 1;

// Whether two names find the same pack entry: equal base names, ignoring
// ASCII case.
bool same_base_name(const std::string& a, const std::string& b)
{
    const char* x = GetBaseName(a.c_str());
    const char* y = GetBaseName(b.c_str());
    for (;; ++x, ++y) {
        const char cx = (*x >= 'A' && *x <= 'Z') ? static_cast<char>(*x - 'A' + 'a') : *x;
        const char cy = (*y >= 'A' && *y <= 'Z') ? static_cast<char>(*y - 'A' + 'a') : *y;
        if (cx != cy)
            return false;
        if (!cx)
            return true;
    }
}

const char* kind_of(const uint8_t* data, uint32_t length)
{
    if (length >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
        return "JPEG";
    if (length >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0))
        return "GIF";
    if (length >= 4 && std::memcmp(data, "PKCP", 4) == 0)
        return "pack";
    if (length >= 3 && (std::memcmp(data, "ID3", 3) == 0 || (data[0] == 0xFF && (data[1] & 0xE0) == 0xE0)))
        return "MP3";
    return "other";
}

// What a refused file is, where its first bytes tell more than the
// decoder's own message: empty, or a file of another kind. Null otherwise.
const char* what_it_is(const std::vector<uint8_t>& bytes, const char* expected)
{
    static char text[160];
    const uint32_t length = static_cast<uint32_t>(bytes.size());
    const char* kind = kind_of(bytes.data(), length);
    if (length == 0)
        return "the file is empty (0 bytes)";
    if (length >= 8 && std::memcmp(bytes.data(), "\x89PNG\r\n\x1a\n", 8) == 0)
        kind = "PNG";
    if (std::strcmp(kind, "other") == 0 || std::strstr(expected, kind))
        return nullptr;
    const bool picture = std::strcmp(kind, "JPEG") == 0 || std::strcmp(kind, "GIF") == 0;
    std::snprintf(text, sizeof text, "it is %s %s file, not %s%s", kind[0] == 'M' ? "an" : "a", kind, expected,
                  picture && std::strstr(expected, "TGA") ? " (vigil-assets decode reads it)" : "");
    return text;
}

int decode(int argc, char** argv)
{
    if (argc < 4 || argc > 5 || (argc == 5 && std::strcmp(argv[4], "--alpha") != 0))
        return usage("decode takes FILE OUT.png [--alpha]");
    bool alpha = argc == 5;
    std::vector<uint8_t> bytes;
    std::string problem;
    if (!read_input(argv[2], bytes, problem))
        return fail(problem);
    int32_t width = 0, height = 0;
    uint8_t* pixels = alpha ? DecodeAlphaImage(bytes.data(), static_cast<uint32_t>(bytes.size()), &width, &height)
                            : DecodeImage(bytes.data(), static_cast<uint32_t>(bytes.size()), &width, &height);
    if (!pixels) {
        fail(std::string(argv[2]) + ": refused: " + image_decode_failure());
        if (const char* what = what_it_is(bytes, "a JPEG or GIF picture"))
            fail(std::string(argv[2]) + ": " + what);
        return 1;
    }
    if (!alpha) {
        // Colour pixels always have alpha 255: the PNG holds red, green, blue.
        std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
        for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i)
            std::memcpy(&rgb[i * 3], &pixels[i * 4], 3);
        if (!save_png(argv[3], rgb.data(), width, height, 3, problem))
            return fail(problem);
    } else if (!save_png(argv[3], pixels, width, height, 1, problem)) {
        return fail(problem);
    }
    std::printf("%s: %dx%d %s\n", argv[2], width, height, alpha ? "alpha" : "colour");
    return 0;
}

int tga(int argc, char** argv)
{
    if (argc != 4)
        return usage("tga takes FILE OUT.png");
    std::vector<uint8_t> bytes;
    std::string problem;
    if (!read_input(argv[2], bytes, problem))
        return fail(problem);
    // The loader takes no empty buffer (it would name its null arguments).
    if (bytes.empty())
        return fail(std::string(argv[2]) + ": refused: the file is empty (0 bytes); a TGA file starts with an "
                                           "18-byte header");
    int32_t width = 0, height = 0, bpp = 0;
    const int before = s_diagnostics;
    uint8_t* pixels = LoadTGA(bytes.data(), &width, &height, &bpp, static_cast<uint32_t>(bytes.size()));
    if (!pixels && s_diagnostics > before) {
        const char* what = what_it_is(bytes, "a TGA file");
        return fail(std::string(argv[2]) + ": refused" + (what ? std::string(": ") + what : " (see the message above)"));
    }
    // LoadTGA's one silent refusal: the pixels (whose size it has written
    // out by then) do not fit in memory.
    if (!pixels)
        return fail(std::string(argv[2]) + ": refused: " + std::to_string(width) + "x" + std::to_string(height) +
                    " pixels of " + std::to_string(bpp) + " bits need " +
                    std::to_string(static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * (bpp / 8)) +
                    " bytes, more than the memory the demo has for pictures");
    if (width == 0 || height == 0)
        return fail(std::string(argv[2]) + ": the picture is " + std::to_string(width) + "x" +
                    std::to_string(height) + " pixels: a PNG cannot hold an empty picture");
    if (!save_png(argv[3], pixels, width, height, bpp / 8, problem))
        return fail(problem);
    std::printf("%s: %dx%d, %d bits\n", argv[2], width, height, bpp);
    return 0;
}

ResourcePack* open_pack(const std::string& path, std::vector<uint8_t>& bytes, std::string& problem)
{
    if (!read_input(path, bytes, problem))
        return nullptr;
    ResourcePack* pack = ResourcePack_Open(bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (!pack)
        problem = path + ": not a resource pack (it does not start with \"PKCP\")";
    return pack;
}

int pack(int argc, char** argv)
{
    std::string verb = argc >= 3 ? argv[2] : "";
    if (verb == "list" && argc == 4) {
        std::vector<uint8_t> bytes;
        std::string problem;
        ResourcePack* pack = open_pack(argv[3], bytes, problem);
        if (!pack)
            return fail(problem);
        // The entry count as stored: a directory that does not fit in the
        // pack makes the demo find nothing, which must not look like an
        // empty pack.
        const uint64_t stored = bytes.size() >= 8 ? read_le32(bytes.data() + 4) : 0;
        if (8 + stored * sizeof(PackEntry) > bytes.size())
            return fail(std::string(argv[3]) + ": damaged pack: its directory of " + std::to_string(stored) +
                        " entries needs " + std::to_string(8 + stored * sizeof(PackEntry)) +
                        " bytes, but the pack is " + std::to_string(bytes.size()) + " bytes long");
        uint32_t count = ResourcePack_EntryCount(pack);
        std::printf("%10s %10s  %s\n", "offset", "size", "name");
        for (uint32_t i = 0; i < count; ++i) {
            PackEntry entry;
            uint32_t sizeField = 0;
            bool usable = ResourcePack_EntryAt(pack, i, &entry, &sizeField);
            std::string note;
            if (!usable)
                note = "   (offset outside the pack: never found)";
            else if (entry.size != sizeField)
                note = "   (size field " + std::to_string(sizeField) + " runs past the pack: read to its end)";
            std::printf("%10u %10u  %.*s%s\n", entry.offset, entry.size, 128, entry.name, note.c_str());
        }
        return 0;
    }
    if (verb == "extract" && argc == 6) {
        std::vector<uint8_t> bytes;
        std::string problem;
        ResourcePack* pack = open_pack(argv[3], bytes, problem);
        if (!pack)
            return fail(problem);
        const uint8_t* data = ResourcePack_GetData(pack, argv[4]);
        if (!data)
            return fail(std::string(argv[3]) + ": no entry named " + GetBaseName(argv[4]));
        std::vector<uint8_t> out(data, data + ResourcePack_GetSize(pack, argv[4]));
        if (!write_output(argv[5], out, problem))
            return fail(problem);
        return 0;
    }
    if (verb == "build" && argc >= 5) {
        std::vector<PackFile> files;
        for (int i = 4; i < argc; ++i) {
            const char* equals = std::strchr(argv[i], '=');
            if (!equals || equals == argv[i])
                return usage("pack build takes NAME=FILE pairs");
            PackFile file;
            file.name.assign(argv[i], static_cast<size_t>(equals - argv[i]));
            // The directory holds 128 bytes per name; the demo's packs keep
            // a terminator in them.
            if (file.name.size() > MAX_PACK_NAME)
                return usage(("the name \"" + file.name + "\" is " + std::to_string(file.name.size()) +
                              " bytes long; a pack holds names of at most " + std::to_string(MAX_PACK_NAME))
                                 .c_str());
            // Look-ups go by base name in any case and find the first entry
            // only: a second file of the same base name could never be had.
            for (const PackFile& earlier : files)
                if (same_base_name(earlier.name, file.name))
                    return usage(("\"" + file.name + "\" and \"" + earlier.name +
                                  "\" have the same base name; the demo would only ever find the first")
                                     .c_str());
            std::string problem;
            if (!read_input(equals + 1, file.bytes, problem))
                return fail(problem);
            files.push_back(std::move(file));
        }
        std::vector<uint8_t> out;
        std::string problem;
        if (!write_pack(files, &out, &problem) || !write_output(argv[3], out, problem))
            return fail(problem);
        return 0;
    }
    return usage("pack takes list PACK, extract PACK NAME OUT or build OUT NAME=FILE...");
}


// What the demo would make of a material's texture: the entry it finds,
// decoded by the reader its format names.
const char* texture_status(const ResourcePack* pack, const MS3DMaterial& material)
{
    const MaterialTexture texture = find_material_texture(pack, material);
    int32_t width = 0, height = 0, depth = 0;
    switch (texture.format) {
    case TextureFormat::Missing:
        return "not in the pack";
    case TextureFormat::Tga:
        return LoadTGA(texture.data, &width, &height, &depth, texture.size) ? "decodes" : "does not decode";
    case TextureFormat::Jpeg:
        return DecodeImage(texture.data, texture.size, &width, &height) ? "decodes" : "does not decode";
    case TextureFormat::Unsupported:
    case TextureFormat::NoExtension:
        break;
    }
    return "a format the demo does not load";
}

int model(int argc, char** argv)
{
    if (argc < 4 || argc > 5 || std::strcmp(argv[2], "info") != 0)
        return usage("model takes info FILE [NAME]");
    std::vector<uint8_t> bytes;
    std::string problem;
    if (!read_input(argv[3], bytes, problem))
        return fail(problem);
    std::string name = argc == 5 ? argv[4] : "";
    if (bytes.size() < 4 || std::memcmp(bytes.data(), "PKCP", 4) != 0) {
        // A bare model: put it in a pack of its own (its textures are then
        // not found, as they would not be in the demo either).
        std::vector<PackFile> files{{"model.ms3d", bytes}};
        std::vector<uint8_t> packed;
        if (!write_pack(files, &packed, &problem))
            return fail(problem);
        bytes.swap(packed);
        name = "model.ms3d";
    } else if (name.empty()) {
        return usage("model info of a pack needs the model's NAME in it");
    }
    // The records as the demo reads them; each texture is looked up and
    // decoded as the demo would before uploading it, so no GL is needed.
    ResourcePack* pack = ResourcePack_Open(bytes.data(), static_cast<uint32_t>(bytes.size()));
    Model* model = new (std::nothrow) Model();
    if (!pack || !model || !model->read_records(pack, name.c_str()))
        return fail(std::string(argv[3]) + ": the model does not load (see the message above)");
    std::printf("vertices %u\ntriangles %u\ngroups %d\nmaterials %d\n", model->vertexCount, model->triangleCount,
                model->groupCount, model->materialCount);
    for (int32_t g = 0; g < model->groupCount; ++g)
        std::printf("group %d: \"%.32s\", %u triangles, material %d\n", g, model->groups[g].name,
                    model->groups[g].triangleCount, model->groups[g].materialIndex);
    for (int32_t m = 0; m < model->materialCount; ++m) {
        const MS3DMaterial& material = model->materials[m];
        std::printf("material %d: \"%.32s\", transparency %g, texture \"%.128s\" (%s)\n", m, material.name,
                    static_cast<double>(material.transparency), material.texture, texture_status(pack, material));
    }
    return 0;
}

int list()
{
    size_t count = 0;
    const EmbeddedFile* files = embedded_files(&count);
    std::printf("%-32s %10s  %-5s %s\n", "name", "bytes", "kind", "picture");
    for (size_t i = 0; i < count; ++i) {
        const char* kind = kind_of(files[i].data, files[i].length);
        std::string picture;
        if (std::strcmp(kind, "JPEG") == 0 || std::strcmp(kind, "GIF") == 0) {
            int32_t w = 0, h = 0;
            picture = DecodeImage(files[i].data, files[i].length, &w, &h)
                          ? std::to_string(w) + "x" + std::to_string(h)
                          : std::string("does not decode: ") + image_decode_failure();
        }
        std::printf("%-32s %10u  %-5s %s\n", files[i].name, files[i].length, kind, picture.c_str());
    }
    if (count == 0)
        std::printf("(no files are embedded)\n");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage("no command given");
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(USAGE, stdout);
        return 0;
    }
    if (!arena_create(DEMO_ARENA_SIZE))
        return fail("cannot reserve the 128 MiB arena");
    diag_set_sink(&print_diagnostic, nullptr);
    std::string command = argv[1];
    int status;
    if (command == "decode")
        status = decode(argc, argv);
    else if (command == "tga")
        status = tga(argc, argv);
    else if (command == "pack")
        status = pack(argc, argv);
    else if (command == "model")
        status = model(argc, argv);
    else if (command == "list" && argc == 2)
        status = list();
    else
        status = usage(("unknown command \"" + command + "\"").c_str());
    return status;
}
