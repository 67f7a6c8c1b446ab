// The painting kit of the scene pictures. See scene_paint.h.
#include "tools/assetgen/scene_paint.h"

#include "tools/common/picture_writer.h"

#include <algorithm>
#include <cstring>

namespace scene {

namespace {

constexpr int JPEG_QUALITY = 90;

uint32_t hash2(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = seed * 0x9E3779B1u;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA77u;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE3Du;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float lattice(int32_t x, int32_t y, uint32_t seed)
{
    return static_cast<float>(hash2(x, y, seed) & 0xFFFFFFu) * (2.0f / 16777215.0f) - 1.0f;
}

float fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }

uint8_t to_byte(float v)
{
    return static_cast<uint8_t>(std::lround(clamp01(v) * 255.0f));
}

} // namespace

uint64_t Rng::next()
{
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Rng::uniform(double lo, double hi)
{
    return lo + (hi - lo) * static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0);
}

int Rng::below(int n)
{
    return static_cast<int>(next() % static_cast<uint64_t>(n));
}

float value_noise(float x, float y, uint32_t seed)
{
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int32_t ix = static_cast<int32_t>(fx);
    const int32_t iy = static_cast<int32_t>(fy);
    const float u = fade(x - fx);
    const float v = fade(y - fy);
    const float a = lattice(ix, iy, seed);
    const float b = lattice(ix + 1, iy, seed);
    const float c = lattice(ix, iy + 1, seed);
    const float d = lattice(ix + 1, iy + 1, seed);
    return a + (b - a) * u + (c - a) * v + (a - b - c + d) * u * v;
}

float fbm(float x, float y, uint32_t seed, int octaves, float gain)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float norm = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * value_noise(x, y, seed + static_cast<uint32_t>(i) * 1013u);
        norm += amplitude;
        amplitude *= gain;
        // Rotate and double between octaves so the lattices do not line up.
        const float nx = 1.6f * x + 1.2f * y + 17.3f;
        const float ny = -1.2f * x + 1.6f * y + 5.1f;
        x = nx;
        y = ny;
    }
    return sum / norm;
}

float Grey::sample(float x, float y) const
{
    x = std::clamp(x, 0.0f, static_cast<float>(width - 1));
    y = std::clamp(y, 0.0f, static_cast<float>(height - 1));
    const int x0 = static_cast<int>(x);
    const int y0 = static_cast<int>(y);
    const int x1 = std::min(x0 + 1, width - 1);
    const int y1 = std::min(y0 + 1, height - 1);
    const float u = x - static_cast<float>(x0);
    const float t = y - static_cast<float>(y0);
    const float top = at(x0, y0) + (at(x1, y0) - at(x0, y0)) * u;
    const float bottom = at(x0, y1) + (at(x1, y1) - at(x0, y1)) * u;
    return top + (bottom - top) * t;
}

Grey shape(int width, int height, const std::function<void(cairo_t*)>& draw)
{
    // One A8 surface is kept and cleared between shapes: the painters make
    // dozens of shapes of the same size.
    static cairo_surface_t* surface = nullptr;
    if (!surface || cairo_image_surface_get_width(surface) != width ||
        cairo_image_surface_get_height(surface) != height) {
        if (surface)
            cairo_surface_destroy(surface);
        surface = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
    }
    cairo_t* cr = cairo_create(surface);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_set_source_rgba(cr, 1, 1, 1, 1);
    draw(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    Grey out(width, height);
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        const unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                out.at(x, y) = static_cast<float>(data[static_cast<size_t>(y) * stride + x]) * (1.0f / 255.0f);
    }
    return out;
}

void fill(Canvas& canvas, const Grey& cover, Rgb colour, float opacity)
{
    fill_with(canvas, cover, [&](int, int) { return colour; }, opacity);
}

void unite(Grey& dst, const Grey& src, float scale)
{
    for (size_t i = 0; i < dst.v.size(); ++i)
        dst.v[i] = std::max(dst.v[i], src.v[i] * scale);
}

