// The sound layer and the music module: the heard-position arithmetic, gapless
// decoding from memory, what the device is given and the position it yields,
// playing without a device, and the calls and failures that must stay harmless.
#include "base/arena.h"
#include "core/music.h"
#include "platform/fsound.h"
#include "platform/shared/sound_position.h"
#include "platform/time.h"
#include "tools/common/mp3_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Stereo at half scale, 128 kbit/s with its Info tag (or as `options` say): a
// 440 Hz sine on the left, on the right a chirp from 200 Hz to 3 kHz (it
// matches itself only unshifted).
std::vector<uint8_t> make_test_mp3(int64_t frames, std::vector<int16_t>* pcm = nullptr,
                                   const Mp3Options& options = Mp3Options{})
{
    std::vector<int16_t> source(size_t(2 * frames));
    const double duration = double(frames) / 44100.0;
    for (int64_t i = 0; i < frames; ++i) {
        const double t = double(i) / 44100.0;
        source[size_t(2 * i)] = int16_t(std::lround(16384.0 * std::sin(2.0 * M_PI * 440.0 * t)));
        source[size_t(2 * i + 1)] =
            int16_t(std::lround(16384.0 * std::sin(2.0 * M_PI * (200.0 * t + 1400.0 / duration * t * t))));
    }
    std::vector<uint8_t> mp3;
    EXPECT_TRUE(encode_mp3(source.data(), frames, options, &mp3)) << frames << " frames";
    if (pcm)
        *pcm = std::move(source);
    return mp3;
}

FSOUND_STREAM* open_block(const std::vector<uint8_t>& block)
{
    return FSOUND_Stream_Open(reinterpret_cast<const char*>(block.data()), 0x8001, 0, int(block.size()));
}

double monotonic_ms() { return double(platform_counter()) * 1000.0 / double(platform_counter_frequency()); }

struct Poll {
    double wallMs; // since Play
    int position;
};

