// The heard-position arithmetic: what a device's callbacks imply about what
// has been heard, under irregular callback schedules.
#include "platform/sound_position.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int64_t FREQ = 1000000; // a microsecond counter
constexpr int32_t RATE = 44100;

struct Callback {
    int64_t at;     // counter value
    int64_t frames; // frames handed over
};

} // namespace

TEST(SoundPosition, DeviceEstimateNeverGoesBackNorAheadOfTheDevice)
{
    DeviceProgress p{};
    EXPECT_EQ(heard_frames_device(p, 123456789, FREQ, RATE), 0) << "nothing handed over yet";

    // Regular, late, early and burst callbacks, and two of another size.
    const std::vector<Callback> schedule = {
        {1000000, 1024}, {1023220, 1024}, {1046440, 1024}, {1120000, 1024}, // late
        {1121000, 1024}, {1121500, 1024},                                 // burst
        {1130000, 512},  {1131000, 2048}, {1250000, 1024}, {1251000, 1024},
    };
    int64_t previous = 0;
    for (size_t i = 0; i < schedule.size(); ++i) {
        const Callback& c = schedule[i];
        p.callbacks += 1;
        p.deviceFrames += c.frames;
        p.lastFrames = c.frames;
        p.lastCounter = c.at;
        // At the callback: all but the buffer just handed over.
        int64_t at = heard_frames_device(p, c.at, FREQ, RATE);
        EXPECT_EQ(at, p.deviceFrames - c.frames) << "callback " << i;
        EXPECT_GE(at, previous) << "callback " << i;
        previous = at;
        // Until the next callback (the last one: for 60 ms), in 0.1 ms steps.
        int64_t until = i + 1 < schedule.size() ? schedule[i + 1].at : c.at + 60000;
        for (int64_t t = c.at + 100; t < until; t += 100) {
            int64_t heard = heard_frames_device(p, t, FREQ, RATE);
            ASSERT_GE(heard, previous) << "callback " << i << " at " << t;
            ASSERT_LE(heard, p.deviceFrames) << "ahead of what the device was given";
            previous = heard;
        }
        // When the next callback is late, the position waits for it where the
        // device's data ends.
        if (until - c.at > c.frames * FREQ / RATE + 100) {
            EXPECT_EQ(previous, p.deviceFrames) << "callback " << i;
        }
    }
    // Moves with the clock: 10 ms after a callback, 441 frames on.
    EXPECT_EQ(heard_frames_device(p, p.lastCounter + 10000, FREQ, RATE),
              p.deviceFrames - p.lastFrames + 441);
    // A clock read from before the latest callback counts as at it.
    EXPECT_EQ(heard_frames_device(p, p.lastCounter - 5000, FREQ, RATE), p.deviceFrames - p.lastFrames);
}

TEST(SoundPosition, ClockPositionAndMilliseconds)
{
    EXPECT_EQ(heard_frames_clock(500, 500, FREQ, RATE), 0);
    EXPECT_EQ(heard_frames_clock(500, 400, FREQ, RATE), 0) << "a clock before Play";
    EXPECT_EQ(heard_frames_clock(0, 1000000, FREQ, RATE), 44100);
    EXPECT_EQ(heard_frames_clock(0, 1500, FREQ, RATE), 66) << "66.15 frames rounds down";
    // Ten days on a nanosecond counter: no overflow.
    const int64_t tenDays = 10LL * 86400 * 1000000000;
    EXPECT_EQ(heard_frames_clock(0, tenDays, 1000000000, RATE), 10LL * 86400 * 44100);

    EXPECT_EQ(frames_to_ms(0, RATE), 0);
    EXPECT_EQ(frames_to_ms(-10, RATE), 0);
    EXPECT_EQ(frames_to_ms(44, RATE), 0) << "under a millisecond";
    EXPECT_EQ(frames_to_ms(45, RATE), 1);
    EXPECT_EQ(frames_to_ms(44099, RATE), 999);
    EXPECT_EQ(frames_to_ms(44100, RATE), 1000);
    EXPECT_EQ(frames_to_ms(7876260, RATE), 178600) << "the soundtrack's length";
    EXPECT_EQ(frames_to_ms(int64_t{1} << 50, RATE), INT32_MAX) << "clamped, not wrapped";
}
