// The soundtrack's instruments (see synth_instruments.h).
#include "tools/assetgen/synth_instruments.h"

#include "tools/assetgen/synth_dsp.h"

#include <algorithm>

namespace synth {

namespace {

// Filter settings move in steps of this many samples: often enough to be
// smooth, seldom enough to cost little.
constexpr int64_t CONTROL_FRAMES = 16;

// A frequency ratio of `cents` hundredths of a semitone.
double cents(double value) { return pow2(value / 1200.0); }

// Gentle saturation: odd, smooth, 0 at 0, slope 1 there.
double soft(double x) { return x / (1.0 + 0.25 * (x < 0.0 ? -x : x)); }

void put(Voice& voice, int64_t i, double left, double right)
{
    voice.left[static_cast<size_t>(i)] = static_cast<float>(left);
    voice.right[static_cast<size_t>(i)] = static_cast<float>(right);
}

// The six detuned squares of an analogue hi-hat, summed.
class Metal {
public:
    explicit Metal(double scale)
    {
        static const double BASE[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
        for (int i = 0; i < 6; ++i)
            phases[i].set_hz(BASE[i] * scale);
    }
    double next()
    {
        double sum = 0.0;
        for (Phase& phase : phases)
            sum += pulse(phase, 0.5);
        return sum / 6.0;
    }

private:
    Phase phases[6];
};

} // namespace

void pad(Voice& voice, const int* notes, int count, double gate, const PadStyle& style, uint64_t seed)
{
    constexpr int MAX_NOTES = 6;
    count = std::min(count, MAX_NOTES);
    Envelope envelope(style.attack, 1.0, 1.0, style.release, gate);
    voice.clear(envelope.length());
    Noise noise(seed);
    // Two saws per side per note, detuned outwards: -d, -d/3 left; +d/3, +d right.
    static const double SPREAD[4] = {-1.0, -1.0 / 3.0, 1.0 / 3.0, 1.0};
    Phase phases[MAX_NOTES][4];
    for (int n = 0; n < count; ++n) {
        for (int k = 0; k < 4; ++k) {
            phases[n][k].value = noise.uniform();
            phases[n][k].set_hz(note_hz(notes[n]) * cents(SPREAD[k] * style.detuneCents));
        }
    }
    Svf filterL, filterR;
    const double gateFrames = static_cast<double>(to_frames(gate));
    const double norm = 0.5 / (count > 0 ? count : 1);
    for (int64_t i = 0; i < voice.frames; ++i) {
        if (i % CONTROL_FRAMES == 0) {
            double x = std::min(1.0, static_cast<double>(i) / gateFrames);
            x = x * x * (3.0 - 2.0 * x);
            double cutoff = style.cutoffStart + (style.cutoffEnd - style.cutoffStart) * x;
            filterL.set(cutoff, 0.2);
            filterR.set(cutoff * 1.03, 0.2);
        }
        double left = 0.0, right = 0.0;
        for (int n = 0; n < count; ++n) {
            left += saw(phases[n][0]) + saw(phases[n][1]);
            right += saw(phases[n][2]) + saw(phases[n][3]);
        }
        double level = envelope.next() * norm;
        put(voice, i, filterL.low(left) * level, filterR.low(right) * level);
    }
}

void bass(Voice& voice, double note, double gate, double cutoff, double punch)
{
    Envelope envelope(0.004, 0.5, 0.75, 0.08, gate);
    voice.clear(envelope.length());
    Phase body, sub;
    body.set_hz(note_hz(note));
    sub.set_hz(note_hz(note));
    Svf filter;
    double sweep = 1.0;
    const double sweepFactor = decay_factor(0.09);
    for (int64_t i = 0; i < voice.frames; ++i) {
        if (i % CONTROL_FRAMES == 0)
            filter.set(cutoff * (1.0 + punch * sweep), 0.3);
        sweep *= sweepFactor;
        double value = 0.8 * filter.low(saw(body)) + 0.4 * sine(sub);
        value = soft(value) * envelope.next();
        put(voice, i, value, value);
    }
}

void pluck(Voice& voice, double note, double gate, double brightness)
{
    Envelope envelope(0.003, 0.35, 0.0, 0.12, gate);
    voice.clear(envelope.length());
    Phase a, b;
    a.set_hz(note_hz(note));
    b.set_hz(note_hz(note) * cents(6.0));
    Svf filter;
    double sweep = 1.0;
    const double sweepFactor = decay_factor(0.14);
    for (int64_t i = 0; i < voice.frames; ++i) {
        if (i % CONTROL_FRAMES == 0)
            filter.set(220.0 + 5200.0 * brightness * sweep, 0.35);
        sweep *= sweepFactor;
        double value = filter.low(0.6 * saw(a) + 0.4 * pulse(b, 0.3)) * envelope.next();
        put(voice, i, value, value);
    }
}

void bell(Voice& voice, double note, double length, double brightness)
{
    Envelope envelope(0.002, length / 3.0, 0.0, 0.3, length);
    voice.clear(envelope.length());
    Phase carrierL, carrierR, modulator;
    carrierL.set_hz(note_hz(note) * cents(-1.5));
    carrierR.set_hz(note_hz(note) * cents(1.5));
    modulator.set_hz(note_hz(note) * 3.5);
    // Index of modulation, in turns: bright at the strike, mellow after.
    double index = (0.25 + 0.35 * brightness);
    const double indexFactor = decay_factor(0.45);
    for (int64_t i = 0; i < voice.frames; ++i) {
        double mod = (0.025 + index) * sine(modulator);
        index *= indexFactor;
        double level = envelope.next();
        double left = sin_turns(carrierL.advance() + mod) * level;
        double right = sin_turns(carrierR.advance() + mod) * level;
        put(voice, i, left, right);
    }
}

void lead(Voice& voice, double note, double gate)
{
    Envelope envelope(0.05, 0.8, 0.7, 0.45, gate);
    voice.clear(envelope.length());
    Phase one, two, low, vibrato;
    const double hz = note_hz(note);
    const double stepOne = hz * cents(-6.0) * SAMPLE_TIME;
    const double stepTwo = hz * cents(6.0) * SAMPLE_TIME;
    const double stepLow = hz * 0.5 * SAMPLE_TIME;
    vibrato.set_hz(5.0);
    Svf filterL, filterR;
    double sweep = 1.0;
    const double sweepFactor = decay_factor(0.3);
    const int64_t vibratoStart = to_frames(0.35);
    const int64_t vibratoRamp = to_frames(0.6);
    for (int64_t i = 0; i < voice.frames; ++i) {
        if (i % CONTROL_FRAMES == 0) {
            double cutoff = 1100.0 + 2200.0 * sweep;
            filterL.set(cutoff, 0.25);
            filterR.set(cutoff, 0.25);
        }
        sweep *= sweepFactor;
        // Vibrato of about 9 cents, fading in after the note has settled.
        double depth = std::clamp(static_cast<double>(i - vibratoStart) / vibratoRamp, 0.0, 1.0) * 0.0052;
        double bend = 1.0 + depth * sine(vibrato);
        one.step = stepOne * bend;
        two.step = stepTwo * bend;
        low.step = stepLow * bend;
        double a = saw(one);
        double b = saw(two);
        double c = 0.35 * pulse(low, 0.5);
        double level = envelope.next() * 0.5;
        put(voice, i, filterL.low(0.65 * a + 0.35 * b + c) * level, filterR.low(0.35 * a + 0.65 * b + c) * level);
    }
}

void kick(Voice& voice, uint64_t seed)
{
    Envelope envelope(0.0008, 0.24, 0.0, 0.12, 0.55);
    voice.clear(envelope.length());
    Noise noise(seed);
    Phase body;
    OnePole clickTone;
    clickTone.set(2500.0);
    double drop = 1.0;
    const double dropFactor = decay_factor(0.032);
    double click = 1.0;
    const double clickFactor = decay_factor(0.004);
    for (int64_t i = 0; i < voice.frames; ++i) {
        body.set_hz(52.0 + 100.0 * drop);
        drop *= dropFactor;
        double value = sine(body) + 0.3 * click * clickTone.low(noise.bipolar());
        click *= clickFactor;
        value = soft(1.2 * value) * envelope.next();
        put(voice, i, value, value);
    }
}

void snare(Voice& voice, uint64_t seed)
{
    Envelope envelope(0.0006, 1.0, 1.0, 0.2, 0.4);
    voice.clear(envelope.length());
    Noise noise(seed);
    Phase low, high;
    low.set_hz(185.0);
    high.set_hz(330.0);
    Svf wash;
    wash.set(1800.0, 0.1);
    OnePole top;
    top.set(7000.0);
    double body = 1.0, hiss = 1.0;
    const double bodyFactor = decay_factor(0.07);
    const double hissFactor = decay_factor(0.13);
    for (int64_t i = 0; i < voice.frames; ++i) {
        double tone = (sine(low) + 0.5 * sine(high)) * body;
        double rattle = top.low(wash.high(noise.bipolar())) * hiss;
        body *= bodyFactor;
        hiss *= hissFactor;
        double value = (0.5 * tone + 0.9 * rattle) * envelope.next();
        put(voice, i, value, value);
    }
}

void hat(Voice& voice, bool open, uint64_t seed)
{
    Envelope envelope(0.0005, open ? 0.22 : 0.028, 0.0, open ? 0.1 : 0.03, open ? 0.5 : 0.1);
    voice.clear(envelope.length());
    Noise noise(seed);
    Metal metal(1.6);
    Svf air, ring;
    air.set(6500.0, 0.2);
    ring.set(8000.0, 0.5);
    OnePole top;
    top.set(10000.0);
    for (int64_t i = 0; i < voice.frames; ++i) {
        double value = top.low(0.7 * air.high(noise.bipolar()) + 0.6 * ring.band(metal.next())) * envelope.next();
        put(voice, i, value, value);
    }
}

void rim(Voice& voice, uint64_t seed)
{
    Envelope envelope(0.0005, 0.022, 0.0, 0.03, 0.08);
    voice.clear(envelope.length());
    Noise noise(seed);
    Phase tone;
    tone.set_hz(1650.0);
    Svf knock;
    knock.set(2600.0, 0.6);
    for (int64_t i = 0; i < voice.frames; ++i) {
        double value = (0.6 * sine(tone) + 0.8 * knock.band(noise.bipolar())) * envelope.next();
        put(voice, i, value, value);
    }
}

void tom(Voice& voice, double note)
{
    Envelope envelope(0.001, 0.22, 0.0, 0.1, 0.55);
    voice.clear(envelope.length());
    Phase body;
    const double hz = note_hz(note);
    double drop = 1.0;
    const double dropFactor = decay_factor(0.05);
    for (int64_t i = 0; i < voice.frames; ++i) {
        body.set_hz(hz * (1.0 + 0.6 * drop));
        drop *= dropFactor;
        double value = sine(body) * envelope.next();
        put(voice, i, value, value);
    }
}

void crash(Voice& voice, double length, uint64_t seed)
{
    Envelope envelope(0.001, length / 4.0, 0.0, 0.3, length);
    voice.clear(envelope.length());
    Noise noise(seed);
    Metal metal(2.3);
    Svf airL, airR, ring;
    airL.set(3200.0, 0.1);
    airR.set(3400.0, 0.1);
    ring.set(6000.0, 0.4);
    OnePole topL, topR;
    topL.set(8000.0);
    topR.set(8000.0);
    for (int64_t i = 0; i < voice.frames; ++i) {
        double shimmer = 0.5 * ring.band(metal.next());
        double level = envelope.next();
        double left = topL.low(0.8 * airL.high(noise.bipolar()) + shimmer) * level;
        double right = topR.low(0.8 * airR.high(noise.bipolar()) + shimmer) * level;
        put(voice, i, left, right);
    }
}

void impact(Voice& voice, uint64_t seed)
{
    Envelope envelope(0.001, 1.1, 0.0, 0.6, 3.2);
    voice.clear(envelope.length());
    Noise noise(seed);
    Phase body, over;
    OnePole dark;
    dark.set(700.0);
    double drop = 1.0;
    const double dropFactor = decay_factor(0.3);
    double burst = 1.0;
    const double burstFactor = decay_factor(0.15);
    for (int64_t i = 0; i < voice.frames; ++i) {
        double hz = 38.0 + 45.0 * drop;
        drop *= dropFactor;
        body.set_hz(hz);
        over.set_hz(2.0 * hz);
        double value = 0.85 * sine(body) + 0.3 * sine(over) + 0.9 * burst * dark.low(noise.bipolar());
        burst *= burstFactor;
        value *= envelope.next();
        put(voice, i, value, value);
    }
}

void riser(Voice& voice, double length, uint64_t seed)
{
    const int64_t frames = std::max<int64_t>(2, to_frames(length));
    const int64_t tail = std::min<int64_t>(frames - 1, to_frames(0.012));
    voice.clear(frames);
    Noise noise(seed);
    Svf sweepL, sweepR;
    for (int64_t i = 0; i < frames; ++i) {
        double x = static_cast<double>(i) / static_cast<double>(frames);
        if (i % CONTROL_FRAMES == 0) {
            sweepL.set(300.0 + 6500.0 * x * x, 0.55);
            sweepR.set(330.0 + 6800.0 * x * x, 0.55);
        }
        // Swells as x^2 and is cut off by a short ramp at the end.
        double level = x * x * std::min(1.0, static_cast<double>(frames - 1 - i) / static_cast<double>(tail));
        put(voice, i, sweepL.band(noise.bipolar()) * level, sweepR.band(noise.bipolar()) * level);
    }
}

} // namespace synth
