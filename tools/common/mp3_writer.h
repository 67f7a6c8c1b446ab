// MP3 encoding for the tools and the tests: interleaved 16-bit stereo PCM in,
// an MPEG-1 Layer III stream out, with a LAME/Info tag in its first frame so
// that a gapless decoder can trim the encoder's delay and padding and give
// back exactly the frames that went in. Depends on libmp3lame.
#pragma once
#include <cstdint>
#include <vector>

struct Mp3Options {
    int32_t sampleRate = 44100;
    int32_t bitrateKbps = 128; // constant bit rate (unless vbrLevel is set)
    int32_t quality = 5;       // LAME's 0 (best, slowest) to 9 (worst, fastest)
    // Variable bit rate at this LAME level, 0 (largest) to 9 (smallest), in
    // place of the constant bitrateKbps; -1 keeps the constant bit rate. The
    // first frame then carries a Xing tag (with the same delay and padding).
    int32_t vbrLevel = -1;
};

// Encodes `frames` stereo frames (left, right, left, ...) into `out`, which is
// replaced. False when the encoder refuses the settings or fails.
bool encode_mp3(const int16_t* interleaved, int64_t frames, const Mp3Options& options,
                std::vector<uint8_t>* out);