// Plays the stream and polls every 2 ms until the position reaches `endMs`
// (or 10 s pass), then for 100 ms more.
std::vector<Poll> play_to_the_end(FSOUND_STREAM* stream, int endMs)
{
    std::vector<Poll> polls;
    const double playedAt = monotonic_ms();
    FSOUND_Stream_Play(FSOUND_FREE, stream);
    for (double end = -1.0;;) {
        const double now = monotonic_ms() - playedAt;
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
        ASSERT_GE(polls[i].position, i ? polls[i - 1].position : 0) << "went back at poll " << i;
        steps += i && polls[i].position != polls[i - 1].position;
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

} // namespace

// The device estimate never goes back nor ahead of what the device was given,
// under regular, late, bursty and odd-sized callbacks; clock and millisecond
// conversions round down without overflow.
TEST(SoundPosition, NeverGoesBackNorAheadOfTheDeviceAndRoundsDown)
{
    constexpr int64_t FREQ = 1000000; // a microsecond counter
    constexpr int32_t RATE = 44100;
    DeviceProgress p{};
    EXPECT_EQ(heard_frames_device(p, 123456789, FREQ, RATE), 0) << "nothing handed over yet";
    const std::vector<std::pair<int64_t, int64_t>> schedule = {
        {1000000, 1024}, {1023220, 1024}, {1046440, 1024}, {1120000, 1024}, {1121000, 1024},
        {1121500, 1024}, {1130000, 512},  {1131000, 2048}, {1250000, 1024}, {1251000, 1024},
    };
    int64_t previous = 0;
    for (size_t i = 0; i < schedule.size(); ++i) {
        auto [at, frames] = schedule[i];
        p = {p.callbacks + 1, p.deviceFrames + frames, frames, at};
        // At a callback: all but the buffer just handed over; then in 0.1 ms
        // steps until the next callback (60 ms after the last).
        EXPECT_EQ(heard_frames_device(p, at, FREQ, RATE), p.deviceFrames - frames) << "callback " << i;
        const int64_t until = i + 1 < schedule.size() ? schedule[i + 1].first : at + 60000;
        for (int64_t t = at; t < until; t += 100) {
            const int64_t heard = heard_frames_device(p, t, FREQ, RATE);
            ASSERT_GE(heard, previous) << "callback " << i << " at " << t;
            ASSERT_LE(heard, p.deviceFrames) << "ahead of what the device was given";
            previous = heard;
        }
        // A late callback leaves the position waiting where the data ends.
        EXPECT_TRUE(until - at <= frames * FREQ / RATE + 100 || previous == p.deviceFrames) << "callback " << i;
    }
    EXPECT_EQ(heard_frames_device(p, p.lastCounter + 10000, FREQ, RATE), p.deviceFrames - p.lastFrames + 441);

    EXPECT_EQ(heard_frames_clock(500, 400, FREQ, RATE), 0) << "a clock before Play";
    EXPECT_EQ(heard_frames_clock(0, 1500, FREQ, RATE), 66) << "66.15 frames";
    EXPECT_EQ(heard_frames_clock(0, 864000LL * 1000000000, 1000000000, RATE), 864000LL * RATE) << "ten days in ns";
    // Rounded down; the soundtrack's length; clamped, not wrapped.
    for (auto [frames, ms] :
         {std::pair<int64_t, int32_t>{44, 0}, {45, 1}, {7876260, 178600}, {int64_t{1} << 50, INT32_MAX}})
        EXPECT_EQ(frames_to_ms(frames, RATE), ms) << frames;
}

// Under one MP3 frame, about a second, and not multiples of 1152, opened at
// an offset in a block: the encoder delay and padding are trimmed, so both
// channels match the source within the codec's error (a delay left in, or
// channels swapped, ruin the chirp's match); so is a variable-bit-rate
// stream's, whose Xing tag carries them. What is no stream, and calls
// without a stream, are refused.
TEST(FSoundDecode, GivesBackTheSourceFramesInPhaseAndRefusesWhatIsNoStream)
{
    std::vector<char> block;
    Mp3Options vbr;
    vbr.vbrLevel = 4;
    for (auto [frames, options] : {std::pair{int64_t{1000}, Mp3Options{}}, std::pair{int64_t{44223}, Mp3Options{}},
                                   std::pair{int64_t{100000}, Mp3Options{}}, std::pair{int64_t{100000}, vbr}}) {
        SCOPED_TRACE(testing::Message() << frames << (options.vbrLevel >= 0 ? " frames, VBR" : " frames"));
        std::vector<int16_t> source;
        const std::vector<uint8_t> mp3 = make_test_mp3(frames, &source, options);
        if (options.vbrLevel >= 0) {
            EXPECT_NE(std::search(mp3.begin(), mp3.begin() + 64, std::begin("Xing"), std::end("Xing") - 1),
                      mp3.begin() + 64) << "a variable-bit-rate stream carries a Xing tag";
        }
        block.assign(7, '\x55');
        block.insert(block.end(), mp3.begin(), mp3.end());
        FSOUND_STREAM* stream = FSOUND_Stream_Open(block.data(), 0x8001, 7, int(mp3.size()));
        ASSERT_NE(stream, nullptr);
        int64_t n = 0;
        const int16_t* pcm = fsound_stream_pcm(stream, &n);
        EXPECT_EQ(n, frames) << "encoder delay or padding left in";
        EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, stream), -1) << "before FSOUND_Init";
        n = std::min(n, frames);
        double signal[2] = {}, error[2] = {};
        for (int64_t i = std::min<int64_t>(2000, n / 4); i < n - std::min<int64_t>(2000, n / 4); ++i)
            for (size_t c = 0; c < 2; ++c) {
                signal[c] += std::pow(source[size_t(2 * i) + c], 2);
                error[c] += std::pow(pcm[size_t(2 * i) + c] - source[size_t(2 * i) + c], 2);
            }
        for (size_t c = 0; c < 2; ++c)
            EXPECT_GT(10.0 * std::log10(signal[c] / std::max(error[c], 1.0)), 20.0) << "SNR in dB, channel " << c;
        EXPECT_TRUE(FSOUND_Stream_Close(stream));
    }
    const int length = int(block.size()) - 7;
    EXPECT_EQ(FSOUND_Stream_Open(block.data(), FSOUND_LOOP_OFF, 7, length), nullptr) << "a file name";
    EXPECT_EQ(FSOUND_Stream_Open(nullptr, 0x8001, 0, 100), nullptr);
    EXPECT_EQ(FSOUND_Stream_Open(block.data(), 0x8001, -1, length), nullptr);
    EXPECT_EQ(FSOUND_Stream_Open(block.data(), 0x8001, 7, 0), nullptr);
    const char text[] = "not an MP3 stream, only some text that goes on for a while";
    EXPECT_EQ(FSOUND_Stream_Open(text, 0x8001, 0, sizeof text), nullptr);
    const std::vector<char> zeros(65536, 0);
    EXPECT_EQ(FSOUND_Stream_Open(zeros.data(), 0x8001, 0, 65536), nullptr);
    EXPECT_FALSE(FSOUND_Init(22050, 2, 0)) << "one rate only";
    EXPECT_FALSE(FSOUND_Init(44100, 0, 0));
    EXPECT_EQ(FSOUND_Stream_GetTime(nullptr), 0);
    EXPECT_FALSE(FSOUND_Stream_Stop(nullptr));
    EXPECT_FALSE(FSOUND_Stream_Close(nullptr));
}

