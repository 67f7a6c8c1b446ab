// Music stream: the soundtrack, played once from memory through the sound
// layer (platform/fsound.h). Its position in milliseconds is the clock that
// chooses scenes.
// State: the data pointer and length of the stream to open, the stream
// handle (null until music_init opens it), and an optional source set by
// music_set_source. Depends on platform/fsound.h and assets/embedded.h.
#pragma once
#include <cstdint>

// Init routine: opens the sound library and the stream. The stream is the
// source set by music_set_source, else the embedded "soundtrack.mp3". 1 on
// success; 0 when there is no soundtrack, the library fails to initialise
// or the stream does not open.
int32_t music_init();
// Starts the stream. Always 1 (nothing happens when no stream is open).
int32_t music_play();
// Starts the stream `ms` milliseconds in (the authors' preview seeks and
// resumes with it). Always 1.
int32_t music_play_from(int32_t ms);
// Stops the stream. Always 1.
int32_t music_stop();
// Stops and closes the stream, then closes the sound library. Always 1.
int32_t music_close();
// Milliseconds of the stream heard so far; 0 before music_play and while no
// stream is open.
int32_t music_time_ms();

// True between a successful music_init and music_close.
bool music_is_open();

// Makes music_init open `length` bytes at `stream` instead of the embedded
// soundtrack; a null stream goes back to the embedded one. The bytes must
// stay valid until music_close.
void music_set_source(const uint8_t* stream, int32_t length);
