// The soundtrack: the synthesiser's building blocks, the onset detector the
// checks rely on, and the committed stream as the demo decodes it (length,
// format, headroom, accents where the scenes and the effects need them),
// which the generator must reproduce byte for byte.
#include "assets/content_names.h"
#include "platform/fsound.h"
#include "tools/assetgen/assetgen.h"
#include "tools/assetgen/demo_plan.h"
#include "tools/assetgen/synth_dsp.h"
#include "tools/assetgen/synth_instruments.h"
#include "tools/assetgen/synth_mix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace synth;

const std::string COMMITTED = std::string(VIGIL_SOURCE_DIR) + "/assets/data/" + content::SOUNDTRACK;

std::vector<uint8_t> read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

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
        for (int64_t i = start; i < start + WINDOW; ++i) {
            double mono = (pcm[2 * i] + pcm[2 * i + 1]) / 65536.0;
            sum += mono * mono;
        }
        energy.push_back(sum / WINDOW);
    }
    std::vector<double> accents;
    int64_t lastFlagged = -100;
    double bestRatio = 0.0;
    for (int64_t k = 0; k < static_cast<int64_t>(energy.size()); ++k) {
        double before = 0.0;
        for (int64_t j = k - FIRST_BACK; j <= k - LAST_BACK; ++j)
            before += j >= 0 ? energy[j] : 0.0; // silence before the start
        before /= FIRST_BACK - LAST_BACK + 1;
        double ratio = energy[k] / (before + 1e-12);
        if (ratio < 4.0 || energy[k] < 1e-5)
            continue;
        double centre = (k * HOP + WINDOW / 2) / 44100.0;
        if (k - lastFlagged > FIRST_BACK) {
            accents.push_back(centre);
            bestRatio = ratio;
        } else if (ratio > bestRatio) {
            accents.back() = centre;
            bestRatio = ratio;
        }
        lastFlagged = k;
    }
    return accents;
}

double nearest(const std::vector<double>& times, double t)
{
    double best = 1e9;
    for (double x : times)
        best = std::min(best, std::fabs(x - t));
    return best;
}

// The committed stream decoded by the sound layer, as the demo plays it.
class DecodedSoundtrack : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_file = read_file(COMMITTED);
        ASSERT_FALSE(m_file.empty()) << "missing: " << COMMITTED;
        m_stream = FSOUND_Stream_Open(reinterpret_cast<const char*>(m_file.data()), FSOUND_LOADMEMORY | FSOUND_LOOP_OFF,
                                      0, static_cast<int>(m_file.size()));
        ASSERT_NE(m_stream, nullptr) << "does not decode";
        m_pcm = fsound_stream_pcm(m_stream, &m_frames);
        ASSERT_NE(m_pcm, nullptr);
    }
    void TearDown() override
    {
        if (m_stream)
            FSOUND_Stream_Close(m_stream);
    }

    std::vector<uint8_t> m_file;
    FSOUND_STREAM* m_stream = nullptr;
    const int16_t* m_pcm = nullptr;
    int64_t m_frames = 0;
};

} // namespace

// Catches a polynomial or range reduction gone wrong: the generator's math
// must agree with the C library's, which it replaces only for determinism.
TEST(SynthMath, AgreesWithTheLibrary)
{
    for (double x = -3.0; x <= 3.0; x += 0.000731) {
        ASSERT_NEAR(sin_turns(x), std::sin(2.0 * M_PI * x), 1e-9) << x;
        ASSERT_NEAR(cos_turns(x), std::cos(2.0 * M_PI * x), 1e-9) << x;
    }
    for (double x = -40.0; x <= 20.0; x += 0.0137)
        ASSERT_NEAR(pow2(x) / std::exp2(x), 1.0, 1e-12) << x;
    EXPECT_DOUBLE_EQ(note_hz(69), 440.0);
    EXPECT_NEAR(note_hz(57), 220.0, 1e-9);
    EXPECT_NEAR(note_hz(60), 261.6255653, 1e-6);
    EXPECT_NEAR(db_gain(-6.0), 0.5011872336, 1e-9);
    EXPECT_NEAR(std::pow(decay_factor(0.1), 4410.0), std::exp(-1.0), 1e-9);

    Noise a(7), b(7), c(8);
    double sum = 0.0, low = 1.0, high = -1.0;
    bool differs = false;
    for (int i = 0; i < 100000; ++i) {
        double x = a.bipolar();
        ASSERT_EQ(x, b.bipolar()) << "same seed, same sequence";
        differs |= x != c.bipolar();
        sum += x;
        low = std::min(low, x);
        high = std::max(high, x);
    }
    EXPECT_TRUE(differs) << "another seed, another sequence";
    EXPECT_NEAR(sum / 100000, 0.0, 0.01);
    EXPECT_GE(low, -1.0);
    EXPECT_LT(high, 1.0);
    EXPECT_LT(low, -0.99);
    EXPECT_GT(high, 0.99);
}

