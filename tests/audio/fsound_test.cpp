// The sound layer: gapless decoding from memory, what the device is given,
// the heard position under SDL's dummy driver and without any device, and
// the calls it refuses.
#include "core/arena.h"
#include "platform/fsound.h"
#include "platform/time.h"
#include "tests/audio/audio_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

FSOUND_STREAM* open_block(const std::vector<uint8_t>& block)
{
    return FSOUND_Stream_Open(reinterpret_cast<const char*>(block.data()), 0x8001, 0,
                              static_cast<int>(block.size()));
}

struct Poll {
    double wallMs; // since Play
    int position;
};

// Plays the stream and polls every 2 ms until the position reaches `endMs`
// (or 10 s pass), then for 100 ms more.
std::vector<Poll> play_to_the_end(FSOUND_STREAM* stream, int endMs)
{
    std::vector<Poll> polls;
    double playedAt = monotonic_ms();
    FSOUND_Stream_Play(FSOUND_FREE, stream);
    for (double end = -1.0;;) {
        double now = monotonic_ms() - playedAt;
        polls.push_back({now, FSOUND_Stream_GetTime(stream)});
        if (polls.back().position >= endMs && end < 0)
            end = now + 100.0;
        if ((end >= 0 && now >= end) || now > 10000.0)
            return polls;
        platform_sleep_ms(2);
    }
}

// Never backwards; never ahead of the time since Play, beyond the device's
// head start; in many small steps; at the end no sooner than real time
// allows; constant there. Load can only make it later, so none can flake.
void expect_plays_like_audio(const std::vector<Poll>& polls, int endMs, double headStartMs)
{
    int steps = 0;
    double endAt = -1.0;
    for (size_t i = 0; i < polls.size(); ++i) {
        if (i > 0) {
            ASSERT_GE(polls[i].position, polls[i - 1].position) << "went back at poll " << i;
            steps += polls[i].position != polls[i - 1].position;
        }
        ASSERT_LE(polls[i].position, std::min(endMs, int(polls[i].wallMs * 1.05 + headStartMs)))
            << "poll " << i << " at " << polls[i].wallMs << " ms";
        if (polls[i].position == endMs && endAt < 0)
            endAt = polls[i].wallMs;
    }
    ASSERT_GE(endAt, 0.0) << "not at the end after 10 s: " << polls.back().position;
    EXPECT_GE(endAt, endMs * 0.95 - headStartMs) << "faster than real time";
    EXPECT_GT(steps, 10);
    EXPECT_EQ(polls.back().position, endMs) << "moved on after the end";
}

class FSoundDevice : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(FSOUND_Init(44100, 2, 0)); }
    void TearDown() override { FSOUND_Close(); }
    // Takes audio at the device's rate and outputs nothing.
    ScopedEnv m_driver{"SDL_AUDIODRIVER", "dummy"};
};

} // namespace

TEST(FSoundDecode, GaplessDecodeGivesBackTheSourceFramesInPhase)
{
    // Under one MP3 frame, about a second, and not multiples of 1152.
    for (int64_t frames : {1000, 44223, 100000}) {
        SCOPED_TRACE(frames);
        std::vector<int16_t> source;
        FSOUND_STREAM* stream = open_block(make_test_mp3(frames, &source));
        ASSERT_NE(stream, nullptr);
        int64_t decodedFrames = 0;
        const int16_t* pcm = fsound_stream_pcm(stream, &decodedFrames);
        EXPECT_EQ(decodedFrames, frames) << "encoder delay or padding left in";

        // An untrimmed delay shifts the audio by over 1000 frames. The chirp
        // (right) must line up best at shift 0; the sine (left) must then
        // match within the codec's error.
        int64_t n = std::min(decodedFrames, frames);
        int64_t from = std::min<int64_t>(2000, n / 4);
        int64_t to = n - from;
        int64_t bestShift = 0;
        double best = -1e300;
        for (int64_t shift = -1500; shift <= 1500; ++shift) {
            double sum = 0.0;
            for (int64_t i = from; i < std::min(to, from + 8192); ++i)
                if (i + shift >= 0 && i + shift < n)
                    sum += double(source[2 * i + 1]) * pcm[2 * (i + shift) + 1];
            if (sum > best)
                best = sum, bestShift = shift;
        }
        EXPECT_EQ(bestShift, 0);
        double signal = 0.0;
        double error = 0.0;
        for (int64_t i = from; i < to; ++i) {
            signal += double(source[2 * i]) * source[2 * i];
            error += std::pow(pcm[2 * i] - source[2 * i], 2);
        }
        EXPECT_GT(10.0 * std::log10(signal / std::max(error, 1.0)), 20.0) << "sine SNR, dB";
        EXPECT_TRUE(FSOUND_Stream_Close(stream));
    }
}

