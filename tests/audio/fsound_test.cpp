// The sound layer: gapless decoding from memory, the heard position under
// SDL's dummy audio driver and without any device, and the calls it refuses.
#include "core/arena.h"
#include "platform/fsound.h"
#include "platform/time.h"
#include "tests/audio/audio_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

FSOUND_STREAM* open_block(const std::vector<uint8_t>& block)
{
    return FSOUND_Stream_Open(reinterpret_cast<const char*>(block.data()),
                              FSOUND_LOADMEMORY | FSOUND_LOOP_OFF, 0, static_cast<int>(block.size()));
}

struct Poll {
    double wallMs; // since Play
    int position;
};

// Polls every 2 ms until the position reaches `endMs` (or 10 s pass), then
// 100 ms more. Every poll is recorded.
std::vector<Poll> poll_until_end(FSOUND_STREAM* stream, int endMs, double playedAt)
{
    std::vector<Poll> polls;
    polls.reserve(8000);
    double stopAfter = -1.0;
    for (;;) {
        double now = monotonic_ms() - playedAt;
        int position = FSOUND_Stream_GetTime(stream);
        polls.push_back({now, position});
        if (position >= endMs && stopAfter < 0)
            stopAfter = now + 100.0;
        if ((stopAfter >= 0 && now >= stopAfter) || now > 10000.0)
            break;
        platform_sleep_ms(2);
    }
    return polls;
}

// Checks the position's course: never backwards, never ahead of the time
// since Play (beyond the device's head start), many steps rather than a jump,
// the end reached no sooner than real time allows, and constant there.
void expect_plays_like_audio(const std::vector<Poll>& polls, int endMs, double headStartMs)
{
    ASSERT_FALSE(polls.empty());
    int distinct = 0;
    double reachedEndAt = -1.0;
    for (size_t i = 0; i < polls.size(); ++i) {
        const Poll& p = polls[i];
        if (i > 0) {
            ASSERT_GE(p.position, polls[i - 1].position) << "went back at poll " << i;
            distinct += p.position != polls[i - 1].position;
        }
        ASSERT_LE(p.position, endMs) << "past the end at poll " << i;
        ASSERT_LE(p.position, p.wallMs * 1.05 + headStartMs) << "ahead of the clock at poll " << i;
        if (p.position == endMs && reachedEndAt < 0)
            reachedEndAt = p.wallMs;
    }
    ASSERT_GE(reachedEndAt, 0.0) << "the end was not reached within 10 s; last position "
                                 << polls.back().position;
    EXPECT_GE(reachedEndAt, endMs * 0.95 - headStartMs) << "played faster than real time";
    EXPECT_GT(distinct, 10) << "the position should rise in small steps";
    EXPECT_EQ(polls.back().position, endMs) << "the position moved on after the end";
    EXPECT_GE(polls.back().wallMs - reachedEndAt, 90.0) << "polled long enough after the end";
}

// Tests that play through SDL's dummy driver, which takes audio at the
// device's rate and outputs nothing.
class FSoundDevice : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(FSOUND_Init(44100, 2, 0)); }
    void TearDown() override { FSOUND_Close(); }
    ScopedEnv m_driver{"SDL_AUDIODRIVER", "dummy"};
};

} // namespace

TEST(FSoundDecode, GaplessDecodeGivesBackTheSourceFramesInPhase)
{
    // Lengths under one MP3 frame, around a second, and not multiples of 1152.
    for (int64_t frames : {1000, 44223, 100000}) {
        SCOPED_TRACE(frames);
        std::vector<int16_t> source;
        std::vector<uint8_t> mp3 = make_test_mp3(frames, &source);
        ASSERT_FALSE(mp3.empty());
        FSOUND_STREAM* stream = open_block(mp3);
        ASSERT_NE(stream, nullptr);
        int64_t decodedFrames = 0;
        const int16_t* pcm = fsound_stream_pcm(stream, &decodedFrames);
        EXPECT_EQ(decodedFrames, frames) << "encoder delay or padding left in";

        // Delay not trimmed would shift the audio by over 1000 frames. The
        // chirp (right) lines up with the source at one shift only, and that
        // must be 0; the sine (left) must then match sample by sample within
        // the codec's error.
        int64_t n = std::min(decodedFrames, frames);
        int64_t from = std::min<int64_t>(2000, n / 4);
        int64_t to = n - from;
        int64_t window = std::min<int64_t>(to, from + 8192);
        int64_t bestShift = 0;
        double best = -1e300;
        for (int64_t shift = -1500; shift <= 1500; ++shift) {
            double sum = 0.0;
            for (int64_t i = from; i < window; ++i) {
                int64_t j = i + shift;
                if (j >= 0 && j < n)
                    sum += double(source[2 * i + 1]) * double(pcm[2 * j + 1]);
            }
            if (sum > best) {
                best = sum;
                bestShift = shift;
            }
        }
        EXPECT_EQ(bestShift, 0);
        double signal = 0.0;
        double error = 0.0;
        for (int64_t i = from; i < to; ++i) {
            double s = source[2 * i];
            double d = pcm[2 * i] - s;
            signal += s * s;
            error += d * d;
        }
        EXPECT_GT(10.0 * std::log10(signal / std::max(error, 1.0)), 20.0) << "sine SNR in dB";
        EXPECT_TRUE(FSOUND_Stream_Close(stream));
    }
}

