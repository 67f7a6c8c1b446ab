// The soundtrack's mixing desk: a dry stereo bus and two send buses, a
// reverb (a feedback delay network) and a ping-pong delay fed by them, and
// the master, which sums the three, tames the loudest hits with a look-ahead
// limiter, fades the end out and scales the peak to a set level before
// rounding to 16-bit PCM.
#pragma once
#include <cstdint>
#include <vector>

namespace synth {

// A voice as rendered: stereo samples from its start on.
struct Voice {
    std::vector<float> left;
    std::vector<float> right;
    int64_t frames = 0;
    // Makes room for `count` frames, all zero.
    void clear(int64_t count);
};

// How a voice goes into the mix. `pan` -1 (left) .. 1 (right), equal power.
struct Sends {
    double gain = 1.0;
    double pan = 0.0;
    double reverb = 0.0; // send level to the reverb
    double delay = 0.0;  // send level to the delay
};

struct MasterSettings {
    double reverbSeconds = 4.0; // decay time to -60 dB
    double reverbDamping = 4500.0; // Hz: the tail darkens above this
    double reverbLevel = 1.0;
    double delaySeconds = 0.375;
    double delayFeedback = 0.4;
    double delayLevel = 1.0;
    double delayToReverb = 0.3; // part of the delay's output sent on to the reverb
    double fadeOutSeconds = 1.5;   // at the very end
    double limitDb = 4.0;          // the limiter's ceiling under the raw peak
    double peakDb = -3.0;          // where the loudest sample lands
};

class Mix {
public:
    explicit Mix(int64_t frames);
    int64_t frames() const { return frameCount; }
    // Adds the voice, starting at frame `start`; what falls outside the
    // track is dropped.
    void add(int64_t start, const Voice& voice, const Sends& sends);
    // Runs the effects and returns interleaved 16-bit stereo PCM of frames()
    // frames. Call once.
    std::vector<int16_t> master(const MasterSettings& settings);

private:
    // Look-ahead peak limiter on the mixed dry buses: no sample above `ceiling`.
    void limit(double ceiling);

    int64_t frameCount;
    std::vector<float> dryL, dryR, reverbL, reverbR, delayL, delayR;
};

} // namespace synth
