// The model's texture: glowing particles in four 128 x 128 cells. The model
// draws it blended with source alpha over the backdrop, in opaque white, so
// the texture's own colour and alpha are what shows. Each cell fades to zero
// alpha well inside its edges (so linear filtering never pulls in a
// neighbour), and even transparent pixels keep the glow's hue, so the fringes
// of a magnified glow do not darken.
#include "tools/assetgen/model_content.h"
#include "tools/assetgen/model_paint.h"

#include <algorithm>
#include <cmath>

namespace modelgen {

namespace {

constexpr int SIZE = PARTICLES_SIZE;
constexpr int CELL = SIZE / 2;

struct Rgba {
    double r, g, b, a;
};

void put(std::vector<uint8_t>& pixels, int x, int y, const Rgba& c)
{
    uint8_t* p = &pixels[(static_cast<size_t>(y) * SIZE + x) * 4];
    p[0] = to_byte(c.r);
    p[1] = to_byte(c.g);
    p[2] = to_byte(c.b);
    p[3] = to_byte(c.a);
}

// Colour a to b by t.
Rgba hue(double r0, double g0, double b0, double r1, double g1, double b1, double t)
{
    return {mix(r0, r1, t), mix(g0, g1, t), mix(b0, b1, t), 0};
}

// A sodium-orange glow with a hot, nearly white core and a slightly smoky halo.
Rgba warm_glow(double x, double y)
{
    double r = std::hypot(x - 64, y - 64) / 58.0;
    double core = std::exp(-(r / 0.13) * (r / 0.13));
    double smoke = 0.75 + 0.5 * fbm(x / 11, y / 11, 401, 3);
    double halo = 0.85 * std::exp(-(r / 0.42) * (r / 0.42)) * smoke;
    Rgba c = hue(1.0, 0.50, 0.14, 1.0, 0.95, 0.78, clamp01(core * 1.2));
    c.a = clamp01(core + halo) * (1 - smoothstep(0.78, 1.0, r));
    return c;
}

// A cold blue-white star: a round glow with four long rays and four short
// diagonal ones.
Rgba cold_flare(double x, double y)
{
    double dx = x - 64, dy = y - 64;
    double r = std::hypot(dx, dy) / 58.0;
    double core = std::exp(-(r / 0.09) * (r / 0.09));
    double halo = 0.55 * std::exp(-(r / 0.3) * (r / 0.3));
    double along = 1 - smoothstep(0.0, 1.0, r);
    double rays = (std::exp(-std::abs(dy) / 1.3) + std::exp(-std::abs(dx) / 1.3)) * along * along;
    double d1 = (dx + dy) / std::sqrt(2.0), d2 = (dx - dy) / std::sqrt(2.0);
    double shortAlong = 1 - smoothstep(0.0, 0.5, r);
    double diagonals = 0.6 * (std::exp(-std::abs(d1) / 1.0) + std::exp(-std::abs(d2) / 1.0)) * shortAlong * shortAlong;
    double light = core + halo + 0.9 * rays + diagonals;
    Rgba c = hue(0.45, 0.62, 1.0, 0.92, 0.96, 1.0, clamp01(core + 0.5 * rays));
    c.a = clamp01(light) * (1 - smoothstep(0.85, 1.0, r));
    return c;
}

// A loose cloud of small sparks, warm and cold.
struct Spark {
    double x, y, radius, warm, brightness;
};

Rgba sparks(double x, double y, const std::vector<Spark>& list)
{
    double alpha = 0, warm = 0, weight = 1e-6;
    for (const Spark& s : list) {
        double d = std::hypot(x - s.x, y - s.y) / s.radius;
        double light = s.brightness * (std::exp(-d * d) + 0.25 * std::exp(-d * d / 9));
        alpha += light;
        warm += light * s.warm;
        weight += light;
    }
    double w = warm / weight;
    double centre = std::hypot(x - 64, y - 64) / 60.0;
    Rgba c = hue(0.55, 0.72, 1.0, 1.0, 0.66, 0.28, w);
    // Hot cores turn white.
    double hot = clamp01(alpha - 0.8);
    c = hue(c.r, c.g, c.b, 1.0, 0.97, 0.9, hot);
    c.a = clamp01(alpha) * (1 - smoothstep(0.85, 1.0, centre));
    return c;
}

// The ribbon band: x runs along the ribbon (its ends at the cell's left and
// right edges fade out), y across it: a soft band with a bright thread in
// the middle and strands along it. The hue drifts from sodium to cold blue.
Rgba ribbon(double x, double y)
{
    double across = std::abs(y - 64) / 60.0;
    double band = std::exp(-(across / 0.38) * (across / 0.38));
    double thread = 0.7 * std::exp(-(across / 0.06) * (across / 0.06));
    double streaks = 0.55 + 0.6 * fbm(x / 16, y / 3.0, 501, 3);
    double ends = smoothstep(1, 14, x) * smoothstep(1, 14, CELL - x);
    Rgba c = hue(1.0, 0.55, 0.18, 0.42, 0.58, 1.0, smoothstep(10, 118, x));
    c = hue(c.r, c.g, c.b, 1.0, 0.95, 0.85, clamp01(thread));
    c.a = clamp01(0.8 * band * streaks + thread) * ends * (1 - smoothstep(0.82, 1.0, across));
    return c;
}

} // namespace

std::vector<uint8_t> paint_particles()
{
    Random random(0x7061727469636C65ull);
    std::vector<Spark> sparkList;
    for (int i = 0; i < 16; ++i) {
        double angle = random.range(0, 6.283185307179586);
        double distance = 44 * std::sqrt(random.uniform());
        sparkList.push_back({64 + distance * std::cos(angle), 64 + distance * std::sin(angle), random.range(1.8, 5.5),
                             random.uniform() < 0.6 ? 1.0 : 0.0, random.range(0.5, 1.0)});
    }

    std::vector<uint8_t> pixels(static_cast<size_t>(SIZE) * SIZE * 4);
    for (int y = 0; y < CELL; ++y) {
        for (int x = 0; x < CELL; ++x) {
            double cx = x + 0.5, cy = y + 0.5;
            put(pixels, x, y, warm_glow(cx, cy));
            put(pixels, CELL + x, y, cold_flare(cx, cy));
            put(pixels, x, CELL + y, sparks(cx, cy, sparkList));
            put(pixels, CELL + x, CELL + y, ribbon(cx, cy));
        }
    }
    return pixels;
}

} // namespace modelgen
