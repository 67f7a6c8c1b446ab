// The synthesiser's building blocks (see synth_dsp.h).
#include "tools/assetgen/synth_dsp.h"

#include <cmath>

namespace synth {

namespace {

constexpr double TWO_PI = 6.283185307179586476925;
constexpr double LN2 = 0.693147180559945309417;
constexpr double LOG2_E = 1.442695040888963407360;
constexpr double LOG2_10_OVER_20 = 0.166096404744368117393;

// Correction of the naive waveform around a jump of -2 at phase 0, spread
// over one sample on each side.
double poly_blep(double t, double dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

} // namespace

double sin_turns(double x)
{
    // floor() is exact, so the reduction is too.
    double r = x - std::floor(x);
    if (r >= 0.5)
        r -= 1.0;
    if (r > 0.25)
        r = 0.5 - r;
    else if (r < -0.25)
        r = -0.5 - r;
    double t = TWO_PI * r; // [-pi/2, pi/2]
    double t2 = t * t;
    // Taylor series to t^15; the first term left out is below 1e-11.
    double p = -1.0 / 1307674368000.0;
    p = p * t2 + 1.0 / 6227020800.0;
    p = p * t2 - 1.0 / 39916800.0;
    p = p * t2 + 1.0 / 362880.0;
    p = p * t2 - 1.0 / 5040.0;
    p = p * t2 + 1.0 / 120.0;
    p = p * t2 - 1.0 / 6.0;
    return t + t * t2 * p;
}

double pow2(double x)
{
    if (x < -1000.0)
        return 0.0;
    double n = std::floor(x);
    double y = (x - n) * LN2; // [0, ln 2)
    // e^y by its series to y^14.
    double term = 1.0;
    double sum = 1.0;
    for (int i = 1; i <= 14; ++i) {
        term *= y / i;
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(n));
}

double db_gain(double db) { return pow2(db * LOG2_10_OVER_20); }

double note_hz(double note) { return 440.0 * pow2((note - 69.0) / 12.0); }

int64_t to_frames(double seconds) { return static_cast<int64_t>(std::floor(seconds * RATE + 0.5)); }

double decay_factor(double seconds)
{
    if (seconds <= 0.0)
        return 0.0;
    return pow2(-LOG2_E / (seconds * RATE));
}

Noise::Noise(uint64_t seed)
{
    // splitmix64 of the seed, so that neighbouring seeds start far apart and
    // the state is never zero.
    uint64_t z = seed + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    state = z ? z : 0x2545F4914F6CDD1Dull;
}

uint64_t Noise::bits()
{
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 0x2545F4914F6CDD1Dull;
}

double Noise::uniform() { return static_cast<double>(bits() >> 11) * (1.0 / 9007199254740992.0); }

double Noise::bipolar() { return 2.0 * uniform() - 1.0; }

double saw(Phase& phase)
{
    double t = phase.advance();
    return 2.0 * t - 1.0 - poly_blep(t, phase.step);
}

double pulse(Phase& phase, double width)
{
    double t = phase.advance();
    double value = t < width ? 1.0 : -1.0;
    value += poly_blep(t, phase.step);
    double shifted = t - width;
    if (shifted < 0.0)
        shifted += 1.0;
    value -= poly_blep(shifted, phase.step);
    return value;
}

double sine(Phase& phase) { return sin_turns(phase.advance()); }

Envelope::Envelope(double attack, double decay, double sustain, double release, double gate)
    : attackFrames(to_frames(attack) > 0 ? to_frames(attack) : 1),
      gateFrames(to_frames(gate) > 0 ? to_frames(gate) : 1),
      releaseFrames(to_frames(release) > 0 ? to_frames(release) : 1),
      sustain(sustain),
      decayFactor(sustain < 1.0 ? decay_factor(decay) : 1.0),
      // The curve falls to e^-4 of its start, then the floor is taken away.
      releaseFactor(decay_factor(static_cast<double>(releaseFrames) / RATE / 4.0)),
      releaseFloor(pow2(-4.0 * LOG2_E))
{
}

double Envelope::next()
{
    int64_t frame = frameIndex++;
    if (frame < gateFrames) {
        if (frame < attackFrames) {
            level = static_cast<double>(frame) / static_cast<double>(attackFrames);
        } else {
            level = sustain + (1.0 - sustain) * decayPart;
            decayPart *= decayFactor;
        }
        releaseStart = level;
        return level;
    }
    if (frame >= gateFrames + releaseFrames)
        return 0.0;
    releaseCurve *= releaseFactor;
    double shape = (releaseCurve - releaseFloor) / (1.0 - releaseFloor);
    // The last release sample is where the curve meets the floor; rounding
    // may leave a trace of either sign, so it is pinned to 0.
    if (shape < 0.0 || frame == gateFrames + releaseFrames - 1)
        shape = 0.0;
    return releaseStart * shape;
}

void Svf::set(double cutoffHz, double resonance)
{
    if (cutoffHz < 10.0)
        cutoffHz = 10.0;
    if (cutoffHz > 0.45 * RATE)
        cutoffHz = 0.45 * RATE;
    double turns = cutoffHz / (2.0 * RATE);
    double g = sin_turns(turns) / cos_turns(turns); // tan(pi fc / rate)
    k = 2.0 - 2.0 * resonance;
    a1 = 1.0 / (1.0 + g * (g + k));
    a2 = g * a1;
    a3 = g * a2;
}

void Svf::step(double in)
{
    double v3 = in - ic2;
    double v1 = a1 * ic1 + a2 * v3;
    double v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2.0 * v1 - ic1;
    ic2 = 2.0 * v2 - ic2;
    lowpass = v2;
    bandpass = v1;
}

void OnePole::set(double cutoffHz)
{
    coef = 1.0 - pow2(-TWO_PI * cutoffHz / RATE * LOG2_E);
}

} // namespace synth
