// Building blocks of the soundtrack's synthesiser: math made of plain
// arithmetic (none of the C library's approximations, which differ between
// versions, so every machine computes the same bits; only the exact floor and
// ldexp are used), a seeded noise source, band-limited oscillators, an
// envelope without steps and filters. Everything runs at 44100 Hz; times are
// in seconds.
#pragma once
#include <cstdint>

namespace synth {

constexpr int32_t RATE = 44100;
constexpr double SAMPLE_TIME = 1.0 / RATE;

// sin(2 pi x), good to about 1e-7.
double sin_turns(double x);
inline double cos_turns(double x) { return sin_turns(x + 0.25); }
// 2^x, good to about 1e-12 of the result.
double pow2(double x);
// Gain of `db` decibels.
double db_gain(double db);
// Frequency of a MIDI note number (69 = A4 = 440 Hz); fractions detune.
double note_hz(double note);
// The sample index nearest to `seconds`.
int64_t to_frames(double seconds);
// Per-sample factor that shrinks a value to 1/e in `seconds`.
double decay_factor(double seconds);

// Seeded noise (xorshift64*): the same seed gives the same sequence.
class Noise {
public:
    explicit Noise(uint64_t seed);
    uint64_t bits();
    double uniform(); // [0, 1)
    double bipolar(); // [-1, 1)

private:
    uint64_t state;
};

// Phase in [0, 1) advanced by frequency / RATE per sample.
struct Phase {
    double value = 0.0;
    double step = 0.0;
    void set_hz(double hz) { step = hz * SAMPLE_TIME; }
    double advance()
    {
        double p = value;
        value += step;
        if (value >= 1.0)
            value -= 1.0;
        return p;
    }
};

// Sawtooth and pulse with polyBLEP edges (aliasing kept low), sine.
double saw(Phase& phase);
double pulse(Phase& phase, double width);
double sine(Phase& phase);

// Attack / decay / sustain / release. The attack is a straight rise from 0,
// the decay an exponential approach to the sustain level, and the release an
// exponential-looking fall from wherever the level is when the gate closes
// that lands exactly on 0 after `release` seconds: no step anywhere.
class Envelope {
public:
    Envelope(double attack, double decay, double sustain, double release, double gate);
    double next();
    // Samples until the level is back at 0 for good.
    int64_t length() const { return gateFrames + releaseFrames; }

private:
    int64_t frameIndex = 0;
    int64_t attackFrames;
    int64_t gateFrames;
    int64_t releaseFrames;
    double sustain;
    double decayFactor;
    double decayPart = 1.0; // what is left of (1 - sustain) above the sustain level
    double level = 0.0;
    double releaseStart = 0.0;
    double releaseFactor;
    double releaseCurve = 1.0;
    double releaseFloor;
};

// State-variable filter (trapezoidal form): stable under fast cutoff changes.
class Svf {
public:
    void set(double cutoffHz, double resonance); // resonance 0 (none) .. ~0.95
    double low(double in) { step(in); return lowpass; }
    double band(double in) { step(in); return bandpass; }
    double high(double in) { step(in); return in - k * bandpass - lowpass; }

private:
    void step(double in);
    double a1 = 0.0, a2 = 0.0, a3 = 0.0, k = 2.0;
    double ic1 = 0.0, ic2 = 0.0;
    double lowpass = 0.0, bandpass = 0.0;
};

// One-pole low-pass; high() is what the low-pass leaves out.
class OnePole {
public:
    void set(double cutoffHz);
    double low(double in) { state += coef * (in - state); return state; }
    double high(double in) { return in - low(in); }

private:
    double coef = 1.0;
    double state = 0.0;
};

} // namespace synth
