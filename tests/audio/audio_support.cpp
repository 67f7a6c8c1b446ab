// Helpers for the sound tests (see audio_support.h).
#include "tests/audio/audio_support.h"

#include "platform/time.h"
#include "tools/common/mp3_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <unistd.h>

std::vector<int16_t> make_test_pcm(int64_t frames)
{
    std::vector<int16_t> pcm(2 * frames);
    const double duration = static_cast<double>(frames) / 44100.0;
    for (int64_t i = 0; i < frames; ++i) {
        double t = static_cast<double>(i) / 44100.0;
        double sine = std::sin(2.0 * std::numbers::pi * 440.0 * t);
        // Instantaneous frequency 200 + 2800 * t / duration.
        double chirp = std::sin(2.0 * std::numbers::pi * (200.0 * t + 1400.0 / duration * t * t));
        pcm[2 * i] = static_cast<int16_t>(std::lround(16384.0 * sine));
        pcm[2 * i + 1] = static_cast<int16_t>(std::lround(16384.0 * chirp));
    }
    return pcm;
}

std::vector<uint8_t> make_test_mp3(int64_t frames, std::vector<int16_t>* pcm)
{
    std::vector<int16_t> source = make_test_pcm(frames);
    std::vector<uint8_t> mp3;
    EXPECT_TRUE(encode_mp3(source.data(), frames, Mp3Options{}, &mp3)) << frames << " frames";
    if (pcm)
        *pcm = std::move(source);
    return mp3;
}

StderrCapture::StderrCapture()
{
    std::fflush(stderr);
    if (FILE* file = std::tmpfile()) {
        m_file = dup(fileno(file));
        std::fclose(file);
        m_saved = dup(STDERR_FILENO);
        dup2(m_file, STDERR_FILENO);
    }
}

std::string StderrCapture::text()
{
    if (m_saved >= 0) {
        std::fflush(stderr);
        dup2(m_saved, STDERR_FILENO);
        close(m_saved);
        m_saved = -1;
        lseek(m_file, 0, SEEK_SET);
        char buffer[512];
        ssize_t n = 0;
        while ((n = read(m_file, buffer, sizeof buffer)) > 0)
            m_text.append(buffer, static_cast<size_t>(n));
        close(m_file);
    }
    return m_text;
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : m_name(name)
{
    if (const char* old = std::getenv(name)) {
        m_old = old;
        m_hadOld = true;
    }
    setenv(name, value, 1);
}

ScopedEnv::~ScopedEnv()
{
    if (m_hadOld)
        setenv(m_name.c_str(), m_old.c_str(), 1);
    else
        unsetenv(m_name.c_str());
}

double monotonic_ms()
{
    return static_cast<double>(platform_counter()) * 1000.0 /
           static_cast<double>(platform_counter_frequency());
}
