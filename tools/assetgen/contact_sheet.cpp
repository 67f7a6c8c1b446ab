// The contact sheet of the embedded pictures. See contact_sheet.h.
#include "tools/assetgen/contact_sheet.h"

#include "assets/image.h"
#include "assets/pack.h"
#include "assets/tga.h"
#include "tools/assetgen/interface_paint.h"
#include "tools/common/picture_writer.h"

#include <cairo.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int THUMB_W = 224, THUMB_H = 140; // a 1024x640 picture fits exactly
constexpr int COLUMNS = 6;
constexpr int MARGIN = 16;
constexpr int LABEL_H = 38;
constexpr int HEADER_H = 36;
constexpr int CELL_W = THUMB_W + MARGIN;
constexpr int CELL_H = THUMB_H + LABEL_H;

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

std::vector<uint8_t> read_file(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
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
        std::vector<uint8_t> bytes = read_file(path);
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

// Scales the tile's picture into a THUMB_W x THUMB_H box: area averages when
// shrinking, whole-pixel enlargement (up to 4x) for small pictures such as
// the icon. Alpha is shown over a grey checkerboard. Returns 0xRRGGBB pixels.
std::vector<uint32_t> thumbnail(const Tile& tile, int& ow, int& oh)
{
    const int w = tile.width, h = tile.height;
    int up = std::min({THUMB_W / w, THUMB_H / h, 4});
    if (up >= 2) {
        ow = w * up;
        oh = h * up;
    } else {
        double s = std::min({double(THUMB_W) / w, double(THUMB_H) / h, 1.0});
        ow = std::max(1, int(w * s + 0.5));
        oh = std::max(1, int(h * s + 0.5));
    }
    std::vector<uint32_t> out(size_t(ow) * size_t(oh));
    for (int oy = 0; oy < oh; ++oy) {
        int y0 = int(int64_t(oy) * h / oh), y1 = std::max(y0 + 1, int(int64_t(oy + 1) * h / oh));
        for (int ox = 0; ox < ow; ++ox) {
            int x0 = int(int64_t(ox) * w / ow), x1 = std::max(x0 + 1, int(int64_t(ox + 1) * w / ow));
            double sum[3] = {0, 0, 0};
            double checker = ((ox / 8 + oy / 8) % 2) ? 0x55 : 0x38;
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x) {
                    const uint8_t* p = &tile.rgba[(size_t(y) * size_t(w) + size_t(x)) * 4];
                    double a = p[3] / 255.0;
                    for (int c = 0; c < 3; ++c)
                        sum[c] += p[c] * a + checker * (1.0 - a);
                }
            double n = double((x1 - x0) * (y1 - y0));
            uint32_t rgb = 0;
            for (int c = 0; c < 3; ++c)
                rgb = rgb << 8 | uint32_t(std::min(255.0, sum[c] / n + 0.5));
            out[size_t(oy) * size_t(ow) + size_t(ox)] = rgb;
        }
    }
    return out;
}

void label(cairo_t* cr, double x, double y, double size, const std::string& text, double grey)
{
    cairo_set_font_size(cr, size);
    cairo_set_source_rgb(cr, grey, grey, grey);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, text.c_str());
}

} // namespace

bool write_contact_sheet(const std::string& folder, const std::string& png_path, std::string& error)
{
    std::vector<Tile> tiles = collect(folder, error);
    if (tiles.empty())
        return false;
    const int rows = int((tiles.size() + COLUMNS - 1) / COLUMNS);
    const int W = MARGIN + COLUMNS * CELL_W, H = HEADER_H + rows * CELL_H + MARGIN;

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, W, H);
    cairo_t* cr = cairo_create(surface);
    paint::set_text_options(cr);
    cairo_set_source_rgb(cr, 0.12, 0.125, 0.14);
    cairo_paint(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    label(cr, MARGIN, 24, 15, std::to_string(tiles.size()) + " pictures in " + folder, 0.9);

    for (size_t i = 0; i < tiles.size(); ++i) {
        const Tile& tile = tiles[i];
        const int cx = MARGIN + int(i % COLUMNS) * CELL_W, cy = HEADER_H + int(i / COLUMNS) * CELL_H;
        // The box the picture sits in.
        cairo_set_source_rgb(cr, 0.07, 0.07, 0.08);
        cairo_rectangle(cr, cx, cy, THUMB_W, THUMB_H);
        cairo_fill(cr);
        if (tile.rgba.empty()) {
            cairo_set_source_rgb(cr, 0.8, 0.15, 0.1);
            cairo_set_line_width(cr, 3);
            cairo_move_to(cr, cx, cy);
            cairo_line_to(cr, cx + THUMB_W, cy + THUMB_H);
            cairo_move_to(cr, cx + THUMB_W, cy);
            cairo_line_to(cr, cx, cy + THUMB_H);
            cairo_stroke(cr);
        } else {
            int tw = 0, th = 0;
            std::vector<uint32_t> thumb = thumbnail(tile, tw, th);
            cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, tw, th);
            cairo_surface_flush(image);
            unsigned char* data = cairo_image_surface_get_data(image);
            const int stride = cairo_image_surface_get_stride(image);
            if (data) {
                for (int y = 0; y < th; ++y)
                    std::memcpy(data + size_t(y) * size_t(stride), &thumb[size_t(y) * size_t(tw)], size_t(tw) * 4);
                cairo_surface_mark_dirty(image);
                cairo_set_source_surface(cr, image, cx + (THUMB_W - tw) / 2, cy + (THUMB_H - th) / 2);
                cairo_paint(cr);
            }
            cairo_surface_destroy(image);
        }
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        label(cr, cx, cy + THUMB_H + 15, 11.5, tile.name, 0.92);
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        label(cr, cx, cy + THUMB_H + 29, 10, tile.kind, tile.rgba.empty() ? 0.75 : 0.6);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);

    bool ok = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
    std::vector<uint8_t> rgb(size_t(W) * size_t(H) * 3);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    if (ok && data) {
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                uint32_t v;
                std::memcpy(&v, data + size_t(y) * size_t(stride) + size_t(x) * 4, 4);
                uint8_t* p = &rgb[(size_t(y) * size_t(W) + size_t(x)) * 3];
                p[0] = uint8_t(v >> 16);
                p[1] = uint8_t(v >> 8);
                p[2] = uint8_t(v);
            }
    }
    cairo_surface_destroy(surface);
    if (!ok || !data) {
        error = "cairo could not draw the sheet";
        return false;
    }
    if (!write_png_file(png_path, rgb.data(), W, H, 3)) {
        error = "cannot write " + png_path;
        return false;
    }
    return true;
}
