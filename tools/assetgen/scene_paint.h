// The painting kit of the scene pictures: a float RGB canvas, grey layers
// (coverage, alpha, masks), shapes rasterised by cairo, seeded noise, light
// and fog, and the filters that give the pictures their painted look (a
// Kuwahara filter that flattens colour into patches, brush-stroke texture).
// Everything is deterministic: randomness comes from Rng and the hash noise,
// both seeded by the caller. Depends on cairo and the picture writers.
#pragma once
#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace scene {

struct Rgb {
    float r = 0, g = 0, b = 0;
};
inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator-(Rgb a, Rgb b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Rgb operator*(Rgb a, float s) { return {a.r * s, a.g * s, a.b * s}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
inline Rgb mix(Rgb a, Rgb b, float t) { return a + (b - a) * t; }
inline float luma(Rgb c) { return 0.299f * c.r + 0.587f * c.g + 0.114f * c.b; }

inline float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline float smoothstep(float e0, float e1, float v)
{
    const float t = clamp01((v - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// A small seeded generator (splitmix64): the same seed always gives the same
// sequence, on every machine.
class Rng {
public:
    explicit Rng(uint64_t seed) : state(seed) {}
    uint64_t next();
    // Uniform in [lo, hi).
    double uniform(double lo = 0.0, double hi = 1.0);
    // Uniform integer in [0, n); n > 0.
    int below(int n);

private:
    uint64_t state;
};

// Value noise on a unit lattice, in [-1, 1], smooth (quintic fade).
float value_noise(float x, float y, uint32_t seed);
// Fractal sum of `octaves` value-noise layers, each twice the frequency and
// `gain` times the amplitude of the last; roughly in [-1, 1].
float fbm(float x, float y, uint32_t seed, int octaves, float gain = 0.5f);

// A grey layer: one float per pixel, 0..1, top row first.
struct Grey {
    int width = 0;
    int height = 0;
    std::vector<float> v;
    Grey() = default;
    Grey(int w, int h, float fill = 0.0f) : width(w), height(h), v(static_cast<size_t>(w) * h, fill) {}
    float& at(int x, int y) { return v[static_cast<size_t>(y) * width + x]; }
    float at(int x, int y) const { return v[static_cast<size_t>(y) * width + x]; }
    // Bilinear sample with the edges clamped.
    float sample(float x, float y) const;
};

// A colour picture: one Rgb per pixel, channels nominally 0..1, top row first.
struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<Rgb> px;
    Canvas(int w, int h) : width(w), height(h), px(static_cast<size_t>(w) * h) {}
    Rgb& at(int x, int y) { return px[static_cast<size_t>(y) * width + x]; }
    const Rgb& at(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
};

// Rasterises what `draw` paints (any opaque source) into an anti-aliased
// coverage layer of the given size. `draw` receives a fresh cairo context
// whose user space is the pixel grid.
Grey shape(int width, int height, const std::function<void(cairo_t*)>& draw);

// Per-pixel painting through a coverage layer: canvas = mix(canvas, colour,
// coverage * opacity). The colour function is called only where the coverage
// is positive.
void fill(Canvas& canvas, const Grey& cover, Rgb colour, float opacity = 1.0f);
template <typename ColourAt>
void fill_with(Canvas& canvas, const Grey& cover, ColourAt colour_at, float opacity = 1.0f)
{
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) {
            const float a = cover.at(x, y) * opacity;
            if (a > 0.0f)
                canvas.at(x, y) = mix(canvas.at(x, y), colour_at(x, y), a);
        }
}
// Sets every pixel from a function of its position.
template <typename ColourAt>
void paint_all(Canvas& canvas, ColourAt colour_at)
{
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x)
            canvas.at(x, y) = colour_at(x, y);
}

// dst = max(dst, src * scale): the union of two cut-outs.
void unite(Grey& dst, const Grey& src, float scale = 1.0f);
// dst = dst * (1 - src): what a later, nearer layer hides of a cut-out.
void subtract(Grey& dst, const Grey& src);
// Edge light: the part of the coverage whose neighbour (dx, dy) pixels away
// is uncovered, i.e. the rim of the shape facing the direction (dx, dy).
Grey rim(const Grey& cover, float dx, float dy);
// Separable box blur repeated three times (close to a Gaussian of about
// `radius` pixels).
void blur(Grey& layer, int radius);

// Adds light that falls off as 1 / (1 + (d / radius)^2), scaled by strength.
void add_glow(Canvas& canvas, float cx, float cy, float radius, Rgb colour, float strength);
// Adds an elliptical glow with a smooth (exponential) falloff: light pooling
// in fog. rx, ry are the radii at which it has fallen to 1/e.
void add_haze(Canvas& canvas, float cx, float cy, float rx, float ry, Rgb colour, float strength);
// Mixes the canvas towards `colour` by density(x, y) (0..1).
template <typename DensityAt>
void fog(Canvas& canvas, Rgb colour, DensityAt density_at)
{
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) {
            const float d = clamp01(density_at(x, y));
            if (d > 0.0f)
                canvas.at(x, y) = mix(canvas.at(x, y), colour, d);
        }
}

// Scatters `count` faint stars where `where(x, y)` is true.
void stars(Canvas& canvas, uint64_t seed, int count, const std::function<bool(int, int)>& where);

// Kuwahara filter: each pixel takes the mean colour of the least varied of
// the four (radius+1)-square quadrants around it, which flattens the picture
// into brush-like patches while keeping its edges.
void kuwahara(Canvas& canvas, int radius);
// Brush-stroke texture: a multiplicative grain stretched along a slowly
// turning stroke direction, `strength` around 0.05.
void brush_texture(Canvas& canvas, uint32_t seed, float strength);
// Darkens the corners: factor 1 - strength * r^2 (r = 1 at the corners).
void vignette(Canvas& canvas, float strength);

// 8-bit output (rounded, clamped): RGB triples or grey bytes, top row first.
std::vector<uint8_t> to_rgb8(const Canvas& canvas);
std::vector<uint8_t> to_grey8(const Grey& layer);

// Encoded files. Colour JPEG (baseline or progressive) and greyscale baseline
// JPEG at the scenes' quality; a GIF89a with a 256-level grey palette (grey
// level = palette index), optionally with black as its transparent index.
// An empty vector means the encoder refused, which the caller reports.
std::vector<uint8_t> colour_jpeg(const Canvas& canvas, bool progressive);
std::vector<uint8_t> grey_jpeg(const Grey& layer);
std::vector<uint8_t> grey_gif(const Grey& layer, bool transparentBlack);

} // namespace scene