// Catches clicks from the envelope: a jump at the start, at the gate (also
// when it closes during the attack or the decay) or at the end.
TEST(SynthEnvelope, RisesFallsAndEndsWithoutSteps)
{
    struct Case {
        double attack, decay, sustain, release, gate;
    };
    for (const Case& c : {Case{0.01, 0.2, 0.5, 0.3, 1.0}, Case{0.5, 0.1, 0.2, 0.05, 0.2}, Case{0.002, 0.05, 0.0, 0.1, 0.5},
                          Case{1.5, 1.0, 1.0, 2.5, 3.0}}) {
        Envelope envelope(c.attack, c.decay, c.sustain, c.release, c.gate);
        const int64_t length = envelope.length();
        EXPECT_EQ(length, to_frames(c.gate) + to_frames(c.release));
        const double attackStep = 1.0 / static_cast<double>(to_frames(c.attack));
        const double releaseStep = 4.5 / static_cast<double>(to_frames(c.release)); // steepest part of the fall
        double previous = 0.0, top = 0.0;
        for (int64_t i = 0; i < length; ++i) {
            double level = envelope.next();
            if (i == 0) {
                EXPECT_EQ(level, 0.0);
            }
            ASSERT_GE(level, 0.0) << i;
            ASSERT_LE(level, 1.0) << i;
            ASSERT_LE(std::fabs(level - previous), std::max(attackStep, releaseStep) + 1e-12)
                << "step at sample " << i << " of " << length << ", attack " << c.attack;
            previous = level;
            top = std::max(top, level);
        }
        EXPECT_EQ(previous, 0.0) << "the release ends on 0";
        EXPECT_EQ(envelope.next(), 0.0);
        EXPECT_GT(top, std::min(1.0, c.gate / c.attack) * 0.9) << "it opens";
    }
}

// Catches an instrument that starts or stops abruptly (a click at each note
// edge), stays silent or blows up.
TEST(SynthInstruments, EveryVoiceStartsAndEndsInSilence)
{
    const int chord[4] = {50, 53, 57, 64};
    const std::vector<std::pair<const char*, std::function<void(Voice&)>>> voices = {
        {"pad", [&](Voice& v) { pad(v, chord, 4, 1.0, PadStyle{0.3, 0.5, 400.0, 2000.0, 9.0}, 1); }},
        {"bass", [](Voice& v) { bass(v, 38, 0.4, 380.0, 2.0); }},
        {"pluck", [](Voice& v) { pluck(v, 62, 0.2, 0.8); }},
        {"bell", [](Voice& v) { bell(v, 74, 1.0, 0.8); }},
        {"lead", [](Voice& v) { lead(v, 69, 1.2); }},
        {"kick", [](Voice& v) { kick(v, 2); }},
        {"snare", [](Voice& v) { snare(v, 3); }},
        {"closed hat", [](Voice& v) { hat(v, false, 4); }},
        {"open hat", [](Voice& v) { hat(v, true, 4); }},
        {"rim", [](Voice& v) { rim(v, 5); }},
        {"tom", [](Voice& v) { tom(v, 45); }},
        {"crash", [](Voice& v) { crash(v, 2.0, 6); }},
        {"impact", [](Voice& v) { impact(v, 7); }},
        {"riser", [](Voice& v) { riser(v, 1.5, 8); }},
    };
    for (const auto& [name, render] : voices) {
        Voice voice;
        render(voice);
        ASSERT_GT(voice.frames, 100) << name;
        for (const std::vector<float>* side : {&voice.left, &voice.right}) {
            const std::vector<float>& s = *side;
            ASSERT_EQ(static_cast<int64_t>(s.size()), voice.frames) << name;
            EXPECT_EQ(s.front(), 0.0f) << name << " starts on 0";
            EXPECT_EQ(s.back(), 0.0f) << name << " ends on 0";
            float peak = 0.0f;
            for (float x : s) {
                ASSERT_TRUE(std::isfinite(x)) << name;
                peak = std::max(peak, std::fabs(x));
            }
            // An attack of at least 0.4 ms keeps the first samples low.
            float start = 0.0f;
            for (int i = 0; i < 5; ++i)
                start = std::max(start, std::fabs(s[i]));
            EXPECT_LT(start, 0.25f * peak) << name << " leaps in at full level";
            EXPECT_GT(peak, 0.05f) << name << " is nearly silent";
            EXPECT_LT(peak, 2.0f) << name;
        }
    }
}

