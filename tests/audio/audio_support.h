// Helpers for the sound tests: test streams encoded with libmp3lame, a
// capture of standard error, a scoped environment variable, the clock.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Stereo test signal at 44100 Hz, half of full scale: a 440 Hz sine on the
// left; on the right a chirp from 200 Hz to 3 kHz, which lines up with a
// shifted copy of itself only at shift 0.
std::vector<int16_t> make_test_pcm(int64_t frames);

// That signal as a 128 kbit/s MP3 with its Info tag; the source PCM goes to
// `pcm` when given. Fails the calling test when encoding fails.
std::vector<uint8_t> make_test_mp3(int64_t frames, std::vector<int16_t>* pcm = nullptr);

// Sends standard error to a temporary file until text() is called.
class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture() { text(); }
    std::string text(); // ends the capture; what was written

private:
    int m_saved = -1;
    int m_file = -1;
    std::string m_text;
};

// Sets an environment variable and puts the old state back at scope exit.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::string m_old;
    bool m_hadOld = false;
};

// Milliseconds on the monotonic clock.
double monotonic_ms();
