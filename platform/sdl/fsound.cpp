// The sound layer on libmpg123 and SDL2 audio (see platform/fsound.h).
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
#include "platform/time.h"

#include <SDL.h>
#include <mpg123.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

struct FSOUND_STREAM {
    int16_t* pcm;        // interleaved stereo frames, from malloc
    int64_t frames;      // frames in pcm
    bool playing;        // between Play and Stop/Close
    bool onDevice;       // playing through the device (else on the clock)
    int64_t playCounter; // platform_counter() at Play, for the clock path
    int64_t heard;       // highest position reported so far, in frames
    int64_t startFrame;  // where playback began (0, or a preview's seek)
};

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

bool s_initialised = false;
bool s_subsystem = false;       // SDL's audio subsystem was started here
SDL_AudioDeviceID s_device = 0; // 0: no device, streams play on the clock
FSOUND_STREAM* s_current = nullptr;
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
        m_saved = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
        if (m_saved >= 0)
            dup2(null, STDERR_FILENO);
        close(null);
    }
    ~QuietStderr()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        dup2(m_saved, STDERR_FILENO);
        close(m_saved);
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int m_saved = -1;
};

void report_no_device(const char* reason)
{
    if (!reason || !*reason)
        reason = "unknown reason";
    std::fprintf(stderr, "vigil: no audio device (%s); playing without sound\n", reason);
    std::fflush(stderr);
}

// Frames heard so far; updates the stream's never-decreasing record.
int64_t heard_now(FSOUND_STREAM* stream)
{
    if (!stream->playing)
        return stream->heard;
    int64_t heard = 0;
    if (stream->onDevice) {
        SDL_LockAudioDevice(s_device);
        DeviceProgress progress = s_output.progress;
        SDL_UnlockAudioDevice(s_device);
        // Read after the copy, so the latest callback is not in the future.
        heard = heard_frames_device(progress, platform_counter(), platform_counter_frequency(),
                                    FSOUND_MIXRATE);
    } else {
        heard = heard_frames_clock(stream->playCounter, platform_counter(),
                                   platform_counter_frequency(), FSOUND_MIXRATE);
    }
    // The estimate never decreases by construction (sound_position.h); the
    // record makes that a guarantee of this call whatever the device does,
    // and is what a stopped stream goes on reporting.
    stream->heard = std::max(stream->heard, std::min(stream->startFrame + heard, stream->frames));
    return stream->heard;
}

void stop_stream(FSOUND_STREAM* stream)
{
    if (stream->playing) {
        heard_now(stream);
        stream->playing = false;
    }
    if (stream == s_current) {
        if (s_device) {
            SDL_PauseAudioDevice(s_device, 1);
            SDL_LockAudioDevice(s_device);
            s_output = Output{};
            SDL_UnlockAudioDevice(s_device);
        }
        s_current = nullptr;
    }
}

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

// Decodes the block into malloc'd 44100 Hz stereo 16-bit PCM. A decoding
// error after some audio keeps what decoded before it, as a player would have
// played up to there. False when no audio decodes at all.
bool decode_mp3(const unsigned char* data, int64_t size, int16_t** pcmOut, int64_t* framesOut)
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

} // namespace

signed char FSOUND_Init(int mixrate, int maxchannels, unsigned)
{
    if (mixrate != FSOUND_MIXRATE || maxchannels < 1)
        return 0;
    if (s_initialised)
        return 1;
    s_initialised = true;
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
    if (!s_device) {
        report_no_device(SDL_GetError());
        if (s_subsystem)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        s_subsystem = false;
    }
    return 1;
}

FSOUND_STREAM* FSOUND_Stream_Open(const char* data, unsigned mode, int offset, int length)
{
    if (!data || !(mode & FSOUND_LOADMEMORY) || offset < 0 || length <= 0)
        return nullptr;
    int16_t* pcm = nullptr;
    int64_t frames = 0;
    if (!decode_mp3(reinterpret_cast<const unsigned char*>(data) + offset, length, &pcm, &frames))
        return nullptr;
    auto* stream = static_cast<FSOUND_STREAM*>(std::calloc(1, sizeof(FSOUND_STREAM)));
    if (!stream) {
        std::free(pcm);
        return nullptr;
    }
    stream->pcm = pcm;
    stream->frames = frames;
    return stream;
}

int FSOUND_Stream_Play(int, FSOUND_STREAM* stream)
{
    return fsound_stream_play_from(stream, 0);
}

int fsound_stream_play_from(FSOUND_STREAM* stream, int ms)
{
    if (!stream || !s_initialised)
        return -1;
    if (s_current)
        stop_stream(s_current);
    stream->startFrame = std::clamp<int64_t>(int64_t{std::max(ms, 0)} * FSOUND_MIXRATE / 1000, 0, stream->frames);
    stream->playing = true;
    stream->heard = stream->startFrame;
    stream->onDevice = s_device != 0;
    if (s_device) {
        SDL_LockAudioDevice(s_device);
        s_output = Output{stream, stream->startFrame, DeviceProgress{}};
        SDL_UnlockAudioDevice(s_device);
        SDL_PauseAudioDevice(s_device, 0);
    } else {
        stream->playCounter = platform_counter();
    }
    s_current = stream;
    return 0;
}

int FSOUND_Stream_GetTime(FSOUND_STREAM* stream)
{
    if (!stream)
        return 0;
    return frames_to_ms(heard_now(stream), FSOUND_MIXRATE);
}

signed char FSOUND_Stream_Stop(FSOUND_STREAM* stream)
{
    if (!stream)
        return 0;
    stop_stream(stream);
    return 1;
}

signed char FSOUND_Stream_Close(FSOUND_STREAM* stream)
{
    if (!stream)
        return 0;
    stop_stream(stream);
    std::free(stream->pcm);
    std::free(stream);
    return 1;
}

void FSOUND_Close()
{
    if (s_current)
        stop_stream(s_current);
    if (s_device)
        SDL_CloseAudioDevice(s_device);
    s_device = 0;
    if (s_subsystem)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    s_subsystem = false;
    s_initialised = false;
}

const int16_t* fsound_stream_pcm(const FSOUND_STREAM* stream, int64_t* frames)
{
    *frames = stream ? stream->frames : 0;
    return stream ? stream->pcm : nullptr;
}

bool fsound_has_device()
{
    return s_device != 0;
}
