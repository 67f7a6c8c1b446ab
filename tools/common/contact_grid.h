// A contact sheet: small pictures in a grid on a dark page, each with a bold
// title and a line of detail under it, and a header line, written as PNG.
// Used for the embedded pictures (vigil-assetgen) and for the demo itself,
// one frame every few seconds (vigil-capture). Labels are drawn with cairo.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

typedef struct _cairo cairo_t;

// One cell of the sheet. The picture is kept only as its thumbnail.
struct GridTile {
    std::string title;
    std::string detail;
    int width = 0; // thumbnail size; 0 when the picture is missing (a crossed box)
    int height = 0;
    std::vector<uint32_t> thumb; // 0xRRGGBB, top row first
};

// The thumbnail box: a 1024x640 picture fits it exactly.
constexpr int GRID_THUMB_WIDTH = 224;
constexpr int GRID_THUMB_HEIGHT = 140;

// A tile of `width` x `height` pixels of `channels` bytes (3: RGB, 4: RGBA,
// with alpha shown over a grey checkerboard), top row first, scaled into the
// thumbnail box: area averages when shrinking, whole-pixel enlargement (up
// to 4x) for small pictures. Null pixels give a missing-picture tile.
GridTile make_grid_tile(const uint8_t* pixels, int width, int height, int channels, std::string title,
                        std::string detail);

// Draws the tiles in rows of `columns` under `header` and writes the PNG.
// False, with a reason in `error`, when cairo fails or the file cannot be
// written.
bool write_grid_png(const std::string& png_path, const std::string& header, const std::vector<GridTile>& tiles,
                    int columns, std::string& error);

// Grey antialiasing without hinting, so that drawn text does not depend on
// the machine's font settings: the same pixels on every machine.
void set_text_options(cairo_t* cr);