void subtract(Grey& dst, const Grey& src)
{
    for (size_t i = 0; i < dst.v.size(); ++i)
        dst.v[i] *= 1.0f - src.v[i];
}

Grey rim(const Grey& cover, float dx, float dy)
{
    Grey out(cover.width, cover.height);
    for (int y = 0; y < cover.height; ++y)
        for (int x = 0; x < cover.width; ++x) {
            const float c = cover.at(x, y);
            if (c > 0.0f)
                out.at(x, y) = c * clamp01(1.0f - cover.sample(static_cast<float>(x) + dx, static_cast<float>(y) + dy));
        }
    return out;
}

void blur(Grey& layer, int radius)
{
    if (radius < 1)
        return;
    const int w = layer.width;
    const int h = layer.height;
    std::vector<float> line(static_cast<size_t>(std::max(w, h)));
    const float norm = 1.0f / static_cast<float>(2 * radius + 1);
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y) {
            float sum = 0.0f;
            for (int i = -radius; i <= radius; ++i)
                sum += layer.at(std::clamp(i, 0, w - 1), y);
            for (int x = 0; x < w; ++x) {
                line[static_cast<size_t>(x)] = sum * norm;
                sum += layer.at(std::min(x + radius + 1, w - 1), y) - layer.at(std::max(x - radius, 0), y);
            }
            for (int x = 0; x < w; ++x)
                layer.at(x, y) = line[static_cast<size_t>(x)];
        }
        for (int x = 0; x < w; ++x) {
            float sum = 0.0f;
            for (int i = -radius; i <= radius; ++i)
                sum += layer.at(x, std::clamp(i, 0, h - 1));
            for (int y = 0; y < h; ++y) {
                line[static_cast<size_t>(y)] = sum * norm;
                sum += layer.at(x, std::min(y + radius + 1, h - 1)) - layer.at(x, std::max(y - radius, 0));
            }
            for (int y = 0; y < h; ++y)
                layer.at(x, y) = line[static_cast<size_t>(y)];
        }
    }
}

void add_glow(Canvas& canvas, float cx, float cy, float radius, Rgb colour, float strength)
{
    const float inv = 1.0f / (radius * radius);
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) {
            const float dx = static_cast<float>(x) - cx;
            const float dy = static_cast<float>(y) - cy;
            const float k = strength / (1.0f + (dx * dx + dy * dy) * inv);
            canvas.at(x, y) = canvas.at(x, y) + colour * k;
        }
}

void add_haze(Canvas& canvas, float cx, float cy, float rx, float ry, Rgb colour, float strength)
{
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) {
            const float dx = (static_cast<float>(x) - cx) / rx;
            const float dy = (static_cast<float>(y) - cy) / ry;
            const float d2 = dx * dx + dy * dy;
            if (d2 < 30.0f)
                canvas.at(x, y) = canvas.at(x, y) + colour * (strength * std::exp(-d2));
        }
}

void stars(Canvas& canvas, uint64_t seed, int count, const std::function<bool(int, int)>& where)
{
    Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        const int x = rng.below(canvas.width);
        const int y = rng.below(canvas.height);
        const float bright = static_cast<float>(rng.uniform(0.15, 0.6));
        if (!where(x, y))
            continue;
        const Rgb tint{0.85f, 0.9f, 1.0f};
        canvas.at(x, y) = canvas.at(x, y) + tint * bright;
        if (bright > 0.45f && x + 1 < canvas.width && y + 1 < canvas.height) {
            canvas.at(x + 1, y) = canvas.at(x + 1, y) + tint * (bright * 0.35f);
            canvas.at(x, y + 1) = canvas.at(x, y + 1) + tint * (bright * 0.35f);
        }
    }
}

