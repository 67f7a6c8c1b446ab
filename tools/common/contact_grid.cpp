// The contact sheet's layout and drawing. See contact_grid.h.
#include "tools/common/contact_grid.h"

#include "tools/common/picture_writer.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr int MARGIN = 16;
constexpr int LABEL_H = 38;
constexpr int HEADER_H = 36;
constexpr int CELL_W = GRID_THUMB_WIDTH + MARGIN;
constexpr int CELL_H = GRID_THUMB_HEIGHT + LABEL_H;

void label(cairo_t* cr, double x, double y, double size, const std::string& text, double grey)
{
    cairo_set_font_size(cr, size);
    cairo_set_source_rgb(cr, grey, grey, grey);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, text.c_str());
}

void draw_tile(cairo_t* cr, const GridTile& tile, int cx, int cy)
{
    cairo_set_source_rgb(cr, 0.07, 0.07, 0.08);
    cairo_rectangle(cr, cx, cy, GRID_THUMB_WIDTH, GRID_THUMB_HEIGHT);
    cairo_fill(cr);
    if (tile.thumb.empty()) {
        cairo_set_source_rgb(cr, 0.8, 0.15, 0.1);
        cairo_set_line_width(cr, 3);
        cairo_move_to(cr, cx, cy);
        cairo_line_to(cr, cx + GRID_THUMB_WIDTH, cy + GRID_THUMB_HEIGHT);
        cairo_move_to(cr, cx + GRID_THUMB_WIDTH, cy);
        cairo_line_to(cr, cx, cy + GRID_THUMB_HEIGHT);
        cairo_stroke(cr);
    } else {
        cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, tile.width, tile.height);
        cairo_surface_flush(image);
        unsigned char* data = cairo_image_surface_get_data(image);
        const int stride = cairo_image_surface_get_stride(image);
        if (data) {
            for (int y = 0; y < tile.height; ++y)
                std::memcpy(data + size_t(y) * size_t(stride), &tile.thumb[size_t(y) * size_t(tile.width)],
                            size_t(tile.width) * 4);
            cairo_surface_mark_dirty(image);
            cairo_set_source_surface(cr, image, cx + (GRID_THUMB_WIDTH - tile.width) / 2,
                                     cy + (GRID_THUMB_HEIGHT - tile.height) / 2);
            cairo_paint(cr);
        }
        cairo_surface_destroy(image);
    }
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    label(cr, cx, cy + GRID_THUMB_HEIGHT + 15, 11.5, tile.title, 0.92);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    label(cr, cx, cy + GRID_THUMB_HEIGHT + 29, 10, tile.detail, tile.thumb.empty() ? 0.75 : 0.6);
}

} // namespace

void set_text_options(cairo_t* cr)
{
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

GridTile make_grid_tile(const uint8_t* pixels, int w, int h, int channels, std::string title, std::string detail)
{
    GridTile tile;
    tile.title = std::move(title);
    tile.detail = std::move(detail);
    if (!pixels || w <= 0 || h <= 0)
        return tile;
    int ow = 0, oh = 0;
    int up = std::min({GRID_THUMB_WIDTH / w, GRID_THUMB_HEIGHT / h, 4});
    if (up >= 2) {
        ow = w * up;
        oh = h * up;
    } else {
        double s = std::min({double(GRID_THUMB_WIDTH) / w, double(GRID_THUMB_HEIGHT) / h, 1.0});
        ow = std::max(1, int(w * s + 0.5));
        oh = std::max(1, int(h * s + 0.5));
    }
    tile.width = ow;
    tile.height = oh;
    tile.thumb.resize(size_t(ow) * size_t(oh));
    for (int oy = 0; oy < oh; ++oy) {
        int y0 = int(int64_t(oy) * h / oh), y1 = std::max(y0 + 1, int(int64_t(oy + 1) * h / oh));
        for (int ox = 0; ox < ow; ++ox) {
            int x0 = int(int64_t(ox) * w / ow), x1 = std::max(x0 + 1, int(int64_t(ox + 1) * w / ow));
            double sum[3] = {0, 0, 0};
            double checker = ((ox / 8 + oy / 8) % 2) ? 0x55 : 0x38;
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x) {
                    const uint8_t* p = &pixels[(size_t(y) * size_t(w) + size_t(x)) * size_t(channels)];
                    double a = channels == 4 ? p[3] / 255.0 : 1.0;
                    for (int c = 0; c < 3; ++c)
                        sum[c] += p[c] * a + checker * (1.0 - a);
                }
            double n = double((x1 - x0) * (y1 - y0));
            uint32_t rgb = 0;
            for (int c = 0; c < 3; ++c)
                rgb = rgb << 8 | uint32_t(std::min(255.0, sum[c] / n + 0.5));
            tile.thumb[size_t(oy) * size_t(ow) + size_t(ox)] = rgb;
        }
    }
    return tile;
}

bool write_grid_png(const std::string& png_path, const std::string& header, const std::vector<GridTile>& tiles,
                    int columns, std::string& error)
{
    const int rows = int((tiles.size() + size_t(columns) - 1) / size_t(columns));
    const int W = MARGIN + columns * CELL_W, H = HEADER_H + rows * CELL_H + MARGIN;

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, W, H);
    cairo_t* cr = cairo_create(surface);
    set_text_options(cr);
    cairo_set_source_rgb(cr, 0.12, 0.125, 0.14);
    cairo_paint(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    label(cr, MARGIN, 24, 15, header, 0.9);
    for (size_t i = 0; i < tiles.size(); ++i)
        draw_tile(cr, tiles[i], MARGIN + int(i % size_t(columns)) * CELL_W,
                  HEADER_H + int(i / size_t(columns)) * CELL_H);
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
    std::string reason;
    if (!write_png_file(png_path, rgb.data(), W, H, 3, false, &reason)) {
        error = "cannot write " + png_path + ": " + reason;
        return false;
    }
    return true;
}
