// Painting helpers of the content generator. See interface_paint.h.
#include "tools/assetgen/interface_paint.h"

#include "tools/common/contact_grid.h"
#include "tools/common/picture_writer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace paint {

uint64_t Rng::next()
{
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Rng::uniform()
{
    return double(next() >> 11) * (1.0 / 9007199254740992.0);
}

Rgb mix(Rgb a, Rgb b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb hex(uint32_t rgb)
{
    return {float((rgb >> 16) & 255) / 255.0f, float((rgb >> 8) & 255) / 255.0f, float(rgb & 255) / 255.0f};
}

Canvas::Canvas(int w, int h, Rgb fill) : width(w), height(h), rgb(size_t(w) * size_t(h) * 3)
{
    for (size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = fill.r;
        rgb[i + 1] = fill.g;
        rgb[i + 2] = fill.b;
    }
}

void Canvas::blend(const Grey& mask, Rgb colour, float opacity)
{
    for (size_t i = 0; i < mask.v.size(); ++i) {
        float a = mask.v[i] * opacity;
        float* p = &rgb[i * 3];
        p[0] += (colour.r - p[0]) * a;
        p[1] += (colour.g - p[1]) * a;
        p[2] += (colour.b - p[2]) * a;
    }
}

void Canvas::blend(const Grey& mask, const Canvas& over, float opacity)
{
    for (size_t i = 0; i < mask.v.size(); ++i) {
        float a = mask.v[i] * opacity;
        float* p = &rgb[i * 3];
        const float* q = &over.rgb[i * 3];
        for (int c = 0; c < 3; ++c)
            p[c] += (q[c] - p[c]) * a;
    }
}

void Canvas::light(const Grey& mask, Rgb colour, float gain)
{
    for (size_t i = 0; i < mask.v.size(); ++i) {
        float a = std::clamp(mask.v[i] * gain, 0.0f, 1.0f);
        float* p = &rgb[i * 3];
        p[0] = 1.0f - (1.0f - p[0]) * (1.0f - colour.r * a);
        p[1] = 1.0f - (1.0f - p[1]) * (1.0f - colour.g * a);
        p[2] = 1.0f - (1.0f - p[2]) * (1.0f - colour.b * a);
    }
}

void vertical_gradient(Canvas& canvas, const std::vector<Stop>& stops)
{
    for (int y = 0; y < canvas.height; ++y) {
        float f = (float(y) + 0.5f) / float(canvas.height);
        Rgb c = stops.front().colour;
        for (size_t s = 1; s < stops.size(); ++s) {
            if (f <= stops[s].at) {
                float span = stops[s].at - stops[s - 1].at;
                float t = span > 0 ? std::clamp((f - stops[s - 1].at) / span, 0.0f, 1.0f) : 1.0f;
                c = mix(stops[s - 1].colour, stops[s].colour, t);
                break;
            }
            c = stops[s].colour;
        }
        for (int x = 0; x < canvas.width; ++x) {
            float* p = canvas.at(x, y);
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        }
    }
}

// ---------------------------------------------------------------- noise ----

namespace {

uint32_t hash(int32_t x, int32_t y, int32_t z, uint32_t seed)
{
    uint32_t h = seed * 0x9E3779B9u;
    h ^= uint32_t(x) * 0x85EBCA6Bu;
    h = (h ^ (h >> 15)) * 0x2C1B3C6Du;
    h ^= uint32_t(y) * 0xC2B2AE35u;
    h = (h ^ (h >> 13)) * 0x297A2D39u;
    h ^= uint32_t(z) * 0x27D4EB2Fu;
    h = (h ^ (h >> 16)) * 0x7FEB352Du;
    h = (h ^ (h >> 15)) * 0x846CA68Bu;
    return h ^ (h >> 16);
}

float lattice(int32_t x, int32_t y, int32_t z, uint32_t seed)
{
    return float(hash(x, y, z, seed) >> 8) * (1.0f / 16777216.0f);
}

int32_t wrap(int32_t i, int period)
{
    if (period <= 0)
        return i;
    int32_t m = i % period;
    return m < 0 ? m + period : m;
}

float fade(float t)
{
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

} // namespace

float value_noise3(float x, float y, float z, uint32_t seed, int period_x, int period_y, int period_z)
{
    float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    auto ix = int32_t(fx), iy = int32_t(fy), iz = int32_t(fz);
    float tx = fade(x - fx), ty = fade(y - fy), tz = fade(z - fz);
    int32_t x0 = wrap(ix, period_x), x1 = wrap(ix + 1, period_x);
    int32_t y0 = wrap(iy, period_y), y1 = wrap(iy + 1, period_y);
    int32_t z0 = wrap(iz, period_z), z1 = wrap(iz + 1, period_z);
    float p[2];
    const int32_t zs[2] = {z0, z1};
    for (int i = 0; i < 2; ++i) {
        float a0 = lattice(x0, y0, zs[i], seed), a1 = lattice(x1, y0, zs[i], seed);
        float b0 = lattice(x0, y1, zs[i], seed), b1 = lattice(x1, y1, zs[i], seed);
        float a = a0 + (a1 - a0) * tx;
        float b = b0 + (b1 - b0) * tx;
        p[i] = a + (b - a) * ty;
    }
    return p[0] + (p[1] - p[0]) * tz;
}

float value_noise(float x, float y, uint32_t seed, int period_x, int period_y)
{
    float fx = std::floor(x), fy = std::floor(y);
    auto ix = int32_t(fx), iy = int32_t(fy);
    float tx = fade(x - fx), ty = fade(y - fy);
    int32_t x0 = wrap(ix, period_x), x1 = wrap(ix + 1, period_x);
    int32_t y0 = wrap(iy, period_y), y1 = wrap(iy + 1, period_y);
    float a0 = lattice(x0, y0, 0, seed), a1 = lattice(x1, y0, 0, seed);
    float b0 = lattice(x0, y1, 0, seed), b1 = lattice(x1, y1, 0, seed);
    float a = a0 + (a1 - a0) * tx;
    float b = b0 + (b1 - b0) * tx;
    return a + (b - a) * ty;
}

float fbm3(float x, float y, float z, int octaves, uint32_t seed, int period_x, int period_y, int period_z)
{
    float sum = 0.0f, amplitude = 1.0f, total = 0.0f, frequency = 1.0f;
    for (int o = 0; o < octaves; ++o) {
        int scale = 1 << o;
        sum += amplitude * value_noise3(x * frequency, y * frequency, z * frequency, seed + uint32_t(o) * 1013u,
                                        period_x * scale, period_y * scale, period_z * scale);
        total += amplitude;
        amplitude *= 0.5f;
        frequency *= 2.0f;
    }
    return sum / total;
}

float fbm(float x, float y, int octaves, uint32_t seed, int period_x, int period_y)
{
    float sum = 0.0f, amplitude = 1.0f, total = 0.0f, frequency = 1.0f;
    for (int o = 0; o < octaves; ++o) {
        int scale = 1 << o;
        sum += amplitude *
               value_noise(x * frequency, y * frequency, seed + uint32_t(o) * 1013u, period_x * scale, period_y * scale);
        total += amplitude;
        amplitude *= 0.5f;
        frequency *= 2.0f;
    }
    return sum / total;
}

// ---------------------------------------------------------------- filters ----

namespace {

// Box radii of three passes whose sum approximates a Gaussian of `sigma`.
std::array<int, 3> box_radii(float sigma)
{
    double ideal = std::sqrt(12.0 * double(sigma) * double(sigma) / 3.0 + 1.0);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0)
        --lower;
    int upper = lower + 2;
    double mIdeal = (12.0 * double(sigma) * sigma - 3.0 * lower * lower - 12.0 * lower - 9.0) / (-4.0 * lower - 4.0);
    int m = int(std::lround(mIdeal));
    std::array<int, 3> radii{};
    for (int i = 0; i < 3; ++i)
        radii[size_t(i)] = ((i < m ? lower : upper) - 1) / 2;
    return radii;
}

// One box pass over `count` samples spaced `stride` apart in `data`
// (`channels` interleaved), edges clamped. `scratch` holds one line.
void box_line(float* data, int count, size_t stride, int channels, int radius, std::vector<double>& scratch)
{
    if (radius <= 0)
        return;
    // The line with `radius + 1` copies of its end samples on either side.
    const int padded = count + 2 * radius + 2;
    scratch.resize(size_t(padded));
    double* line = scratch.data();
    const double norm = 1.0 / double(2 * radius + 1);
    for (int c = 0; c < channels; ++c) {
        float* d = data + c;
        for (int i = 0; i < padded; ++i) {
            int src = std::clamp(i - radius - 1, 0, count - 1);
            line[i] = double(d[size_t(src) * stride]);
        }
        // Output i averages padded samples i + 1 .. i + 2 radius + 1.
        double sum = 0.0;
        for (int i = 1; i <= 2 * radius + 1; ++i)
            sum += line[i];
        for (int i = 0; i < count; ++i) {
            d[size_t(i) * stride] = float(sum * norm);
            sum += line[i + 2 * radius + 2] - line[i + 1];
        }
    }
}

void blur_planes(float* data, int width, int height, int channels, float sigma)
{
    if (sigma <= 0.0f || width <= 0 || height <= 0)
        return;
    std::vector<double> scratch;
    for (int radius : box_radii(sigma)) {
        for (int y = 0; y < height; ++y)
            box_line(data + size_t(y) * size_t(width) * size_t(channels), width, size_t(channels), channels, radius,
                     scratch);
        for (int x = 0; x < width; ++x)
            box_line(data + size_t(x) * size_t(channels), height, size_t(width) * size_t(channels), channels, radius,
                     scratch);
    }
}

} // namespace

void blur(Grey& grey, float sigma)
{
    blur_planes(grey.v.data(), grey.width, grey.height, 1, sigma);
}

void blur(Canvas& canvas, float sigma)
{
    blur_planes(canvas.rgb.data(), canvas.width, canvas.height, 3, sigma);
}

void kuwahara(Canvas& canvas, int radius)
{
    const int w = canvas.width, h = canvas.height;
    if (radius <= 0 || w <= 0 || h <= 0)
        return;
    // Summed-area tables (one row and column of zeros in front) of red,
    // green, blue, luminance and its square.
    const size_t stride = size_t(w) + 1;
    std::vector<double> tables[5];
    for (auto& t : tables)
        t.assign(stride * (size_t(h) + 1), 0.0);
    for (int y = 0; y < h; ++y) {
        double row[5] = {0, 0, 0, 0, 0};
        for (int x = 0; x < w; ++x) {
            const float* p = canvas.at(x, y);
            double lum = 0.3 * p[0] + 0.59 * p[1] + 0.11 * p[2];
            const double s[5] = {p[0], p[1], p[2], lum, lum * lum};
            const size_t above = size_t(y) * stride + size_t(x) + 1, here = above + stride;
            for (int k = 0; k < 5; ++k) {
                row[k] += s[k];
                tables[k][here] = tables[k][above] + row[k];
            }
        }
    }
    Canvas out(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            // Quadrants [x0, x1] x [y0, y1], clipped to the picture.
            const int qx[2][2] = {{std::max(x - radius, 0), x}, {x, std::min(x + radius, w - 1)}};
            const int qy[2][2] = {{std::max(y - radius, 0), y}, {y, std::min(y + radius, h - 1)}};
            double best = 0.0;
            size_t corners[4] = {0, 0, 0, 0};
            double best_n = 1.0;
            for (int q = 0; q < 4; ++q) {
                const int* rx = qx[q & 1];
                const int* ry = qy[q >> 1];
                const size_t a = size_t(ry[0]) * stride + size_t(rx[0]), b = size_t(ry[0]) * stride + size_t(rx[1]) + 1;
                const size_t c = (size_t(ry[1]) + 1) * stride + size_t(rx[0]), d = (size_t(ry[1]) + 1) * stride + size_t(rx[1]) + 1;
                const double n = double((rx[1] - rx[0] + 1) * (ry[1] - ry[0] + 1));
                const double mean = (tables[3][d] - tables[3][b] - tables[3][c] + tables[3][a]) / n;
                const double variance = (tables[4][d] - tables[4][b] - tables[4][c] + tables[4][a]) / n - mean * mean;
                if (q == 0 || variance < best) {
                    best = variance;
                    corners[0] = a;
                    corners[1] = b;
                    corners[2] = c;
                    corners[3] = d;
                    best_n = n;
                }
            }
            float* o = out.at(x, y);
            for (int k = 0; k < 3; ++k) {
                const std::vector<double>& t = tables[k];
                o[k] = float((t[corners[3]] - t[corners[1]] - t[corners[2]] + t[corners[0]]) / best_n);
            }
        }
    }
    canvas.rgb.swap(out.rgb);
}

void brush_texture(Canvas& canvas, float amount, float scale, float stretch, float angle, uint32_t seed)
{
    const float ca = std::cos(angle), sa = std::sin(angle);
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width; ++x) {
            float u = (float(x) * ca + float(y) * sa) / (scale * stretch);
            float v = (-float(x) * sa + float(y) * ca) / scale;
            float k = 1.0f + amount * (fbm(u, v, 3, seed) - 0.5f);
            float* p = canvas.at(x, y);
            p[0] *= k;
            p[1] *= k;
            p[2] *= k;
        }
    }
}

