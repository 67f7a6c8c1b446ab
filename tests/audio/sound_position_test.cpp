// The heard-position arithmetic under irregular callback schedules.
#include "platform/sound_position.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
constexpr int64_t FREQ = 1000000; // a microsecond counter
constexpr int32_t RATE = 44100;
} // namespace

TEST(SoundPosition, DeviceEstimateNeverGoesBackNorAheadOfTheDevice)
{
    DeviceProgress p{};
    EXPECT_EQ(heard_frames_device(p, 123456789, FREQ, RATE), 0) << "nothing handed over yet";

    // {counter, frames}: regular, late, a burst, and other sizes.
    const std::vector<std::pair<int64_t, int64_t>> schedule = {
        {1000000, 1024}, {1023220, 1024}, {1046440, 1024}, {1120000, 1024}, {1121000, 1024},
        {1121500, 1024}, {1130000, 512},  {1131000, 2048}, {1250000, 1024}, {1251000, 1024},
    };
    int64_t previous = 0;
    for (size_t i = 0; i < schedule.size(); ++i) {
        auto [at, frames] = schedule[i];
        p = {p.callbacks + 1, p.deviceFrames + frames, frames, at};
        // At a callback: all but the buffer just handed over.
        int64_t heard = heard_frames_device(p, at, FREQ, RATE);
        EXPECT_EQ(heard, p.deviceFrames - frames) << "callback " << i;
        EXPECT_GE(heard, previous) << "callback " << i;
        previous = heard;
        // Then in 0.1 ms steps until the next callback (60 ms for the last).
        int64_t until = i + 1 < schedule.size() ? schedule[i + 1].first : at + 60000;
        for (int64_t t = at + 100; t < until; t += 100) {
            heard = heard_frames_device(p, t, FREQ, RATE);
            ASSERT_GE(heard, previous) << "callback " << i << " at " << t;
            ASSERT_LE(heard, p.deviceFrames) << "ahead of what the device was given";
            previous = heard;
        }
        // A late callback leaves the position waiting where the data ends.
        if (until - at > frames * FREQ / RATE + 100) {
            EXPECT_EQ(previous, p.deviceFrames) << "callback " << i;
        }
    }
    EXPECT_EQ(heard_frames_device(p, p.lastCounter + 10000, FREQ, RATE),
              p.deviceFrames - p.lastFrames + 441) << "10 ms at 44100 Hz";
}

TEST(SoundPosition, ClockAndMillisecondsRoundDownWithoutOverflow)
{
    EXPECT_EQ(heard_frames_clock(500, 400, FREQ, RATE), 0) << "a clock before Play";
    EXPECT_EQ(heard_frames_clock(0, 1500, FREQ, RATE), 66) << "66.15 frames";
    const int64_t tenDaysNs = 10LL * 86400 * 1000000000;
    EXPECT_EQ(heard_frames_clock(0, tenDaysNs, 1000000000, RATE), 10LL * 86400 * RATE);

    EXPECT_EQ(frames_to_ms(44, RATE), 0);
    EXPECT_EQ(frames_to_ms(45, RATE), 1);
    EXPECT_EQ(frames_to_ms(7876260, RATE), 178600) << "the soundtrack's length";
    EXPECT_EQ(frames_to_ms(int64_t{1} << 50, RATE), INT32_MAX) << "clamped, not wrapped";
}
