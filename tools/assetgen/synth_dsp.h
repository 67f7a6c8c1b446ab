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
    uint64_t m_state;
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
    int64_t length() const { return m_gateFrames + m_releaseFrames; }

private:
    int64_t m_frame = 0;
    int64_t m_attackFrames;
    int64_t m_gateFrames;
    int64_t m_releaseFrames;
    double m_sustain;
    double m_decayFactor;
    double m_decayPart = 1.0; // what is left of (1 - sustain) above the sustain level
    double m_level = 0.0;
    double m_releaseStart = 0.0;
    double m_releaseFactor;
    double m_releaseCurve = 1.0;
    double m_releaseFloor;
};

// State-variable filter (trapezoidal form): stable under fast cutoff changes.
class Svf {
public:
    void set(double cutoffHz, double resonance); // resonance 0 (none) .. ~0.95
    double low(double in) { step(in); return m_low; }
    double band(double in) { step(in); return m_band; }
    double high(double in) { step(in); return in - m_k * m_band - m_low; }

private:
    void step(double in);
    double m_a1 = 0.0, m_a2 = 0.0, m_a3 = 0.0, m_k = 2.0;
    double m_ic1 = 0.0, m_ic2 = 0.0;
    double m_low = 0.0, m_band = 0.0;
};

// One-pole low-pass; high() is what the low-pass leaves out.
class OnePole {
public:
    void set(double cutoffHz);
    double low(double in) { m_state += m_coef * (in - m_state); return m_state; }
    double high(double in) { return in - low(in); }

private:
    double m_coef = 1.0;
    double m_state = 0.0;
};

} // namespace synth
