// The shipped soundtrack as the demo decodes it: format, length, headroom,
// and accents where the scenes and the effects' fixed moments need them.
#include "assets/content_names.h"
#include "platform/fsound.h"
#include "tools/assetgen/demo_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <numeric>
#include <string>
#include <vector>

namespace {

// Accents: 10 ms windows, every 5 ms, whose energy is at least four times
// (6 dB) the mean energy of the windows that start 50 to 15 ms earlier, and
// above -50 dBFS. Neighbouring windows count as one accent, at the window
// of the sharpest rise. Returns their centres in seconds.
std::vector<double> find_accents(const int16_t* pcm, int64_t frames)
{
    constexpr int64_t WINDOW = 441, HOP = 220, FIRST_BACK = 10, LAST_BACK = 3;
    std::vector<double> energy;
    for (int64_t start = 0; start + WINDOW <= frames; start += HOP) {
        double sum = 0.0;
        for (int64_t i = start; i < start + WINDOW; ++i)
            sum += std::pow((pcm[2 * i] + pcm[2 * i + 1]) / 65536.0, 2);
        energy.push_back(sum / WINDOW);
    }
    std::vector<double> accents;
    int64_t lastFlagged = -100;
    double bestRatio = 0.0;
    for (int64_t k = 0; k < int64_t(energy.size()); ++k) {
        const double before = std::accumulate(energy.begin() + std::max<int64_t>(k - FIRST_BACK, 0),
                                              energy.begin() + std::max<int64_t>(k - LAST_BACK + 1, 0), 0.0);
        const double ratio = energy[size_t(k)] / (before / (FIRST_BACK - LAST_BACK + 1) + 1e-12);
        if (ratio < 4.0 || energy[size_t(k)] < 1e-5)
            continue;
        const double centre = double(k * HOP + WINDOW / 2) / 44100.0;
        if (k - lastFlagged > FIRST_BACK)
            accents.push_back(centre), bestRatio = ratio;
        else if (ratio > bestRatio)
            accents.back() = centre, bestRatio = ratio;
        lastFlagged = k;
    }
    return accents;
}

} // namespace

// Catches a wrong format or bit rate (the demo's decoder and the embedding
// expect MPEG-1 Layer III at 44.1 kHz), a missing gapless tag, a wrong
// length, clipping, an end that stops short, and music that drifted off the
// timeline: each scene starts, and each moment an effect fixes in time
// falls, on an accent.
TEST(Soundtrack, IsAStereoCbrStreamOfTheRightLengthAccentingTheTimeline)
{
    const std::string path = std::string(VIGIL_SOURCE_DIR) + "/assets/data/" + content::SOUNDTRACK;
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), {}};
    size_t offset = 0;
    int mp3Frames = 0;
    for (; offset + 4 <= file.size(); ++mp3Frames) {
        const uint8_t* h = &file[offset];
        // Sync, MPEG-1 Layer III; 128 kbit/s at 44100 Hz; not mono.
        ASSERT_TRUE(h[0] == 0xFF && (h[1] & 0xFE) == 0xFA && (h[2] & 0xFC) == 0x90 && h[3] >> 6 != 3)
            << "frame " << mp3Frames << " at byte " << offset;
        // MPEG-1 stereo: the first frame's tag follows the header and 32 bytes of side information.
        EXPECT_TRUE(mp3Frames > 0 || std::string(reinterpret_cast<const char*>(h) + 36, 4) == "Info") << "gapless tag";
        offset += 144 * 128000 / 44100 + (h[2] >> 1 & 1);
    }
    EXPECT_EQ(offset, file.size()) << "the stream is whole frames and nothing else";
    FSOUND_STREAM* stream = FSOUND_Stream_Open(reinterpret_cast<const char*>(file.data()),
                                               FSOUND_LOADMEMORY | FSOUND_LOOP_OFF, 0, int(file.size()));
    int64_t frames = 0;
    const int16_t* pcm = stream ? fsound_stream_pcm(stream, &frames) : nullptr;
    ASSERT_NE(pcm, nullptr) << "does not decode: " << path;
    EXPECT_NEAR(double(frames) / 44100.0, plan::SOUNDTRACK_MS / 1000.0, 0.2);
    auto peak = [](const int16_t* from, const int16_t* to) {
        return std::abs(int(*std::max_element(from, to, [](int a, int b) { return std::abs(a) < std::abs(b); })));
    };
    const double peakDb = 20.0 * std::log10(peak(pcm, pcm + 2 * frames) / 32768.0),
                 tail = peak(pcm + 2 * (frames - 441), pcm + 2 * frames);
    EXPECT_LT(peakDb, -1.0) << "clips";
    EXPECT_GT(peakDb, -6.0) << "uses the range it has";
    EXPECT_LT(tail, 33) << "the last 10 ms fade out below -60 dBFS";
    const std::vector<double> accents = find_accents(pcm, frames);
    EXPECT_LT(double(accents.size()) / (double(frames) / 44100.0), 2.0) << "so many accents any time is near one";
    std::vector<std::pair<std::string, int>> moments = {{"window background", plan::WINDOW_BACKGROUND_STARTS},
                                                        {"big ghost", plan::BIG_GHOST_RISES},
                                                        {"tree flashes", plan::TREE_FLASHES}};
    for (const plan::Scene& scene : plan::SCENES)
        moments.emplace_back(std::string("scene ") + scene.name, scene.start);
    for (const auto& [what, ms] : moments)
        EXPECT_TRUE(std::any_of(accents.begin(), accents.end(),
                                [ms = ms](double t) { return std::fabs(t - ms / 1e3) <= 0.05; }))
            << what;
    FSOUND_Stream_Close(stream);
}
