// The soundtrack as the generator makes it, for the generator and its tests.
#pragma once
#include <cstdint>
#include <vector>

// LAME's quality setting for the soundtrack (0 best and slowest, 9 worst):
// a balance of sound and the generator's running time.
constexpr int32_t SOUNDTRACK_MP3_QUALITY = 3;

// The whole piece, plan::SOUNDTRACK_MS long, as interleaved 16-bit stereo at
// 44100 Hz, before encoding.
std::vector<int16_t> render_soundtrack();
