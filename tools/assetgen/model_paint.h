// Painting helpers of the model-scene generators: a seeded random generator
// and smooth value noise, so every picture and the model come out the same on
// every run. No state beyond what a caller holds; depends on the standard
// library only.
#pragma once
#include <cstdint>

namespace modelgen {

// SplitMix64: a small generator whose whole sequence follows from its seed.
class Random {
public:
    explicit Random(uint64_t seed) : state(seed) {}
    uint64_t next();
    // Uniform in [0, 1).
    double uniform();
    // Uniform in [lo, hi).
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // An integer in [0, n), n > 0.
    int below(int n) { return static_cast<int>(uniform() * n); }

private:
    uint64_t state;
};

// Value noise in [0, 1]: random values on the integer lattice (hashed with
// `seed`), blended with a quintic fade, so the field is smooth everywhere.
double value_noise(double x, double y, uint32_t seed);
// `octaves` octaves of value noise, each at twice the frequency and `gain`
// times the amplitude of the one before, scaled back into [0, 1].
double fbm(double x, double y, uint32_t seed, int octaves, double gain = 0.5);

inline double clamp01(double v)
{
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}
inline double mix(double a, double b, double t)
{
    return a + (b - a) * t;
}
// 0 below e0, 1 above e1, a smooth cubic in between (e0 < e1).
double smoothstep(double e0, double e1, double v);
// A value in [0, 1] as a byte, rounded.
uint8_t to_byte(double v);

} // namespace modelgen