// Catches a master that lets the loudest hit set the level of everything,
// misses its peak target, or ends on a step: one short loud burst over a
// quiet tone, limited 6 dB.
TEST(SynthMix, LimitsPeaksNormalisesAndFadesOut)
{
    const int64_t frames = 2 * RATE;
    Mix mix(frames);
    Voice tone;
    tone.clear(frames);
    Phase phase;
    phase.set_hz(440.0);
    for (int64_t i = 0; i < frames; ++i)
        tone.left[i] = tone.right[i] = static_cast<float>(0.1 * sine(phase));
    mix.add(0, tone, Sends{});
    Voice burst;
    burst.clear(220);
    double rawPeak = 0.0;
    for (int64_t i = 0; i < 220; ++i) {
        burst.left[i] = burst.right[i] = static_cast<float>(0.9 * sin_turns(i / 220.0 * 0.5) * sine(phase));
        rawPeak = std::max(rawPeak, std::fabs(double(burst.left[i]) + tone.left[RATE + i]));
    }
    mix.add(RATE, burst, Sends{});

    MasterSettings settings;
    settings.limitDb = 6.0;
    settings.peakDb = -3.0;
    settings.fadeOutSeconds = 0.25;
    std::vector<int16_t> pcm = mix.master(settings);
    ASSERT_EQ(static_cast<int64_t>(pcm.size()), 2 * frames);

    auto peak_between = [&](double from, double to) {
        int peak = 0;
        for (int64_t i = to_frames(from); i < to_frames(to); ++i)
            peak = std::max({peak, std::abs(int(pcm[2 * i])), std::abs(int(pcm[2 * i + 1]))});
        return peak / 32767.0;
    };
    EXPECT_NEAR(peak_between(0.0, 2.0), db_gain(-3.0), 1.0 / 32767.0) << "the loudest sample lands on -3 dBFS";
    // With the burst held 6 dB down (a little more where the smoothed gain
    // undershoots), the tone comes out about 6 dB louder than plain
    // normalisation to the burst would leave it.
    const double plain = 0.1 / rawPeak * db_gain(-3.0);
    EXPECT_GT(peak_between(0.3, 0.9) / plain, db_gain(5.5));
    EXPECT_LT(peak_between(0.3, 0.9) / plain, db_gain(7.5));
    EXPECT_NEAR(peak_between(1.2, 1.6), peak_between(0.3, 0.9), 0.02) << "the gain comes back after the burst";
    EXPECT_EQ(pcm[pcm.size() - 1], 0);
    EXPECT_EQ(pcm[pcm.size() - 2], 0);
    EXPECT_LT(peak_between(1.99, 2.0), 0.01) << "faded out";
}

// Catches a detector that would pass the accent checks below whatever the
// music does: it must find a hit, and only the hit, over a wavering tone and
// a slow swell.
TEST(OnsetDetector, FindsTheHitAndIgnoresSwellsAndTremolo)
{
    const int64_t frames = 3 * RATE;
    std::vector<int16_t> pcm(2 * frames);
    Noise noise(11);
    Phase tone, tremolo;
    tone.set_hz(110.0);
    tremolo.set_hz(5.0);
    for (int64_t i = 0; i < frames; ++i) {
        double t = static_cast<double>(i) / RATE;
        double x = 0.2 * (1.0 + 0.2 * sine(tremolo)) * sine(tone);
        if (t >= 1.0 && t < 2.0)
            x += 0.3 * (t - 1.0) * noise.bipolar(); // swells over a second
        if (t >= 2.5)
            x += 0.8 * std::min(1.0, (t - 2.5) / 0.001) * std::exp(-(t - 2.5) / 0.1) * noise.bipolar();
        pcm[2 * i] = pcm[2 * i + 1] = static_cast<int16_t>(std::lround(x * 32767.0));
    }
    std::vector<double> accents = find_accents(pcm.data(), frames);
    ASSERT_EQ(accents.size(), 2u) << "the start out of silence and the hit; first at "
                                  << (accents.empty() ? -1.0 : accents[0]);
    EXPECT_LT(accents[0], 0.02);
    EXPECT_NEAR(accents[1], 2.5, 0.01);
}

