// The files the Linux decoders write for the Windows test program: each
// embedded JPEG or GIF picture as NAME.rgba (width and height as 32-bit
// little-endian words, then the RGBA pixels as DecodeImage gives them), and
// the soundtrack as soundtrack.pcm (interleaved stereo 16-bit frames at
// 44100 Hz, as the sound layer decodes it), and a variable-bit-rate stream
// made by the test itself as vbr.mp3 with its Linux decode as vbr.pcm.
#pragma once
#include <cstring>

// The variable-bit-rate stream and its decode by libmpg123.
constexpr const char* VBR_MP3 = "vbr.mp3";
constexpr const char* VBR_PCM = "vbr.pcm";

inline bool is_picture_name(const char* name)
{
    size_t n = std::strlen(name);
    return n > 4 && (std::strcmp(name + n - 4, ".jpg") == 0 || std::strcmp(name + n - 4, ".gif") == 0);
}
