// Benchmark: how long FSOUND_Stream_Open takes to decode a soundtrack-sized
// MP3 (178.6 s, 44100 Hz stereo, 128 kbit/s) into PCM.
//
//   vigil-bench-music-decode [FILE.mp3] [RUNS]
//
// Without a file it encodes a synthesised stream of that length first (a few
// seconds, not timed). Prints each run and the median, in milliseconds.
#include "platform/fsound.h"
#include "platform/time.h"
#include "tools/common/mp3_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <numbers>
#include <vector>

namespace {

constexpr int64_t SOUNDTRACK_FRAMES = 7876260; // 178.6 s at 44100 Hz

// Chords with a beat and a little noise, so the encoder spends its bits as on
// music rather than on a pure tone.
std::vector<int16_t> synthesise(int64_t frames)
{
    std::vector<int16_t> pcm(2 * frames);
    const double notes[] = {110.0, 164.8, 220.0, 277.2, 329.6, 440.0, 659.3};
    uint32_t noise = 1;
    for (int64_t i = 0; i < frames; ++i) {
        double t = static_cast<double>(i) / 44100.0;
        double beat = 0.5 + 0.5 * std::exp(-8.0 * std::fmod(t, 0.5));
        double left = 0.0;
        double right = 0.0;
        for (size_t k = 0; k < std::size(notes); ++k) {
            double s = std::sin(2.0 * std::numbers::pi * notes[k] * (1.0 + 0.01 * std::sin(0.3 * t + k)) * t);
            (k % 2 ? left : right) += s;
            (k % 2 ? right : left) += 0.5 * s;
        }
        noise = noise * 1664525u + 1013904223u;
        double hiss = (static_cast<double>(noise >> 8) / 16777216.0 - 0.5) * 0.2;
        pcm[2 * i] = static_cast<int16_t>(std::lround(3000.0 * beat * (left + hiss)));
        pcm[2 * i + 1] = static_cast<int16_t>(std::lround(3000.0 * beat * (right - hiss)));
    }
    return pcm;
}

double now_ms()
{
    return static_cast<double>(platform_counter()) * 1000.0 /
           static_cast<double>(platform_counter_frequency());
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<uint8_t> mp3;
    if (argc > 1) {
        std::ifstream in(argv[1], std::ios::binary);
        mp3.assign(std::istreambuf_iterator<char>(in), {});
        if (mp3.empty()) {
            std::fprintf(stderr, "vigil-bench-music-decode: cannot read %s\n", argv[1]);
            return 1;
        }
    } else {
        std::printf("encoding %.1f s of synthesised stereo at 128 kbit/s...\n",
                    static_cast<double>(SOUNDTRACK_FRAMES) / 44100.0);
        std::vector<int16_t> pcm = synthesise(SOUNDTRACK_FRAMES);
        Mp3Options options;
        options.quality = 7;
        if (!encode_mp3(pcm.data(), SOUNDTRACK_FRAMES, options, &mp3)) {
            std::fprintf(stderr, "vigil-bench-music-decode: encoding failed\n");
            return 1;
        }
    }
    int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    std::vector<double> times;
    int64_t frames = 0;
    for (int run = 0; run < runs; ++run) {
        double start = now_ms();
        FSOUND_STREAM* stream = FSOUND_Stream_Open(reinterpret_cast<const char*>(mp3.data()),
                                                   FSOUND_LOADMEMORY | FSOUND_LOOP_OFF, 0,
                                                   static_cast<int>(mp3.size()));
        double elapsed = now_ms() - start;
        if (!stream) {
            std::fprintf(stderr, "vigil-bench-music-decode: the stream does not decode\n");
            return 1;
        }
        fsound_stream_pcm(stream, &frames);
        FSOUND_Stream_Close(stream);
        times.push_back(elapsed);
        std::printf("run %d: %.1f ms\n", run + 1, elapsed);
    }
    std::sort(times.begin(), times.end());
    std::printf("stream: %zu bytes -> %lld frames (%.3f s); decode at open: median %.1f ms, "
                "min %.1f ms over %d runs\n",
                mp3.size(), static_cast<long long>(frames), static_cast<double>(frames) / 44100.0,
                times[times.size() / 2], times.front(), runs);
    return 0;
}
