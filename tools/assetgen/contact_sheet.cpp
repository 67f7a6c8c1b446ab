// The contact sheet of the embedded pictures. See contact_sheet.h.
#include "tools/assetgen/contact_sheet.h"

#include "assets/image.h"
#include "assets/pack.h"
#include "assets/tga.h"
#include "tools/common/contact_grid.h"
#include "tools/common/picture_writer.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Tile {
    std::string name;
    std::string kind; // "800x600, JPEG baseline colour"
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba; // empty when the picture did not decode
};

std::string lower(std::string s)
{
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool ends_with(const std::string& s, const char* suffix)
{
    size_t n = std::strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

// "JPEG baseline grey" and the like, from the first frame header.
std::string describe_jpeg(const std::vector<uint8_t>& b)
{
    size_t i = 2;
    while (i + 4 <= b.size()) {
        if (b[i] != 0xFF) {
            ++i;
            continue;
        }
        uint8_t m = b[i + 1];
        if (m == 0xFF || m == 0x01 || (m >= 0xD0 && m <= 0xD8)) {
            i += m == 0xFF ? 1 : 2;
            continue;
        }
        size_t length = size_t(b[i + 2]) << 8 | b[i + 3];
        if ((m == 0xC0 || m == 0xC1 || m == 0xC2) && i + 10 <= b.size()) {
            std::string kind = m == 0xC2 ? "progressive" : "baseline";
            return "JPEG " + kind + (b[i + 9] == 1 ? " grey" : " colour");
        }
        i += 2 + length;
    }
    return "JPEG";
}

std::string describe(const std::vector<uint8_t>& b, const std::string& name)
{
    if (b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8)
        return describe_jpeg(b);
    if (b.size() >= 6 && b[0] == 'G' && b[1] == 'I' && b[2] == 'F')
        return std::string(reinterpret_cast<const char*>(b.data()), 6);
    if (ends_with(lower(name), ".tga") && b.size() >= 18)
        return "TGA type " + std::to_string(b[2]) + ", " + std::to_string(b[16]) + "-bit";
    return "?";
}

Tile picture_tile(const std::string& name, const uint8_t* data, uint32_t length, bool tga)
{
    Tile tile;
    tile.name = name;
    std::vector<uint8_t> bytes(data, data + length);
    tile.kind = describe(bytes, tga ? ".tga" : name);
    int32_t w = 0, h = 0, bpp = 0;
    if (tga) {
        const uint8_t* pixels = LoadTGA(data, &w, &h, &bpp, length);
        if (pixels && w > 0 && h > 0 && (bpp == 24 || bpp == 32)) {
            const int channels = bpp / 8;
            tile.rgba.resize(size_t(w) * size_t(h) * 4);
            for (size_t i = 0; i < size_t(w) * size_t(h); ++i) {
                for (int c = 0; c < 3; ++c)
                    tile.rgba[i * 4 + size_t(c)] = pixels[i * size_t(channels) + size_t(c)];
                tile.rgba[i * 4 + 3] = channels == 4 ? pixels[i * 4 + 3] : 255;
            }
        }
    } else {
        const uint8_t* pixels = DecodeImage(data, length, &w, &h);
        if (pixels && w > 0 && h > 0)
            tile.rgba.assign(pixels, pixels + size_t(w) * size_t(h) * 4);
    }
    if (!tile.rgba.empty()) {
        tile.width = w;
        tile.height = h;
        tile.kind = std::to_string(w) + "x" + std::to_string(h) + ", " + tile.kind;
    } else {
        tile.kind += ": does not decode";
    }
    return tile;
}

// Every picture of the folder: its JPEG, GIF and TGA files, and the TGA
// entries of its packs.
std::vector<Tile> collect(const std::string& folder, std::string& error)
{
    std::vector<fs::path> paths;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file() && it->path().filename().string()[0] != '.')
            paths.push_back(it->path());
    if (ec) {
        error = "cannot read " + folder + ": " + ec.message();
        return {};
    }
    std::sort(paths.begin(), paths.end());
    std::vector<Tile> tiles;
    for (const fs::path& path : paths) {
        const std::string name = path.filename().string();
        const std::string ext = lower(path.extension().string());
        std::vector<uint8_t> bytes;
        std::string reason;
        if (!read_file(path.string(), bytes, &reason)) {
            error = "cannot read " + path.string() + ": " + reason;
            return {};
        }
        if (bytes.empty())
            continue;
        const auto length = uint32_t(bytes.size());
        if (ext == ".jpg" || ext == ".jpeg" || ext == ".gif") {
            tiles.push_back(picture_tile(name, bytes.data(), length, false));
        } else if (ext == ".tga") {
            tiles.push_back(picture_tile(name, bytes.data(), length, true));
        } else if (bytes.size() >= 4 && std::memcmp(bytes.data(), "PKCP", 4) == 0) {
            ResourcePack* pack = ResourcePack_Open(bytes.data(), length);
            uint32_t count = pack ? ResourcePack_EntryCount(pack) : 0;
            for (uint32_t i = 0; i < count; ++i) {
                PackEntry entry;
                if (!ResourcePack_EntryAt(pack, i, &entry))
                    continue;
                std::string entry_name(entry.name, strnlen(entry.name, sizeof entry.name));
                if (!ends_with(lower(entry_name), ".tga"))
                    continue;
                tiles.push_back(picture_tile(name + ": " + GetBaseName(entry_name.c_str()),
                                             bytes.data() + entry.offset, entry.size, true));
            }
        }
    }
    if (tiles.empty())
        error = "no pictures in " + folder;
    return tiles;
}

} // namespace

bool write_contact_sheet(const std::string& folder, const std::string& png_path, std::string& error)
{
    std::vector<Tile> tiles = collect(folder, error);
    if (tiles.empty())
        return false;
    std::vector<GridTile> grid;
    for (const Tile& tile : tiles)
        grid.push_back(make_grid_tile(tile.rgba.empty() ? nullptr : tile.rgba.data(), tile.width, tile.height, 4,
                                      tile.name, tile.kind));
    return write_grid_png(png_path, std::to_string(tiles.size()) + " pictures in " + folder, grid, 6, error);
}