TEST(FSoundDecode, OpensAtAnOffsetAndRefusesWhatIsNoStream)
{
    std::vector<uint8_t> mp3 = make_test_mp3(20000);
    ASSERT_FALSE(mp3.empty());
    std::vector<uint8_t> shifted(7 + mp3.size(), 0xAB);
    std::memcpy(shifted.data() + 7, mp3.data(), mp3.size());
    const char* data = reinterpret_cast<const char*>(shifted.data());
    const int length = static_cast<int>(mp3.size());

    FSOUND_STREAM* stream = FSOUND_Stream_Open(data, FSOUND_LOADMEMORY | FSOUND_LOOP_OFF, 7, length);
    ASSERT_NE(stream, nullptr);
    int64_t frames = 0;
    fsound_stream_pcm(stream, &frames);
    EXPECT_EQ(frames, 20000);
    FSOUND_Stream_Close(stream);

    EXPECT_EQ(FSOUND_Stream_Open(data, FSOUND_LOOP_OFF, 7, length), nullptr) << "a file name";
    EXPECT_EQ(FSOUND_Stream_Open(nullptr, 0x8001, 0, 100), nullptr);
    EXPECT_EQ(FSOUND_Stream_Open(data, 0x8001, -1, length), nullptr);
    EXPECT_EQ(FSOUND_Stream_Open(data, 0x8001, 7, 0), nullptr);
    const char text[] = "not an MP3 stream, only some text that goes on for a while";
    EXPECT_EQ(FSOUND_Stream_Open(text, 0x8001, 0, sizeof text), nullptr);
    std::vector<char> zeros(65536, 0);
    EXPECT_EQ(FSOUND_Stream_Open(zeros.data(), 0x8001, 0, static_cast<int>(zeros.size())), nullptr);

    EXPECT_EQ(FSOUND_Stream_GetTime(nullptr), 0);
    EXPECT_FALSE(FSOUND_Stream_Stop(nullptr));
    EXPECT_FALSE(FSOUND_Stream_Close(nullptr));
}

TEST(FSoundInit, RefusesOtherRatesAndPlayNeedsInit)
{
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    EXPECT_FALSE(FSOUND_Init(22050, 2, 0));
    EXPECT_FALSE(FSOUND_Init(44100, 0, 0));
    std::vector<uint8_t> mp3 = make_test_mp3(5000);
    FSOUND_STREAM* stream = open_block(mp3);
    ASSERT_NE(stream, nullptr) << "decoding needs no device";
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, stream), -1) << "not initialised";
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), 0);

    ASSERT_TRUE(FSOUND_Init(44100, 2, 0));
    EXPECT_TRUE(fsound_has_device());
    EXPECT_TRUE(FSOUND_Init(44100, 2, 0)) << "a second Init keeps the first";
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, nullptr), -1);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, stream), 0);
    FSOUND_Close();
    EXPECT_FALSE(fsound_has_device());
    int frozen = FSOUND_Stream_GetTime(stream);
    platform_sleep_ms(30);
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), frozen) << "closing the layer stops the stream";
    FSOUND_Stream_Close(stream);
}

TEST_F(FSoundDevice, PositionFollowsTheDeviceAndStopsAtTheEnd)
{
    ASSERT_TRUE(fsound_has_device()) << "SDL's dummy driver should open";
    std::vector<uint8_t> mp3 = make_test_mp3(44100);
    FSOUND_STREAM* stream = open_block(mp3);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), 0) << "before Play";
    platform_sleep_ms(30);
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), 0) << "still before Play";

    double playedAt = monotonic_ms();
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, stream), 0);
    // The dummy driver takes 1024 frames every 23 ms, 1 % faster than real
    // time; one callback's worth (23 ms) of head start covers it.
    expect_plays_like_audio(poll_until_end(stream, 1000, playedAt), 1000, 30.0);
    EXPECT_TRUE(FSOUND_Stream_Stop(stream));
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), 1000);
    EXPECT_TRUE(FSOUND_Stream_Close(stream));
}

