// Seeded random numbers and value noise for the model-scene generators.
#include "tools/assetgen/model_paint.h"

#include <cmath>

namespace modelgen {

uint64_t Random::next()
{
    state += 0x9E3779B97F4A7C15ull;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Random::uniform()
{
    return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0);
}

namespace {

// A value in [0, 1] for the lattice point (x, y).
double lattice(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = seed * 0x9E3779B1u;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA6Bu;
    h = (h ^ (h >> 13)) * 0xC2B2AE35u;
    h ^= static_cast<uint32_t>(y) * 0x27D4EB2Fu;
    h = (h ^ (h >> 15)) * 0x165667B1u;
    h ^= h >> 16;
    return static_cast<double>(h) / 4294967295.0;
}

double fade(double t)
{
    return t * t * t * (t * (t * 6 - 15) + 10);
}

} // namespace

double value_noise(double x, double y, uint32_t seed)
{
    double fx = std::floor(x);
    double fy = std::floor(y);
    auto ix = static_cast<int32_t>(fx);
    auto iy = static_cast<int32_t>(fy);
    double u = fade(x - fx);
    double v = fade(y - fy);
    double top = mix(lattice(ix, iy, seed), lattice(ix + 1, iy, seed), u);
    double bottom = mix(lattice(ix, iy + 1, seed), lattice(ix + 1, iy + 1, seed), u);
    return mix(top, bottom, v);
}

double fbm(double x, double y, uint32_t seed, int octaves, double gain)
{
    double sum = 0;
    double amplitude = 1;
    double total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * value_noise(x, y, seed + static_cast<uint32_t>(i) * 7919u);
        total += amplitude;
        amplitude *= gain;
        x = x * 2.03 + 17.1;
        y = y * 2.03 - 9.7;
    }
    return sum / total;
}

double smoothstep(double e0, double e1, double v)
{
    double t = clamp01((v - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

uint8_t to_byte(double v)
{
    return static_cast<uint8_t>(std::lround(clamp01(v) * 255.0));
}

} // namespace modelgen
