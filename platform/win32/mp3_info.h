// What the Windows sound layer needs to know of an MP3 stream before handing
// it to the system's codec: the format of its first frame, where the audio
// frames begin (after an ID3v2 tag and a LAME/Info tag frame), how many there
// are, and the encoder delay and padding a LAME tag declares. Pure parsing of
// the given bytes; never reads outside them.
#pragma once
#include <cstddef>
#include <cstdint>

struct Mp3Info {
    size_t audioStart;     // offset of the first audio frame
    int32_t sampleRate;    // Hz
    int32_t channels;      // 1 or 2
    int32_t bitrate;       // bits per second of the first audio frame
    int32_t frameBytes;    // bytes of the first audio frame without padding
    int32_t samplesPerFrame;
    int64_t audioFrames;   // audio frames from audioStart to the end (or to the first broken header)
    bool gapless;          // a LAME tag declared the delay and padding below
    int32_t encoderDelay;  // samples the encoder put in front
    int32_t padding;       // samples it appended
};

// False when no MPEG audio Layer III frame is found.
bool read_mp3_info(const uint8_t* data, size_t length, Mp3Info* info);

// The frames to cut from the front of the codec's output and the frames to
// keep, so that the PCM matches what the encoder was given.
struct Trim {
    int64_t skip;
    int64_t frames;
};
// `decoded`: frames the codec produced from the audio frames.
Trim gapless_trim(const Mp3Info& info, int64_t decoded);