// A 300 ms stream on SDL's disk driver (1024 frames every 23 ms, like a sound
// card, written to a file): the file holds silence until Play, the stream
// sample for sample, then silence only; the position follows the device (one
// callback's head start). Without a device (an unknown driver; ALSA with a
// device it cannot open, whose own complaints must not show): one line on
// standard error, then the stream plays on the clock since Play.
TEST(FSoundPlayback, FollowsTheDeviceOrTheClockWithoutOne)
{
    const std::string path = ::testing::TempDir() + "vigil_audio_" + std::to_string(getpid());
    const std::vector<uint8_t> mp3 = make_test_mp3(13230);
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    for (auto [driver, device] : {std::pair{"disk", ""}, {"no-such-driver", ""}, {"alsa", "no-such-pcm"}}) {
        SCOPED_TRACE(driver);
        const bool disk = std::string(driver) == "disk";
        setenv("SDL_AUDIODRIVER", driver, 1);
        *device ? setenv("AUDIODEV", device, 1) : unsetenv("AUDIODEV");
        std::vector<Poll> polls;
        std::vector<int16_t> decoded;
        testing::internal::CaptureStderr(); // from Init to Close
        const bool init = FSOUND_Init(44100, 2, 0), hasDevice = fsound_has_device();
        if (FSOUND_STREAM* stream = open_block(mp3)) {
            int64_t frames = 0;
            const int16_t* pcm = fsound_stream_pcm(stream, &frames);
            decoded.assign(pcm, pcm + 2 * frames);
            platform_sleep_ms(30);
            EXPECT_EQ(FSOUND_Stream_GetTime(stream), 0) << "before Play";
            polls = play_to_the_end(stream, 300);
            FSOUND_Stream_Close(stream);
        }
        FSOUND_Close();
        const std::string text = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(init) << "no device is no failure";
        EXPECT_EQ(hasDevice, disk);
        ASSERT_FALSE(polls.empty());
        expect_plays_like_audio(polls, 300, disk ? 30.0 : 2.0);
        if (!disk) {
            EXPECT_TRUE(std::count(text.begin(), text.end(), '\n') == 1 &&
                        text.starts_with("vigil: no audio device (") && text.ends_with("); playing without sound\n"))
                << text;
            continue;
        }
        std::vector<int16_t> output(std::filesystem::file_size(path) / 2);
        std::ifstream(path, std::ios::binary)
            .read(reinterpret_cast<char*>(output.data()), std::streamsize(2 * output.size()));
        std::remove(path.c_str());
        auto sound = [](auto begin, auto end) {
            return std::find_if(begin, end, [](int16_t x) { return x != 0; }) - begin;
        };
        const ptrdiff_t lead = sound(output.begin(), output.end()) - sound(decoded.begin(), decoded.end());
        ASSERT_TRUE(lead >= 0 && lead % 2 == 0) << lead;
        ASSERT_GE(output.size(), lead + decoded.size() + 2 * 2205) << "50 ms of silence at least";
        EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), output.begin() + lead));
        const auto after = output.begin() + lead + ptrdiff_t(decoded.size());
        EXPECT_EQ(sound(after, output.end()), output.end() - after) << "sound after the end";
    }
}

// The music module on SDL's dummy driver: stop freezes the position, the
// stream plays out once, closing closes the sound library, and none of it
// takes from the arena (the test's own memory is allocated before it
// exists); a stream that does not decode (as no music_init) stays harmless.
TEST(Music, StopsPlaysOutOnceClosesAndSurvivesFailures)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const std::vector<uint8_t> mp3 = make_test_mp3(13230); // 300 ms
    music_set_source(mp3.data(), int32_t(mp3.size()));
    ASSERT_TRUE(arena_create(1 << 20));
    ASSERT_EQ(music_init(), 1);
    EXPECT_TRUE(fsound_has_device());
    EXPECT_EQ(music_time_ms(), 0) << "opened, not playing";
    EXPECT_EQ(music_play(), 1);
    platform_sleep_ms(100);
    music_stop();
    const int32_t stopped = music_time_ms();
    platform_sleep_ms(50);
    EXPECT_TRUE(stopped > 0 && stopped < 300 && music_time_ms() == stopped) << stopped << " " << music_time_ms();
    music_play_from(stopped);
    for (const double start = monotonic_ms(); music_time_ms() < 300 && monotonic_ms() - start < 10000;)
        platform_sleep_ms(5);
    platform_sleep_ms(50);
    EXPECT_EQ(music_time_ms(), 300) << "played out once";
    EXPECT_EQ(music_close(), 1);
    EXPECT_EQ(g_arena.used, 0) << "the stream, its PCM or the audio thread allocated from the arena";
    arena_release();
    EXPECT_FALSE(fsound_has_device()) << "the sound library is closed";
    EXPECT_EQ(music_time_ms(), 0);
    static const uint8_t junk[] = "ID3? no: a few bytes that are not an MP3 stream at all";
    music_set_source(junk, sizeof junk);
    EXPECT_EQ(music_init(), 0) << "a stream that does not decode";
    EXPECT_TRUE(music_play() == 1 && music_stop() == 1 && music_time_ms() == 0);
    EXPECT_EQ(music_close(), 1);
    music_set_source(nullptr, 0);
}
