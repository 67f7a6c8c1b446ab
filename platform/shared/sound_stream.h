// The sound layer's bookkeeping, written once above the sound backends: the
// FSOUND_* calls of platform/fsound.h (streams, which one plays, the heard
// position that never decreases, the silent clock when there is no device)
// over the primitives below, which each sound backend provides
// (platform/sdl/fsound.cpp, platform/win32/fsound.cpp).
// State (platform/shared/sound_stream.cpp): whether the layer is open,
// whether it has a device, and the stream that plays.
#pragma once
#include <cstddef>
#include <cstdint>

struct FSOUND_STREAM {
    int16_t* pcm;        // interleaved stereo frames at 44100 Hz, from malloc
    int64_t frames;      // frames in pcm
    bool playing;        // between Play and Stop/Close
    bool onDevice;       // playing through the device (else on the clock)
    int64_t playCounter; // platform_counter() at Play, for the clock path
    int64_t start;       // the frame playing began at (0, or a preview's seek)
    int64_t heard;       // highest position reported so far, in frames
};

// The backend's part. Opens the output device (44100 Hz, stereo, signed
// 16-bit); false, with the system's reason in `reason`, when there is none.
bool sound_device_open(char* reason, size_t size);
void sound_device_close();
// Decodes an MP3 stream into malloc'd PCM of the layer's format, trimming the
// encoder delay and padding a LAME/Info tag declares. False when nothing
// decodes.
bool sound_decode_mp3(const uint8_t* data, int64_t size, int16_t** pcm, int64_t* frames);
// Plays the stream's PCM from stream->start on the device, silence after its
// end; false when the device cannot (the stream then plays on the clock).
bool sound_device_play(FSOUND_STREAM* stream);
// Frames the listener has heard since sound_device_play (an estimate that
// never decreases).
int64_t sound_device_heard();
// Stops the device and forgets the stream it played.
void sound_device_stop();