// ---------------------------------------------------------------- cairo ----

Grey cairo_mask(int width, int height, const std::function<void(cairo_t*)>& draw)
{
    Grey mask(width, height);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
    cairo_t* cr = cairo_create(surface);
    ::set_text_options(cr);
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
    draw(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    if (data && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                mask.at(x, y) = float(data[size_t(y) * size_t(stride) + size_t(x)]) / 255.0f;
    }
    cairo_surface_destroy(surface);
    return mask;
}

// ---------------------------------------------------------------- output ----

namespace {

uint8_t to_byte(float v)
{
    return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}

} // namespace

std::vector<uint8_t> to_bytes(const Canvas& canvas)
{
    std::vector<uint8_t> out(canvas.rgb.size());
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = to_byte(canvas.rgb[i]);
    return out;
}

std::vector<uint8_t> to_bytes(const Grey& grey)
{
    std::vector<uint8_t> out(grey.v.size());
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = to_byte(grey.v[i]);
    return out;
}

std::vector<uint8_t> jpeg_colour(const Canvas& canvas, int quality)
{
    std::vector<uint8_t> bytes = to_bytes(canvas), out;
    encode_jpeg(out, bytes.data(), canvas.width, canvas.height, 3, quality, false);
    return out;
}

std::vector<uint8_t> jpeg_grey(const Grey& grey, int quality)
{
    std::vector<uint8_t> bytes = to_bytes(grey), out;
    encode_jpeg(out, bytes.data(), grey.width, grey.height, 1, quality, false);
    return out;
}

std::vector<uint8_t> gif_indexed(int width, int height, const std::vector<uint8_t>& indices,
                                 const std::vector<uint8_t>& palette)
{
    GifPicture picture;
    picture.screenWidth = picture.width = width;
    picture.screenHeight = picture.height = height;
    picture.indices = indices;
    picture.palette = palette;
    std::vector<uint8_t> out;
    encode_gif(out, picture);
    return out;
}

std::vector<uint8_t> gif_grey(const Grey& grey)
{
    std::vector<uint8_t> palette(256 * 3);
    for (int i = 0; i < 256; ++i)
        palette[size_t(i) * 3] = palette[size_t(i) * 3 + 1] = palette[size_t(i) * 3 + 2] = uint8_t(i);
    return gif_indexed(grey.width, grey.height, to_bytes(grey), palette);
}

namespace {

// Histogram cell of 6 bits per channel with the sums of the exact colours in it.
struct Cell {
    uint32_t key;
    uint64_t count;
    uint64_t sum[3];
};

int cell_axis(uint32_t key, int axis)
{
    return int((key >> (12 - 6 * axis)) & 63);
}

struct Box {
    std::vector<Cell> cells;
    uint64_t count = 0;
    int longest = 0; // axis of the widest extent
    int extent = 0;  // that extent, in cells

    void measure()
    {
        count = 0;
        int lo[3] = {63, 63, 63}, hi[3] = {0, 0, 0};
        for (const Cell& c : cells) {
            count += c.count;
            for (int a = 0; a < 3; ++a) {
                lo[a] = std::min(lo[a], cell_axis(c.key, a));
                hi[a] = std::max(hi[a], cell_axis(c.key, a));
            }
        }
        extent = -1;
        for (int a = 0; a < 3; ++a)
            if (hi[a] - lo[a] > extent) {
                extent = hi[a] - lo[a];
                longest = a;
            }
    }
};

} // namespace

std::vector<uint8_t> median_cut_palette(const std::vector<const Canvas*>& pictures, int colours)
{
    std::vector<Cell> histogram(1u << 18);
    for (uint32_t k = 0; k < histogram.size(); ++k)
        histogram[k].key = k;
    for (const Canvas* picture : pictures) {
        std::vector<uint8_t> bytes = to_bytes(*picture);
        for (size_t i = 0; i < bytes.size(); i += 3) {
            uint32_t key = uint32_t(bytes[i] >> 2) << 12 | uint32_t(bytes[i + 1] >> 2) << 6 | uint32_t(bytes[i + 2] >> 2);
            Cell& c = histogram[key];
            ++c.count;
            for (int a = 0; a < 3; ++a)
                c.sum[a] += bytes[i + size_t(a)];
        }
    }
    std::vector<Box> boxes(1);
    for (const Cell& c : histogram)
        if (c.count)
            boxes[0].cells.push_back(c);
    boxes[0].measure();
    if (boxes[0].cells.empty())
        return std::vector<uint8_t>(3, 0);

    while (int(boxes.size()) < colours) {
        // Split the box with the most pixels times the square of its extent.
        int pick = -1;
        double best = 0.0;
        for (size_t b = 0; b < boxes.size(); ++b) {
            if (boxes[b].cells.size() < 2)
                continue;
            double score = double(boxes[b].count) * double(boxes[b].extent) * double(boxes[b].extent);
            if (pick < 0 || score > best) {
                best = score;
                pick = int(b);
            }
        }
        if (pick < 0)
            break;
        Box& box = boxes[size_t(pick)];
        const int axis = box.longest;
        std::sort(box.cells.begin(), box.cells.end(), [axis](const Cell& a, const Cell& b) {
            int va = cell_axis(a.key, axis), vb = cell_axis(b.key, axis);
            return va != vb ? va < vb : a.key < b.key;
        });
        // First cell past half of the pixels, keeping both halves non-empty.
        uint64_t half = box.count / 2, running = 0;
        size_t cut = 1;
        for (size_t i = 0; i + 1 < box.cells.size(); ++i) {
            running += box.cells[i].count;
            cut = i + 1;
            if (running >= half)
                break;
        }
        Box upper;
        upper.cells.assign(box.cells.begin() + std::ptrdiff_t(cut), box.cells.end());
        box.cells.resize(cut);
        box.measure();
        upper.measure();
        boxes.push_back(std::move(upper));
    }

    std::vector<uint8_t> palette;
    for (const Box& box : boxes) {
        uint64_t sum[3] = {0, 0, 0};
        for (const Cell& c : box.cells)
            for (int a = 0; a < 3; ++a)
                sum[a] += c.sum[a];
        for (int a = 0; a < 3; ++a)
            palette.push_back(uint8_t((sum[a] + box.count / 2) / box.count));
    }
    return palette;
}

std::vector<uint8_t> map_to_palette(const Canvas& canvas, const std::vector<uint8_t>& palette, float dither)
{
    static const int BAYER[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    const size_t entries = palette.size() / 3;
    std::vector<int16_t> lookup(1u << 18, -1);
    auto nearest = [&](uint32_t key) {
        if (lookup[key] >= 0)
            return uint8_t(lookup[key]);
        // Centre of the cell, in 8-bit levels.
        int c[3] = {cell_axis(key, 0) * 4 + 2, cell_axis(key, 1) * 4 + 2, cell_axis(key, 2) * 4 + 2};
        int best = 0;
        long best_distance = -1;
        for (size_t e = 0; e < entries; ++e) {
            long d = 0;
            for (int a = 0; a < 3; ++a) {
                long diff = long(palette[e * 3 + size_t(a)]) - c[a];
                d += diff * diff;
            }
            if (best_distance < 0 || d < best_distance) {
                best_distance = d;
                best = int(e);
            }
        }
        lookup[key] = int16_t(best);
        return uint8_t(best);
    };
    std::vector<uint8_t> indices(size_t(canvas.width) * size_t(canvas.height));
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width; ++x) {
            float offset = (float(BAYER[y & 3][x & 3]) - 7.5f) / 16.0f * dither * 32.0f / 255.0f;
            const float* p = canvas.at(x, y);
            uint32_t key = 0;
            for (int a = 0; a < 3; ++a)
                key = key << 6 | uint32_t(to_byte(p[a] + offset) >> 2);
            indices[size_t(y) * size_t(canvas.width) + size_t(x)] = nearest(key);
        }
    }
    return indices;
}

} // namespace paint