TEST(FSoundDecode, OpensAtAnOffsetAndRefusesWhatIsNoStream)
{
    std::vector<uint8_t> mp3 = make_test_mp3(20000);
    std::vector<char> block(7 + mp3.size(), '\x55');
    std::memcpy(block.data() + 7, mp3.data(), mp3.size());
    const int length = static_cast<int>(mp3.size());
    FSOUND_STREAM* stream = FSOUND_Stream_Open(block.data(), 0x8001, 7, length);
    ASSERT_NE(stream, nullptr);
    int64_t frames = 0;
    fsound_stream_pcm(stream, &frames);
    EXPECT_EQ(frames, 20000);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, stream), -1) << "before FSOUND_Init";
    FSOUND_Stream_Close(stream);

    EXPECT_EQ(FSOUND_Stream_Open(block.data(), FSOUND_LOOP_OFF, 7, length), nullptr) << "a file name";
    EXPECT_EQ(FSOUND_Stream_Open(nullptr, 0x8001, 0, 100), nullptr);
    EXPECT_EQ(FSOUND_Stream_Open(block.data(), 0x8001, -1, length), nullptr);
    EXPECT_EQ(FSOUND_Stream_Open(block.data(), 0x8001, 7, 0), nullptr);
    const char text[] = "not an MP3 stream, only some text that goes on for a while";
    EXPECT_EQ(FSOUND_Stream_Open(text, 0x8001, 0, sizeof text), nullptr);
    std::vector<char> zeros(65536, 0);
    EXPECT_EQ(FSOUND_Stream_Open(zeros.data(), 0x8001, 0, 65536), nullptr);

    EXPECT_FALSE(FSOUND_Init(22050, 2, 0)) << "one rate only";
    EXPECT_FALSE(FSOUND_Init(44100, 0, 0));
    EXPECT_EQ(FSOUND_Stream_GetTime(nullptr), 0);
    EXPECT_FALSE(FSOUND_Stream_Stop(nullptr));
    EXPECT_FALSE(FSOUND_Stream_Close(nullptr));
}

TEST_F(FSoundDevice, PositionFollowsTheDeviceAndStopsAtTheEnd)
{
    ASSERT_TRUE(fsound_has_device());
    FSOUND_STREAM* stream = open_block(make_test_mp3(44100));
    ASSERT_NE(stream, nullptr);
    platform_sleep_ms(30);
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), 0) << "before Play";
    // The dummy driver takes 1024 frames (23.2 ms) every 23 ms; one
    // callback's worth of head start covers that.
    expect_plays_like_audio(play_to_the_end(stream, 1000), 1000, 30.0);
    FSOUND_Stream_Close(stream);
}

TEST_F(FSoundDevice, PlaybackTakesNothingFromTheArenaAndStopFreezesThePosition)
{
    std::vector<uint8_t> mp3 = make_test_mp3(44100);
    // No test machinery may live in the arena: everything is allocated
    // before it exists and checked after it is gone.
    std::vector<int> positions(150);
    ASSERT_TRUE(arena_create(1 << 20));
    FSOUND_STREAM* stream = open_block(mp3);
    int32_t usedAfterOpen = g_arena.used;
    int afterStop = -1;
    if (stream) {
        FSOUND_Stream_Play(FSOUND_FREE, stream);
        for (int& p : positions) {
            p = FSOUND_Stream_GetTime(stream);
            platform_sleep_ms(1);
        }
        FSOUND_Stream_Stop(stream);
        positions.back() = FSOUND_Stream_GetTime(stream);
        platform_sleep_ms(50);
        afterStop = FSOUND_Stream_GetTime(stream);
        FSOUND_Stream_Close(stream);
    }
    int32_t usedAtEnd = g_arena.used;
    arena_release();

    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(usedAfterOpen, 0) << "streams and PCM come from the C heap";
    EXPECT_EQ(usedAtEnd, 0) << "the audio thread or the position allocated";
    EXPECT_GT(positions.back(), 0);
    EXPECT_LT(positions.back(), 1000);
    EXPECT_EQ(afterStop, positions.back());
}

