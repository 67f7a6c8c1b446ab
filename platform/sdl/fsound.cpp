// The sound backend on libmpg123 and SDL2 audio: decoding and the device
// (platform/shared/sound_stream.h; the bookkeeping is shared).
//
// A stream is decoded in full when it is opened: the soundtrack is three
// minutes, decoding it takes a fraction of a second, and the callback then
// only copies. The PCM block (about 31 MB for the soundtrack) comes from
// malloc, not from the arena: the arena is for objects that live to the end,
// while a stream goes back to the heap when it is closed, and a block that
// size would take a quarter of the arena for nothing.
//
// Threads: everything here runs on the caller's thread except
// audio_callback, which SDL runs on its audio thread with the device lock
// held. The two share only s_output, which the caller's thread touches only
// between SDL_LockAudioDevice and SDL_UnlockAudioDevice, for a few copies.
// The callback neither allocates nor logs nor blocks.
#include "platform/fsound.h"

#include "platform/shared/sound_position.h"
#include "platform/shared/sound_stream.h"
#include "platform/time.h"

#include <SDL.h>
#include <mpg123.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int32_t CHANNELS = 2;
constexpr int32_t BYTES_PER_FRAME = CHANNELS * static_cast<int32_t>(sizeof(int16_t));
// Frames per callback: 23 ms, which is also the latency the position assumes.
constexpr Uint16 CALLBACK_FRAMES = 1024;

// What the callback plays and how far the device has got. Guarded by the
// device lock.
struct Output {
    FSOUND_STREAM* stream; // null: silence
    int64_t cursor;        // next frame of stream->pcm to hand over
    DeviceProgress progress;
};

bool s_subsystem = false;       // SDL's audio subsystem was started here
SDL_AudioDeviceID s_device = 0; // 0: no device
Output s_output{};

void SDLCALL audio_callback(void*, Uint8* out, int len)
{
    int64_t frames = len / BYTES_PER_FRAME;
    int64_t copied = 0;
    FSOUND_STREAM* stream = s_output.stream;
    if (stream) {
        copied = std::clamp<int64_t>(stream->frames - s_output.cursor, 0, frames);
        std::memcpy(out, stream->pcm + CHANNELS * s_output.cursor, copied * BYTES_PER_FRAME);
        s_output.cursor += copied;
        DeviceProgress& p = s_output.progress;
        p.callbacks += 1;
        p.deviceFrames += frames;
        p.lastFrames = frames;
        p.lastCounter = platform_counter();
    }
    // Silence after the end of the stream (0 is silence for signed 16-bit).
    std::memset(out + copied * BYTES_PER_FRAME, 0, len - copied * BYTES_PER_FRAME);
}

// Sends standard error to /dev/null for its lifetime. Some audio back ends
// print lines of their own while SDL probes them (ALSA does, several, when it
// finds no sound card); what matters is in SDL's error text, which the caller
// reports in one line of its own.
class QuietStderr {
public:
    QuietStderr()
    {
        std::fflush(stderr);
        int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null < 0)
            return;
        saved = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
        if (saved >= 0)
            dup2(null, STDERR_FILENO);
        close(null);
    }
    ~QuietStderr()
    {
        if (saved < 0)
            return;
        std::fflush(stderr);
        dup2(saved, STDERR_FILENO);
        close(saved);
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved = -1;
};

// libmpg123 reads the block through these, so it can also seek in it and
// know its size.
struct MemoryReader {
    const unsigned char* data;
    int64_t size;
    int64_t position;
};

mpg123_ssize_t reader_read(void* handle, void* buffer, size_t bytes)
{
    auto* reader = static_cast<MemoryReader*>(handle);
    int64_t n = std::min<int64_t>(static_cast<int64_t>(bytes), reader->size - reader->position);
    std::memcpy(buffer, reader->data + reader->position, n);
    reader->position += n;
    return static_cast<mpg123_ssize_t>(n);
}

off_t reader_seek(void* handle, off_t offset, int whence)
{
    auto* reader = static_cast<MemoryReader*>(handle);
    int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? reader->position : reader->size;
    int64_t target = base + offset;
    if (target < 0 || target > reader->size)
        return -1;
    reader->position = target;
    return static_cast<off_t>(target);
}

} // namespace