void kuwahara(Canvas& canvas, int radius)
{
    const int w = canvas.width;
    const int h = canvas.height;
    const size_t sw = static_cast<size_t>(w) + 1;
    // Summed-area tables of r, g, b, luma and luma squared, so each quadrant's
    // mean and variance cost four look-ups.
    std::vector<double> sums[5];
    for (auto& s : sums)
        s.assign(sw * (static_cast<size_t>(h) + 1), 0.0);
    for (int y = 0; y < h; ++y) {
        double row[5] = {0, 0, 0, 0, 0};
        for (int x = 0; x < w; ++x) {
            const Rgb c = canvas.at(x, y);
            const double l = luma(c);
            const double values[5] = {c.r, c.g, c.b, l, l * l};
            for (int k = 0; k < 5; ++k) {
                row[k] += values[k];
                sums[k][(static_cast<size_t>(y) + 1) * sw + static_cast<size_t>(x) + 1] =
                    sums[k][static_cast<size_t>(y) * sw + static_cast<size_t>(x) + 1] + row[k];
            }
        }
    }
    auto area = [&](int k, int x0, int y0, int x1, int y1) { // inclusive corners, clamped
        x0 = std::max(x0, 0);
        y0 = std::max(y0, 0);
        x1 = std::min(x1, w - 1);
        y1 = std::min(y1, h - 1);
        const std::vector<double>& s = sums[k];
        const size_t a = static_cast<size_t>(y0) * sw + static_cast<size_t>(x0);
        const size_t b = static_cast<size_t>(y0) * sw + static_cast<size_t>(x1) + 1;
        const size_t c = (static_cast<size_t>(y1) + 1) * sw + static_cast<size_t>(x0);
        const size_t d = (static_cast<size_t>(y1) + 1) * sw + static_cast<size_t>(x1) + 1;
        return s[d] - s[b] - s[c] + s[a];
    };
    std::vector<Rgb> out(canvas.px.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int quads[4][4] = {{x - radius, y - radius, x, y},
                                     {x, y - radius, x + radius, y},
                                     {x - radius, y, x, y + radius},
                                     {x, y, x + radius, y + radius}};
            double best = 1e30;
            Rgb chosen = canvas.at(x, y);
            for (const auto& q : quads) {
                const int x0 = std::max(q[0], 0), y0 = std::max(q[1], 0);
                const int x1 = std::min(q[2], w - 1), y1 = std::min(q[3], h - 1);
                const double n = static_cast<double>((x1 - x0 + 1) * (y1 - y0 + 1));
                const double mean = area(3, q[0], q[1], q[2], q[3]) / n;
                const double variance = area(4, q[0], q[1], q[2], q[3]) / n - mean * mean;
                if (variance < best) {
                    best = variance;
                    chosen = {static_cast<float>(area(0, q[0], q[1], q[2], q[3]) / n),
                              static_cast<float>(area(1, q[0], q[1], q[2], q[3]) / n),
                              static_cast<float>(area(2, q[0], q[1], q[2], q[3]) / n)};
                }
            }
            out[static_cast<size_t>(y) * w + x] = chosen;
        }
    canvas.px.swap(out);
}

