// How much of a stream has been heard, from what the audio device has taken
// and when. Pure arithmetic, shared by the sound layer and its tests.
//
// When the device's callback runs it hands over `lastFrames` frames that
// will be heard after the ones already buffered. The buffered amount is not
// known; one callback's worth stands in for it. So at the moment of a callback
// the listener has heard deviceFrames - lastFrames, and from then on the
// position moves with the clock, but by no more than lastFrames: by the next
// callback it has reached deviceFrames exactly, which is where that callback
// starts. Hence it never goes backwards, whether callbacks come early, late
// or in bursts.
#pragma once
#include <cstdint>

struct DeviceProgress {
    int64_t callbacks;    // callbacks since playback began; 0 = none yet
    int64_t deviceFrames; // frames handed to the device (music, then silence)
    int64_t lastFrames;   // frames handed by the latest callback
    int64_t lastCounter;  // platform_counter() when the latest callback ran
};

// Frames heard at counter value `now` (counts of `frequency` per second) for
// a device playing at `rate` frames per second. 0 before the first callback.
int64_t heard_frames_device(const DeviceProgress& progress, int64_t now, int64_t frequency,
                            int32_t rate);

// Frames heard when a stream plays without a device: the time since
// `playCounter`, at `rate`. 0 for a `now` before playCounter.
int64_t heard_frames_clock(int64_t playCounter, int64_t now, int64_t frequency, int32_t rate);

// Whole milliseconds in `frames` at `rate`, rounded down.
int32_t frames_to_ms(int64_t frames, int32_t rate);