// Catches a wrong format or bit rate (the demo's decoder and the embedding
// expect MPEG-1 Layer III at 44.1 kHz), a missing gapless tag, a wrong
// length and clipping.
TEST_F(DecodedSoundtrack, IsAStereoCbrStreamOfTheRightLengthWithHeadroom)
{
    size_t offset = 0;
    int frames = 0;
    while (offset + 4 <= m_file.size()) {
        const uint8_t* h = &m_file[offset];
        ASSERT_TRUE(h[0] == 0xFF && (h[1] & 0xE0) == 0xE0) << "lost frame sync at byte " << offset;
        ASSERT_EQ((h[1] >> 3) & 3, 3) << "MPEG-1, frame " << frames;
        ASSERT_EQ((h[1] >> 1) & 3, 1) << "Layer III, frame " << frames;
        ASSERT_EQ(h[2] >> 4, 9) << "128 kbit/s, frame " << frames;
        ASSERT_EQ((h[2] >> 2) & 3, 0) << "44100 Hz, frame " << frames;
        ASSERT_NE(h[3] >> 6, 3) << "stereo, frame " << frames;
        if (frames == 0) {
            // MPEG-1 stereo: the tag follows the header and 32 bytes of side information.
            ASSERT_GE(m_file.size(), 40u);
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(h) + 36, 4), "Info") << "the gapless tag";
        }
        offset += 144 * 128000 / 44100 + ((h[2] >> 1) & 1);
        ++frames;
    }
    EXPECT_EQ(offset, m_file.size()) << "the stream is whole frames and nothing else";
    EXPECT_NEAR(static_cast<double>(m_frames) / 44100.0, plan::SOUNDTRACK_MS / 1000.0, 0.2);
    // The frames after the tag hold what was decoded, plus at most the
    // encoder's delay and padding (under three frames of 1152 samples).
    EXPECT_GE((frames - 1) * 1152, m_frames);
    EXPECT_LT((frames - 1) * 1152, m_frames + 3 * 1152);
    int peak = 0;
    for (int64_t i = 0; i < 2 * m_frames; ++i)
        peak = std::max(peak, std::abs(int(m_pcm[i])));
    EXPECT_LT(20.0 * std::log10(peak / 32768.0), -1.0) << "peak " << peak;
    EXPECT_GT(20.0 * std::log10(peak / 32768.0), -6.0) << "uses the range it has";
    // The end fades out instead of stopping short.
    int tail = 0;
    for (int64_t i = 2 * (m_frames - 441); i < 2 * m_frames; ++i)
        tail = std::max(tail, std::abs(int(m_pcm[i])));
    EXPECT_LT(tail, 33) << "the last 10 ms are below -60 dBFS";
}

// Catches music that drifted off the timeline: each scene starts, and each
// moment an effect fixes in time falls, on an accent.
TEST_F(DecodedSoundtrack, AccentsEverySceneStartAndSyncPoint)
{
    std::vector<double> accents = find_accents(m_pcm, m_frames);
    double seconds = static_cast<double>(m_frames) / 44100.0;
    EXPECT_LT(accents.size() / seconds, 2.0) << "so many accents that any time would be near one";
    for (const plan::Scene& scene : plan::SCENES)
        EXPECT_LE(nearest(accents, scene.start / 1000.0), 0.05) << "scene " << scene.name;
    EXPECT_LE(nearest(accents, plan::WINDOW_BACKGROUND_STARTS / 1000.0), 0.05) << "window background";
    EXPECT_LE(nearest(accents, plan::BIG_GHOST_RISES / 1000.0), 0.05) << "big ghost";
    EXPECT_LE(nearest(accents, plan::TREE_FLASHES / 1000.0), 0.05) << "tree flashes";
}

// Catches a committed file that the generator no longer makes (or a
// generator whose output depends on anything but itself).
TEST(SoundtrackGenerator, ReproducesTheCommittedFile)
{
    GeneratedFiles files;
    generate_soundtrack(files);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].name, content::SOUNDTRACK);
    std::vector<uint8_t> committed = read_file(COMMITTED);
    ASSERT_FALSE(committed.empty()) << "missing: " << COMMITTED;
    EXPECT_EQ(files[0].bytes.size(), committed.size());
    EXPECT_TRUE(files[0].bytes == committed) << "regenerate with build/vigil-assetgen and commit";
}
