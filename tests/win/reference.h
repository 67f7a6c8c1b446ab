// The files the Linux decoders write for the Windows test program: each
// embedded JPEG or GIF picture as NAME.rgba (width and height as 32-bit
// little-endian words, then the RGBA pixels as DecodeImage gives them), and
// the soundtrack as soundtrack.pcm (interleaved stereo 16-bit frames at
// 44100 Hz, as the sound layer decodes it).
#pragma once
#include <cstring>

inline bool is_picture_name(const char* name)
{
    size_t n = std::strlen(name);
    return n > 4 && (std::strcmp(name + n - 4, ".jpg") == 0 || std::strcmp(name + n - 4, ".gif") == 0);
}