void brush_texture(Canvas& canvas, uint32_t seed, float strength)
{
    // Three grains, each stretched along a fixed direction, blended by a
    // slowly turning direction field. Rotating the coordinates themselves by
    // the field would bend the grain into rings where the field turns.
    constexpr int DIRECTIONS = 3;
    float cosines[DIRECTIONS], sines[DIRECTIONS];
    for (int k = 0; k < DIRECTIONS; ++k) {
        const float a = 0.35f + 3.14159265f * static_cast<float>(k) / DIRECTIONS;
        cosines[k] = std::cos(a);
        sines[k] = std::sin(a);
    }
    // The direction field changes over hundreds of pixels: sample it on a
    // coarse grid and interpolate.
    constexpr int STEP = 8;
    Grey field(canvas.width / STEP + 2, canvas.height / STEP + 2);
    for (int gy = 0; gy < field.height; ++gy)
        for (int gx = 0; gx < field.width; ++gx)
            field.at(gx, gy) = 3.14159265f * (0.2f + 0.7f * fbm(static_cast<float>(gx * STEP) * 0.003f,
                                                                  static_cast<float>(gy * STEP) * 0.003f, seed, 2));
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) {
            const float fx = static_cast<float>(x);
            const float fy = static_cast<float>(y);
            const float direction = field.sample(fx / STEP, fy / STEP);
            float grain = 0.0f;
            float total = 0.0f;
            for (int k = 0; k < DIRECTIONS; ++k) {
                const float a = 0.35f + 3.14159265f * static_cast<float>(k) / DIRECTIONS;
                const float lobe = 0.5f + 0.5f * std::cos(2.0f * (direction - a));
                const float weight = lobe * lobe * lobe * lobe;
                if (weight < 0.01f)
                    continue;
                const float along = fx * cosines[k] + fy * sines[k];
                const float across = -fx * sines[k] + fy * cosines[k];
                const uint32_t s = seed + 7u * static_cast<uint32_t>(k + 1);
                grain += weight * (0.65f * value_noise(along * 0.07f, across * 0.45f, s) +
                                   0.35f * value_noise(along * 0.16f, across * 1.1f, s + 3u));
                total += weight;
            }
            if (total > 0.0f)
                canvas.at(x, y) = canvas.at(x, y) * (1.0f + strength * grain / total);
        }
}

void vignette(Canvas& canvas, float strength)
{
    const float hx = static_cast<float>(canvas.width) * 0.5f;
    const float hy = static_cast<float>(canvas.height) * 0.5f;
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) {
            const float dx = (static_cast<float>(x) - hx) / hx;
            const float dy = (static_cast<float>(y) - hy) / hy;
            canvas.at(x, y) = canvas.at(x, y) * (1.0f - strength * 0.5f * (dx * dx + dy * dy));
        }
}

std::vector<uint8_t> to_rgb8(const Canvas& canvas)
{
    std::vector<uint8_t> out(canvas.px.size() * 3);
    for (size_t i = 0; i < canvas.px.size(); ++i) {
        out[3 * i] = to_byte(canvas.px[i].r);
        out[3 * i + 1] = to_byte(canvas.px[i].g);
        out[3 * i + 2] = to_byte(canvas.px[i].b);
    }
    return out;
}

std::vector<uint8_t> to_grey8(const Grey& layer)
{
    std::vector<uint8_t> out(layer.v.size());
    for (size_t i = 0; i < layer.v.size(); ++i)
        out[i] = to_byte(layer.v[i]);
    return out;
}

std::vector<uint8_t> colour_jpeg(const Canvas& canvas, bool progressive)
{
    std::vector<uint8_t> out;
    const std::vector<uint8_t> pixels = to_rgb8(canvas);
    encode_jpeg(out, pixels.data(), canvas.width, canvas.height, 3, JPEG_QUALITY, progressive);
    return out;
}

std::vector<uint8_t> grey_jpeg(const Grey& layer)
{
    std::vector<uint8_t> out;
    const std::vector<uint8_t> pixels = to_grey8(layer);
    encode_jpeg(out, pixels.data(), layer.width, layer.height, 1, JPEG_QUALITY, false);
    return out;
}

std::vector<uint8_t> grey_gif(const Grey& layer, bool transparentBlack)
{
    GifPicture picture;
    picture.screenWidth = picture.width = layer.width;
    picture.screenHeight = picture.height = layer.height;
    // The palette holds every grey level, so the index of a pixel is its
    // level: quantising to the palette is rounding to 8 bits.
    picture.palette.resize(256 * 3);
    for (int i = 0; i < 256; ++i)
        std::memset(&picture.palette[static_cast<size_t>(i) * 3], i, 3);
    picture.indices = to_grey8(layer);
    // Black is index 0; as the transparent index it decodes as black anyway,
    // and marks the cut-out's empty part for other viewers.
    picture.transparentIndex = transparentBlack ? 0 : -1;
    std::vector<uint8_t> out;
    encode_gif(out, picture);
    return out;
}

} // namespace scene
