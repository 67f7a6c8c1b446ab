// The mixing desk (see synth_mix.h).
#include "tools/assetgen/synth_mix.h"

#include "tools/assetgen/synth_dsp.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace synth {

namespace {

// A delay line of fixed length: read() gives what was written `length`
// samples ago.
class DelayLine {
public:
    explicit DelayLine(int64_t length) : buffer(static_cast<size_t>(length), 0.0f) {}
    float read() const { return buffer[pos]; }
    void write(float value)
    {
        buffer[pos] = value;
        if (++pos == buffer.size())
            pos = 0;
    }

private:
    std::vector<float> buffer;
    size_t pos = 0;
};

// Schroeder all-pass: smears transients into a dense wash without
// colouring the spectrum.
class AllPass {
public:
    AllPass(int64_t length, double gain) : line(length), gain(gain) {}
    double process(double in)
    {
        double delayed = line.read();
        double v = in + gain * delayed;
        line.write(static_cast<float>(v));
        return delayed - gain * v;
    }

private:
    DelayLine line;
    double gain;
};

// Eight delay lines fed back through a Householder matrix, each with a
// low-pass so the tail darkens as it decays; the left input feeds the even
// lines, the right the odd ones, and the two outputs take the lines with
// different signs, which keeps the tail wide.
class Reverb {
public:
    Reverb(double seconds, double damping)
    {
        static const int64_t LENGTHS[LINES] = {1447, 1601, 1753, 1867, 2029, 2203, 2371, 2539};
        for (int i = 0; i < LINES; ++i) {
            lines.emplace_back(LENGTHS[i]);
            // Each pass through line i must lose its share of 60 dB.
            feedback[i] = db_gain(-60.0 * static_cast<double>(LENGTHS[i]) / (seconds * RATE));
            damp[i].set(damping);
        }
        static const int64_t DIFFUSERS[] = {142, 379, 107, 277};
        for (int64_t length : DIFFUSERS)
            diffusers.emplace_back(length, 0.6);
    }

    void process(double inL, double inR, double* outL, double* outR)
    {
        // Input diffusion: two all-passes per side.
        inL = diffusers[1].process(diffusers[0].process(inL));
        inR = diffusers[3].process(diffusers[2].process(inR));
        double y[LINES];
        double sum = 0.0;
        for (int i = 0; i < LINES; ++i) {
            y[i] = damp[i].low(lines[i].read()) * feedback[i];
            sum += y[i];
        }
        sum *= 2.0 / LINES;
        for (int i = 0; i < LINES; ++i)
            lines[i].write(static_cast<float>(y[i] - sum + ((i & 1) ? inR : inL)));
        *outL = (y[0] - y[1] + y[2] - y[3] + y[4] - y[5] + y[6] - y[7]) * 0.35;
        *outR = (y[0] + y[1] - y[2] - y[3] + y[4] + y[5] - y[6] - y[7]) * 0.35;
    }

private:
    static constexpr int LINES = 8;
    std::vector<DelayLine> lines;
    std::vector<AllPass> diffusers;
    double feedback[LINES] = {};
    OnePole damp[LINES];
};

} // namespace

void Voice::clear(int64_t count)
{
    frames = count;
    left.assign(static_cast<size_t>(count), 0.0f);
    right.assign(static_cast<size_t>(count), 0.0f);
}

Mix::Mix(int64_t frames)
    : frameCount(frames),
      dryL(static_cast<size_t>(frames)), dryR(static_cast<size_t>(frames)),
      reverbL(static_cast<size_t>(frames)), reverbR(static_cast<size_t>(frames)),
      delayL(static_cast<size_t>(frames)), delayR(static_cast<size_t>(frames))
{
}

void Mix::add(int64_t start, const Voice& voice, const Sends& sends)
{
    int64_t first = std::max<int64_t>(0, -start);
    int64_t last = std::min<int64_t>(voice.frames, frameCount - start);
    if (first >= last)
        return;
    // Equal-power pan, normalised so that the centre leaves both sides as they are.
    double angle = (std::clamp(sends.pan, -1.0, 1.0) + 1.0) / 8.0;
    double gainL = sends.gain * cos_turns(angle) * 1.4142135623730951;
    double gainR = sends.gain * sin_turns(angle) * 1.4142135623730951;
    const float* inL = voice.left.data();
    const float* inR = voice.right.data();
    float rev = static_cast<float>(sends.reverb);
    float dly = static_cast<float>(sends.delay);
    for (int64_t i = first; i < last; ++i) {
        size_t at = static_cast<size_t>(start + i);
        float l = static_cast<float>(inL[i] * gainL);
        float r = static_cast<float>(inR[i] * gainR);
        dryL[at] += l;
        dryR[at] += r;
        if (rev != 0.0f) {
            reverbL[at] += l * rev;
            reverbR[at] += r * rev;
        }
        if (dly != 0.0f) {
            delayL[at] += l * dly;
            delayR[at] += r * dly;
        }
    }
}