TEST(FSoundOutput, DeviceGetsTheDecodedStreamOnceThenSilence)
{
    // SDL's disk driver writes what the device is given to a file.
    std::string path = ::testing::TempDir() + "vigil_audio_XXXXXX";
    int fd = mkstemp(path.data());
    ASSERT_GE(fd, 0);
    close(fd);
    std::vector<uint8_t> mp3 = make_test_mp3(13230); // 300 ms
    std::vector<int16_t> decoded;
    std::vector<Poll> polls;
    {
        ScopedEnv driver("SDL_AUDIODRIVER", "disk");
        ScopedEnv file("SDL_DISKAUDIOFILE", path.c_str());
        ASSERT_TRUE(FSOUND_Init(44100, 2, 0));
        EXPECT_TRUE(fsound_has_device());
        if (FSOUND_STREAM* stream = open_block(mp3)) {
            int64_t frames = 0;
            const int16_t* pcm = fsound_stream_pcm(stream, &frames);
            decoded.assign(pcm, pcm + 2 * frames);
            polls = play_to_the_end(stream, 300);
            FSOUND_Stream_Close(stream);
        }
        FSOUND_Close();
    }
    std::vector<int16_t> output;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        int16_t buffer[4096];
        while (size_t n = std::fread(buffer, sizeof(int16_t), std::size(buffer), f))
            output.insert(output.end(), buffer, buffer + n);
        std::fclose(f);
    }
    std::remove(path.c_str());

    ASSERT_EQ(decoded.size(), 2u * 13230);
    ASSERT_EQ(polls.back().position, 300);
    // Silence while waiting for Play, the stream sample for sample, then
    // silence only: no second pass.
    auto sound = [](auto begin, auto end) {
        return std::find_if(begin, end, [](int16_t x) { return x != 0; }) - begin;
    };
    ptrdiff_t lead = sound(output.begin(), output.end()) - sound(decoded.begin(), decoded.end());
    ASSERT_TRUE(lead >= 0 && lead % 2 == 0) << lead;
    ASSERT_GE(output.size(), lead + decoded.size() + 2 * 2205) << "50 ms of silence at least";
    EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), output.begin() + lead));
    auto after = output.begin() + lead + decoded.size();
    EXPECT_EQ(sound(after, output.end()), output.end() - after) << "sound after the end";
}

namespace {

// Without a device: one line on standard error, then a 300 ms stream plays
// on the clock. Standard error is captured from Init to Close.
void expect_one_line_then_play_on_the_clock()
{
    std::vector<uint8_t> mp3 = make_test_mp3(13230);
    std::vector<Poll> polls;
    StderrCapture capture;
    ASSERT_TRUE(FSOUND_Init(44100, 2, 0)) << "no device is no failure";
    bool device = fsound_has_device();
    if (FSOUND_STREAM* stream = open_block(mp3)) {
        polls.push_back({0.0, FSOUND_Stream_GetTime(stream)});
        std::vector<Poll> played = play_to_the_end(stream, 300);
        polls.insert(polls.end(), played.begin(), played.end());
        FSOUND_Stream_Close(stream);
    }
    FSOUND_Close();
    std::string text = capture.text();

    EXPECT_FALSE(device);
    ASSERT_GT(polls.size(), 1u);
    EXPECT_EQ(polls.front().position, 0) << "before Play";
    expect_plays_like_audio(polls, 300, 2.0); // the clock since Play, exactly
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_EQ(text.rfind("vigil: no audio device (", 0), 0u) << text;
    EXPECT_NE(text.find("); playing without sound\n"), std::string::npos) << text;
}

} // namespace

TEST(FSoundNoDevice, UnknownDriverPlaysOnTheClockAfterOneLine)
{
    ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    expect_one_line_then_play_on_the_clock();
}

TEST(FSoundNoDevice, DeviceThatDoesNotOpenPlaysOnTheClockAfterOneLine)
{
    // ALSA starts but cannot open this device name, and its own complaints
    // must not reach standard error. (Without ALSA in SDL, the driver fails
    // instead, to the same effect.)
    ScopedEnv driver("SDL_AUDIODRIVER", "alsa");
    ScopedEnv device("AUDIODEV", "no-such-pcm");
    expect_one_line_then_play_on_the_clock();
}