TEST_F(FSoundDevice, StopFreezesThePositionAndPlayStartsAgain)
{
    std::vector<uint8_t> mp3 = make_test_mp3(44100);
    FSOUND_STREAM* stream = open_block(mp3);
    ASSERT_NE(stream, nullptr);
    FSOUND_Stream_Play(FSOUND_FREE, stream);
    double start = monotonic_ms();
    while (FSOUND_Stream_GetTime(stream) < 100 && monotonic_ms() - start < 10000)
        platform_sleep_ms(2);
    FSOUND_Stream_Stop(stream);
    int stopped = FSOUND_Stream_GetTime(stream);
    EXPECT_GE(stopped, 100);
    EXPECT_LT(stopped, 1000);
    platform_sleep_ms(60);
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), stopped);

    // Played again, it starts over from its beginning.
    FSOUND_Stream_Play(FSOUND_FREE, stream);
    EXPECT_LT(FSOUND_Stream_GetTime(stream), stopped);
    FSOUND_Stream_Close(stream);
}

TEST_F(FSoundDevice, PlaybackTakesNothingFromTheArena)
{
    std::vector<uint8_t> mp3 = make_test_mp3(44100);
    // Everything the test itself needs is allocated before the arena exists;
    // the check runs after it is gone, so no test machinery lives in it.
    std::vector<int> positions(200, -1);
    ASSERT_TRUE(arena_create(1 << 20));
    FSOUND_STREAM* stream = open_block(mp3);
    int32_t usedBefore = g_arena.used;
    if (stream) {
        FSOUND_Stream_Play(FSOUND_FREE, stream);
        for (int& p : positions) {
            p = FSOUND_Stream_GetTime(stream);
            platform_sleep_ms(1);
        }
        FSOUND_Stream_Close(stream);
    }
    int32_t usedAfter = g_arena.used;
    int32_t usedByOpen = usedBefore;
    arena_release();

    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(usedByOpen, 0) << "streams and PCM come from the C heap";
    EXPECT_EQ(usedAfter, usedBefore) << "the audio thread or the position allocated";
    EXPECT_GT(positions.back(), 0) << "the stream did play";
}

namespace {

// Initialises without a device, plays a 300 ms stream to its end and closes,
// all with standard error captured.
void expect_silent_play_on_the_clock()
{
    std::vector<uint8_t> mp3 = make_test_mp3(13230); // 300 ms
    std::vector<Poll> polls;
    int afterStop = -1;
    StderrCapture capture;
    ASSERT_TRUE(FSOUND_Init(44100, 2, 0)) << "no device is no failure";
    bool device = fsound_has_device();
    FSOUND_STREAM* stream = open_block(mp3);
    if (stream) {
        int before = FSOUND_Stream_GetTime(stream);
        double playedAt = monotonic_ms();
        FSOUND_Stream_Play(FSOUND_FREE, stream);
        polls = poll_until_end(stream, 300, playedAt);
        polls.insert(polls.begin(), Poll{0.0, before});
        FSOUND_Stream_Stop(stream);
        afterStop = FSOUND_Stream_GetTime(stream);
        FSOUND_Stream_Close(stream);
    }
    FSOUND_Close();
    std::string text = capture.text();

    EXPECT_FALSE(device);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(polls.front().position, 0) << "before Play";
    // Without a device the position is the clock since Play.
    expect_plays_like_audio(polls, 300, 2.0);
    EXPECT_EQ(afterStop, 300);
    ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_EQ(text.rfind("vigil: no audio device (", 0), 0u) << text;
    EXPECT_NE(text.find("); playing without sound\n"), std::string::npos) << text;
}
} // namespace

TEST(FSoundNoDevice, UnknownDriverPlaysOnTheClockAfterOneLine)
{
    ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    expect_silent_play_on_the_clock();
}

TEST(FSoundNoDevice, DeviceThatDoesNotOpenPlaysOnTheClockAfterOneLine)
{
    // ALSA with a device name it does not know: the driver starts, the device
    // does not open, and ALSA's own complaints must not reach standard error.
    // (Where SDL has no ALSA, the driver fails instead, with the same result.)
    ScopedEnv driver("SDL_AUDIODRIVER", "alsa");
    ScopedEnv device("AUDIODEV", "no-such-pcm");
    expect_silent_play_on_the_clock();
}
