// The sound layer: the few FSOUND_* calls the music module makes, with the
// results it relies on. One MP3 stream is decoded from memory in full when it
// is opened and played once at 44100 Hz, stereo, 16-bit. When no device can
// be opened the stream "plays" silently on the monotonic clock, so its
// position still advances. Streams and their PCM live on the C heap, not in
// the arena, and go back to it when closed. All calls are made from one
// thread; the device's callback runs on its own.
// Implementations: platform/sdl/fsound.cpp (libmpg123 and an SDL audio
// device), platform/win32/fsound.cpp (the Audio Compression Manager's MP3
// codec and waveOut). Each owns the output device and the stream it plays.
#pragma once
#include <cstdint>

struct FSOUND_STREAM; // opaque

// Stream_Open modes. The stream always plays once; LOADMEMORY is required
// (the first argument is a memory block, never a file name).
constexpr unsigned FSOUND_LOOP_OFF = 0x00000001;
constexpr unsigned FSOUND_LOADMEMORY = 0x00008000;
// Stream_Play's "any free channel".
constexpr int FSOUND_FREE = -1;

// The only output rate of this layer.
constexpr int FSOUND_MIXRATE = 44100;

// Opens the audio output. True also when no device could be opened (one line
// on standard error says so, and streams then play without sound); false only
// for a mixing rate other than 44100 or fewer than one channel. Flags are
// ignored. A second call while initialised changes nothing and returns true.
signed char FSOUND_Init(int mixrate, int maxchannels, unsigned flags);

// Decodes `length` bytes at data + offset (an MP3 stream) into 44100 Hz
// stereo 16-bit PCM, trimming the encoder delay and padding that a LAME/Info
// tag declares. Null when the mode lacks FSOUND_LOADMEMORY, the block is
// empty, or nothing in it decodes.
FSOUND_STREAM* FSOUND_Stream_Open(const char* data, unsigned mode, int offset, int length);

// Starts the stream from its beginning on the one output channel and returns
// that channel (0); -1 for a null stream or before FSOUND_Init. Playing
// another stream stops the one that played.
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
// Plays the stream from `ms` milliseconds in; its position then reads `ms`
// plus what has been heard since. -1 for a null stream or before FSOUND_Init.
// FSOUND_Stream_Play is this from 0.
int fsound_stream_play_from(FSOUND_STREAM* stream, int ms);

// Milliseconds of the stream heard so far: 0 until playback has begun, then
// growing with the audio, never decreasing, and constant once the end has
// been heard or the stream was stopped. 0 for a null stream.
int FSOUND_Stream_GetTime(FSOUND_STREAM* stream);

// Stops the stream; its position stays where it was. False for a null stream.
signed char FSOUND_Stream_Stop(FSOUND_STREAM* stream);
// Stops the stream if it plays and frees it. False for a null stream.
signed char FSOUND_Stream_Close(FSOUND_STREAM* stream);

// Stops whatever plays, closes the device and SDL's audio subsystem. Streams
// still open stay valid (silent, their positions frozen) until closed.
void FSOUND_Close();

// Not part of the FSOUND_* set; for tests and tools.
// The decoded PCM: interleaved stereo frames at 44100 Hz.
const int16_t* fsound_stream_pcm(const FSOUND_STREAM* stream, int64_t* frames);
// True while an audio device is open (false before FSOUND_Init, after
// FSOUND_Close, and when initialisation found no device).
bool fsound_has_device();
