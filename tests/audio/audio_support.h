// Helpers for the sound tests: synthesised test signals encoded to MP3, a
// capture of standard error, and the choice of SDL's audio driver.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t TEST_RATE = 44100;

// Stereo test signal: a 440 Hz sine on the left, on the right a chirp from
// 200 Hz to 3 kHz over the whole length (a signal that lines up with a
// shifted copy of itself only at shift 0). Both at half of full scale.
std::vector<int16_t> make_test_pcm(int64_t frames);

// The test signal of `frames` frames as a 128 kbit/s MP3 with its Info tag;
// the source PCM goes to `pcm` when given. Fails the calling test (and returns
// an empty vector) when encoding fails.
std::vector<uint8_t> make_test_mp3(int64_t frames, std::vector<int16_t>* pcm = nullptr);

// Milliseconds in a whole number of frames at 44100 Hz, rounded down.
int32_t frames_ms(int64_t frames);

// Sends standard error to a temporary file from construction until text()
// or destruction.
class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    // Ends the capture (if still running) and returns what was written.
    std::string text();

private:
    void finish();
    int m_saved = -1;
    int m_file = -1;
    std::string m_text;
};

// Sets an environment variable for the lifetime of the object and puts the
// old value (or its absence) back afterwards.
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

// Milliseconds on the monotonic clock since an arbitrary origin.
double monotonic_ms();
