// Painting helpers of the content generator: float pictures, a seeded random
// generator, tileable value noise, blurs, a painterly (Kuwahara) filter, the
// bridge from cairo surfaces, and the reduction of a picture to a GIF palette.
// Everything here is deterministic: the same calls give the same bytes on
// every run, whatever the time or the working directory.
// Depends on cairo and the picture writers (tools/common/picture_writer.h).
#pragma once
#include <cairo.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace paint {

// Seeded generator (splitmix64): the only source of randomness in the pictures.
class Rng {
public:
    explicit Rng(uint64_t seed) : state(seed) {}
    uint64_t next();
    // Uniform in [0, 1).
    double uniform();
    // Uniform in [lo, hi).
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }

private:
    uint64_t state;
};

struct Rgb {
    float r, g, b;
};
Rgb mix(Rgb a, Rgb b, float t);
// A colour given as 0xRRGGBB.
Rgb hex(uint32_t rgb);

// One channel of floats, nominally 0..1 (a mask, an alpha or a grey picture).
struct Grey {
    int width = 0;
    int height = 0;
    std::vector<float> v;

    Grey() = default;
    Grey(int w, int h, float fill = 0.0f) : width(w), height(h), v(size_t(w) * size_t(h), fill) {}
    float& at(int x, int y) { return v[size_t(y) * size_t(width) + size_t(x)]; }
    float at(int x, int y) const { return v[size_t(y) * size_t(width) + size_t(x)]; }
};

// Red, green, blue floats per pixel, nominally 0..1, top row first.
struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<float> rgb;

    Canvas() = default;
    Canvas(int w, int h, Rgb fill = {0, 0, 0});
    float* at(int x, int y) { return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
    const float* at(int x, int y) const { return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3]; }

    // Paints `colour` over the picture with opacity mask * opacity.
    void blend(const Grey& mask, Rgb colour, float opacity = 1.0f);
    // Paints `over` onto the picture with opacity mask * opacity.
    void blend(const Grey& mask, const Canvas& over, float opacity = 1.0f);
    // Adds light: screen blend of colour * mask * gain (never passes 1).
    void light(const Grey& mask, Rgb colour, float gain = 1.0f);
};

// Vertical gradient through colour stops at fractions of the height (sorted).
struct Stop {
    float at;
    Rgb colour;
};
void vertical_gradient(Canvas& canvas, const std::vector<Stop>& stops);

// ---------------------------------------------------------------- noise ----

// Smooth value noise in [0, 1) on an integer lattice. A positive period
// wraps the lattice in that axis, so noise(x + period) == noise(x).
float value_noise(float x, float y, uint32_t seed, int period_x = 0, int period_y = 0);
// The same over three axes; the third usually counts the frames of a loop.
float value_noise3(float x, float y, float z, uint32_t seed, int period_x, int period_y, int period_z);
// Fractal sum of `octaves` octaves, each of double frequency and half
// amplitude, normalised to [0, 1). Periods (0: none) are those of the first
// octave and double with the frequency, so the sum wraps like its first octave.
float fbm(float x, float y, int octaves, uint32_t seed, int period_x = 0, int period_y = 0);
float fbm3(float x, float y, float z, int octaves, uint32_t seed, int period_x, int period_y, int period_z);

// ---------------------------------------------------------------- filters ----

// Approximate Gaussian blur of standard deviation `sigma` pixels (three box
// passes per axis, edges clamped). A constant picture stays constant.
void blur(Grey& grey, float sigma);
void blur(Canvas& canvas, float sigma);
// Kuwahara filter: each pixel takes the mean colour of the least varied of the
// four (radius + 1)-square quadrants around it. Flattens detail into
// brush-like patches while keeping edges.
void kuwahara(Canvas& canvas, int radius);
// Brush texture: multiplies the picture by 1 + amount * (n - 0.5), n a noise
// stretched `stretch` times along the direction `angle` (radians).
void brush_texture(Canvas& canvas, float amount, float scale, float stretch, float angle, uint32_t seed);

// ---------------------------------------------------------------- cairo ----

// Draws with cairo on a fresh transparent surface of the given size and
// returns its alpha (A8: paths and text become masks).
Grey cairo_mask(int width, int height, const std::function<void(cairo_t*)>& draw);

// ---------------------------------------------------------------- output ----

// Rounds 0..1 floats to bytes (clamped).
std::vector<uint8_t> to_bytes(const Canvas& canvas);
std::vector<uint8_t> to_bytes(const Grey& grey);

// Baseline JPEGs (colour or grey) of the pictures, at the given quality.
std::vector<uint8_t> jpeg_colour(const Canvas& canvas, int quality);
std::vector<uint8_t> jpeg_grey(const Grey& grey, int quality);
// GIF89a with 256 grey levels: each pixel's grey is kept exactly (to 8 bits).
std::vector<uint8_t> gif_grey(const Grey& grey);
// GIF89a of `indices` with `palette` (red, green, blue per entry).
std::vector<uint8_t> gif_indexed(int width, int height, const std::vector<uint8_t>& indices,
                                 const std::vector<uint8_t>& palette);

// A palette of at most `colours` entries (red, green, blue bytes each) for
// all the given pictures together, by median cut over their pixels.
std::vector<uint8_t> median_cut_palette(const std::vector<const Canvas*>& pictures, int colours);
// Maps each pixel to the nearest palette entry. `dither` (0..1) adds an
// ordered 4x4 pattern of that fraction of 32 levels first, fixed in place so
// that pictures of an animation do not shimmer.
std::vector<uint8_t> map_to_palette(const Canvas& canvas, const std::vector<uint8_t>& palette, float dither);

} // namespace paint
