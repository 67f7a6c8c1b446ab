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
    explicit DelayLine(int64_t length) : m_buffer(static_cast<size_t>(length), 0.0f) {}
    float read() const { return m_buffer[m_pos]; }
    void write(float value)
    {
        m_buffer[m_pos] = value;
        if (++m_pos == m_buffer.size())
            m_pos = 0;
    }

private:
    std::vector<float> m_buffer;
    size_t m_pos = 0;
};

// Schroeder all-pass: smears transients into a dense wash without
// colouring the spectrum.
class AllPass {
public:
    AllPass(int64_t length, double gain) : m_line(length), m_gain(gain) {}
    double process(double in)
    {
        double delayed = m_line.read();
        double v = in + m_gain * delayed;
        m_line.write(static_cast<float>(v));
        return delayed - m_gain * v;
    }

private:
    DelayLine m_line;
    double m_gain;
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
            m_lines.emplace_back(LENGTHS[i]);
            // Each pass through line i must lose its share of 60 dB.
            m_feedback[i] = db_gain(-60.0 * static_cast<double>(LENGTHS[i]) / (seconds * RATE));
            m_damp[i].set(damping);
        }
        static const int64_t DIFFUSERS[] = {142, 379, 107, 277};
        for (int64_t length : DIFFUSERS)
            m_diffusers.emplace_back(length, 0.6);
    }

    void process(double inL, double inR, double* outL, double* outR)
    {
        // Input diffusion: two all-passes per side.
        inL = m_diffusers[1].process(m_diffusers[0].process(inL));
        inR = m_diffusers[3].process(m_diffusers[2].process(inR));
        double y[LINES];
        double sum = 0.0;
        for (int i = 0; i < LINES; ++i) {
            y[i] = m_damp[i].low(m_lines[i].read()) * m_feedback[i];
            sum += y[i];
        }
        sum *= 2.0 / LINES;
        for (int i = 0; i < LINES; ++i)
            m_lines[i].write(static_cast<float>(y[i] - sum + ((i & 1) ? inR : inL)));
        *outL = (y[0] - y[1] + y[2] - y[3] + y[4] - y[5] + y[6] - y[7]) * 0.35;
        *outR = (y[0] + y[1] - y[2] - y[3] + y[4] + y[5] - y[6] - y[7]) * 0.35;
    }

private:
    static constexpr int LINES = 8;
    std::vector<DelayLine> m_lines;
    std::vector<AllPass> m_diffusers;
    double m_feedback[LINES] = {};
    OnePole m_damp[LINES];
};

} // namespace

void Voice::clear(int64_t count)
{
    frames = count;
    left.assign(static_cast<size_t>(count), 0.0f);
    right.assign(static_cast<size_t>(count), 0.0f);
}

Mix::Mix(int64_t frames)
    : m_frames(frames),
      m_dryL(static_cast<size_t>(frames)), m_dryR(static_cast<size_t>(frames)),
      m_reverbL(static_cast<size_t>(frames)), m_reverbR(static_cast<size_t>(frames)),
      m_delayL(static_cast<size_t>(frames)), m_delayR(static_cast<size_t>(frames))
{
}

void Mix::add(int64_t start, const Voice& voice, const Sends& sends)
{
    int64_t first = std::max<int64_t>(0, -start);
    int64_t last = std::min<int64_t>(voice.frames, m_frames - start);
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
        m_dryL[at] += l;
        m_dryR[at] += r;
        if (rev != 0.0f) {
            m_reverbL[at] += l * rev;
            m_reverbR[at] += r * rev;
        }
        if (dly != 0.0f) {
            m_delayL[at] += l * dly;
            m_delayR[at] += r * dly;
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
    float* dlyL = m_delayL.data();
    float* dlyR = m_delayR.data();
    float* revL = m_reverbL.data();
    float* revR = m_reverbR.data();
    for (int64_t i = 0; i < m_frames; ++i) {
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
    for (int64_t i = 0; i < m_frames; ++i) {
        double wetL = 0.0, wetR = 0.0;
        reverb.process(revL[i], revR[i], &wetL, &wetR);
        double l = m_dryL[i] + dlyL[i] + wetL * settings.reverbLevel;
        double r = m_dryR[i] + dlyR[i] + wetR * settings.reverbLevel;
        l = rumbleL.high(l);
        r = rumbleR.high(r);
        int64_t left = m_frames - 1 - i;
        if (left < fadeFrames) {
            // Half a cosine from 1 down to exactly 0 at the last frame.
            double x = static_cast<double>(left) / static_cast<double>(fadeFrames);
            double fade = 0.5 - 0.5 * cos_turns(0.5 * x);
            l *= fade;
            r *= fade;
        }
        // The dry bus has been read for this frame: it holds the mix from now on.
        m_dryL[i] = static_cast<float>(l);
        m_dryR[i] = static_cast<float>(r);
        peak = std::max({peak, std::fabs(double(m_dryL[i])), std::fabs(double(m_dryR[i]))});
    }

    limit(peak * db_gain(-settings.limitDb));
    peak = 0.0;
    for (int64_t i = 0; i < m_frames; ++i)
        peak = std::max({peak, std::fabs(double(m_dryL[i])), std::fabs(double(m_dryR[i]))});
    double scale = peak > 0.0 ? db_gain(settings.peakDb) / peak : 0.0;
    std::vector<int16_t> pcm(2 * static_cast<size_t>(m_frames));
    auto quantise = [scale](float value) {
        double sample = std::floor(value * scale * 32767.0 + 0.5);
        return static_cast<int16_t>(std::clamp(sample, -32768.0, 32767.0));
    };
    for (int64_t i = 0; i < m_frames; ++i) {
        pcm[2 * i] = quantise(m_dryL[i]);
        pcm[2 * i + 1] = quantise(m_dryR[i]);
    }
    return pcm;
}

void Mix::limit(double ceiling)
{
    // Gain each sample needs on its own, kept on the reverb buses, which are
    // free now that the mix holds their output.
    float* wanted = m_reverbL.data();
    float* held = m_reverbR.data();
    for (int64_t i = 0; i < m_frames; ++i) {
        double level = std::max(std::fabs(double(m_dryL[i])), std::fabs(double(m_dryR[i])));
        wanted[i] = level > ceiling ? static_cast<float>(ceiling / level) : 1.0f;
    }
    // Looking ahead: the least gain needed over the next LOOKAHEAD samples.
    const int64_t LOOKAHEAD = to_frames(0.005);
    std::deque<int64_t> window; // indices of rising gains, the least in front
    for (int64_t i = m_frames - 1; i >= 0; --i) {
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
    for (int64_t i = 0; i < m_frames; ++i) {
        gain = std::min<double>(held[i], gain + (1.0 - gain) * recovery);
        size_t slot = static_cast<size_t>(i % LOOKAHEAD);
        sum += gain - recent[slot];
        recent[slot] = gain;
        double smooth = std::min(1.0, sum / static_cast<double>(LOOKAHEAD));
        m_dryL[i] = static_cast<float>(m_dryL[i] * smooth);
        m_dryR[i] = static_cast<float>(m_dryR[i] * smooth);
    }
}

} // namespace synth