std::vector<int16_t> Mix::master(const MasterSettings& settings)
{
    // The delay first: a ping-pong whose repeats lose their lows and highs,
    // and part of whose output goes on into the reverb.
    DelayLine pingL(std::max<int64_t>(1, to_frames(settings.delaySeconds)));
    DelayLine pingR(std::max<int64_t>(1, to_frames(settings.delaySeconds)));
    OnePole repeatLow, repeatHigh;
    repeatLow.set(3200.0);
    repeatHigh.set(180.0);
    float* dlyL = delayL.data();
    float* dlyR = delayR.data();
    float* revL = reverbL.data();
    float* revR = reverbR.data();
    for (int64_t i = 0; i < frameCount; ++i) {
        double outL = pingL.read();
        double outR = pingR.read();
        double back = repeatHigh.high(repeatLow.low(outR)) * settings.delayFeedback;
        pingL.write(static_cast<float>(0.5 * (dlyL[i] + dlyR[i]) + back));
        pingR.write(static_cast<float>(outL * settings.delayFeedback));
        dlyL[i] = static_cast<float>(outL * settings.delayLevel);
        dlyR[i] = static_cast<float>(outR * settings.delayLevel);
        revL[i] += static_cast<float>(outL * settings.delayToReverb);
        revR[i] += static_cast<float>(outR * settings.delayToReverb);
    }

    Reverb reverb(settings.reverbSeconds, settings.reverbDamping);
    Svf rumbleL, rumbleR; // takes away what lies below hearing, and any offset
    rumbleL.set(30.0, 0.0);
    rumbleR.set(30.0, 0.0);
    const int64_t fadeFrames = to_frames(settings.fadeOutSeconds);
    double peak = 0.0;
    for (int64_t i = 0; i < frameCount; ++i) {
        double wetL = 0.0, wetR = 0.0;
        reverb.process(revL[i], revR[i], &wetL, &wetR);
        double l = dryL[i] + dlyL[i] + wetL * settings.reverbLevel;
        double r = dryR[i] + dlyR[i] + wetR * settings.reverbLevel;
        l = rumbleL.high(l);
        r = rumbleR.high(r);
        int64_t left = frameCount - 1 - i;
        if (left < fadeFrames) {
            // Half a cosine from 1 down to exactly 0 at the last frame.
            double x = static_cast<double>(left) / static_cast<double>(fadeFrames);
            double fade = 0.5 - 0.5 * cos_turns(0.5 * x);
            l *= fade;
            r *= fade;
        }
        // The dry bus has been read for this frame: it holds the mix from now on.
        dryL[i] = static_cast<float>(l);
        dryR[i] = static_cast<float>(r);
        peak = std::max({peak, std::fabs(double(dryL[i])), std::fabs(double(dryR[i]))});
    }

    limit(peak * db_gain(-settings.limitDb));
    peak = 0.0;
    for (int64_t i = 0; i < frameCount; ++i)
        peak = std::max({peak, std::fabs(double(dryL[i])), std::fabs(double(dryR[i]))});
    double scale = peak > 0.0 ? db_gain(settings.peakDb) / peak : 0.0;
    std::vector<int16_t> pcm(2 * static_cast<size_t>(frameCount));
    auto quantise = [scale](float value) {
        double sample = std::floor(value * scale * 32767.0 + 0.5);
        return static_cast<int16_t>(std::clamp(sample, -32768.0, 32767.0));
    };
    for (int64_t i = 0; i < frameCount; ++i) {
        pcm[2 * i] = quantise(dryL[i]);
        pcm[2 * i + 1] = quantise(dryR[i]);
    }
    return pcm;
}

void Mix::limit(double ceiling)
{
    // Gain each sample needs on its own, kept on the reverb buses, which are
    // free now that the mix holds their output.
    float* wanted = reverbL.data();
    float* held = reverbR.data();
    for (int64_t i = 0; i < frameCount; ++i) {
        double level = std::max(std::fabs(double(dryL[i])), std::fabs(double(dryR[i])));
        wanted[i] = level > ceiling ? static_cast<float>(ceiling / level) : 1.0f;
    }
    // Looking ahead: the least gain needed over the next LOOKAHEAD samples.
    const int64_t LOOKAHEAD = to_frames(0.005);
    std::deque<int64_t> window; // indices of rising gains, the least in front
    for (int64_t i = frameCount - 1; i >= 0; --i) {
        while (!window.empty() && wanted[window.back()] >= wanted[i])
            window.pop_back();
        window.push_back(i);
        if (window.front() >= i + LOOKAHEAD)
            window.pop_front();
        held[i] = wanted[window.front()];
    }
    // Falls at once, recovers slowly; then a running mean over LOOKAHEAD
    // samples turns each fall into a ramp that is complete by the peak it
    // makes room for, as every value it averages is already at or below
    // that peak's gain.
    const double recovery = 1.0 - decay_factor(0.15);
    std::vector<double> recent(static_cast<size_t>(LOOKAHEAD), 1.0);
    double sum = static_cast<double>(LOOKAHEAD);
    double gain = 1.0;
    for (int64_t i = 0; i < frameCount; ++i) {
        gain = std::min<double>(held[i], gain + (1.0 - gain) * recovery);
        size_t slot = static_cast<size_t>(i % LOOKAHEAD);
        sum += gain - recent[slot];
        recent[slot] = gain;
        double smooth = std::min(1.0, sum / static_cast<double>(LOOKAHEAD));
        dryL[i] = static_cast<float>(dryL[i] * smooth);
        dryR[i] = static_cast<float>(dryR[i] * smooth);
    }
}

} // namespace synth