// A decoding error after some audio keeps what decoded before it, as a
// player would have played up to there.
bool sound_decode_mp3(const uint8_t* data, int64_t size, int16_t** pcmOut, int64_t* framesOut)
{
    static const bool s_library_ready = mpg123_init() == MPG123_OK;
    if (!s_library_ready)
        return false;
    int error = MPG123_OK;
    mpg123_handle* mh = mpg123_new(nullptr, &error);
    if (!mh)
        return false;
    // Gapless: drop the encoder delay and padding that the LAME/Info tag
    // declares. Quiet: a block that is no MP3 is a result, not a message.
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
    mpg123_format_none(mh);
    mpg123_format(mh, FSOUND_MIXRATE, MPG123_STEREO, MPG123_ENC_SIGNED_16);

    MemoryReader reader{data, size, 0};
    int16_t* pcm = nullptr;
    int64_t frames = 0;
    bool ok = mpg123_replace_reader_handle(mh, reader_read, reader_seek, nullptr) == MPG123_OK &&
              mpg123_open_handle(mh, &reader) == MPG123_OK;
    if (ok) {
        // The Info tag usually gives the exact length; otherwise start with a
        // second and double.
        off_t expected = mpg123_length(mh);
        int64_t capacity = expected > 0 ? static_cast<int64_t>(expected) + 1152 : FSOUND_MIXRATE;
        pcm = static_cast<int16_t*>(std::malloc(capacity * BYTES_PER_FRAME));
        ok = pcm != nullptr;
        while (ok) {
            if (frames == capacity) {
                capacity *= 2;
                auto* grown = static_cast<int16_t*>(std::realloc(pcm, capacity * BYTES_PER_FRAME));
                if (!grown) {
                    ok = false;
                    break;
                }
                pcm = grown;
            }
            size_t bytes = 0;
            int rc = mpg123_read(mh, reinterpret_cast<unsigned char*>(pcm + CHANNELS * frames),
                                 (capacity - frames) * BYTES_PER_FRAME, &bytes);
            frames += static_cast<int64_t>(bytes) / BYTES_PER_FRAME;
            if (rc == MPG123_NEW_FORMAT) {
                long rate = 0;
                int channels = 0;
                int encoding = 0;
                mpg123_getformat(mh, &rate, &channels, &encoding);
                if (rate != FSOUND_MIXRATE || channels != CHANNELS || encoding != MPG123_ENC_SIGNED_16)
                    ok = false;
            } else if (rc != MPG123_OK) {
                break; // MPG123_DONE, or an error that ends the audio here
            }
        }
        mpg123_close(mh);
    }
    mpg123_delete(mh);
    if (!ok || frames == 0) {
        std::free(pcm);
        return false;
    }
    if (auto* fitted = static_cast<int16_t*>(std::realloc(pcm, frames * BYTES_PER_FRAME)))
        pcm = fitted;
    *pcmOut = pcm;
    *framesOut = frames;
    return true;
}

bool sound_device_open(char* reason, size_t size)
{
    SDL_AudioSpec want{};
    want.freq = FSOUND_MIXRATE;
    want.format = AUDIO_S16SYS;
    want.channels = CHANNELS;
    want.samples = CALLBACK_FRAMES;
    want.callback = audio_callback;
    SDL_AudioSpec have{};
    {
        QuietStderr quiet;
        s_subsystem = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        // No changes allowed: SDL converts to whatever the hardware takes, and
        // the callback always fills CALLBACK_FRAMES frames of our format.
        if (s_subsystem)
            s_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    }
    if (s_device)
        return true;
    std::snprintf(reason, size, "%s", SDL_GetError());
    if (s_subsystem)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    s_subsystem = false;
    return false;
}

void sound_device_close()
{
    if (s_device)
        SDL_CloseAudioDevice(s_device);
    s_device = 0;
    if (s_subsystem)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    s_subsystem = false;
}

bool sound_device_play(FSOUND_STREAM* stream)
{
    SDL_LockAudioDevice(s_device);
    s_output = Output{stream, stream->start, DeviceProgress{}};
    SDL_UnlockAudioDevice(s_device);
    SDL_PauseAudioDevice(s_device, 0);
    return true;
}

int64_t sound_device_heard()
{
    SDL_LockAudioDevice(s_device);
    DeviceProgress progress = s_output.progress;
    SDL_UnlockAudioDevice(s_device);
    // Read after the copy, so the latest callback is not in the future.
    return heard_frames_device(progress, platform_counter(), platform_counter_frequency(), FSOUND_MIXRATE);
}

void sound_device_stop()
{
    SDL_PauseAudioDevice(s_device, 1);
    SDL_LockAudioDevice(s_device);
    s_output = Output{};
    SDL_UnlockAudioDevice(s_device);
}
