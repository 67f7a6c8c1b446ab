// The FSOUND_* calls over the sound backend's primitives (see
// sound_stream.h). Everything here runs on the caller's thread.
#include "platform/shared/sound_stream.h"

#include "platform/fsound.h"
#include "platform/shared/sound_position.h"
#include "platform/time.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

bool s_initialised = false;
bool s_device = false; // a device is open; without one streams play on the clock
FSOUND_STREAM* s_current = nullptr;

// Frames heard so far; updates the stream's never-decreasing record.
int64_t heard_now(FSOUND_STREAM* stream)
{
    if (!stream->playing)
        return stream->heard;
    int64_t heard = stream->onDevice ? sound_device_heard()
                                     : heard_frames_clock(stream->playCounter, platform_counter(),
                                                          platform_counter_frequency(), FSOUND_MIXRATE);
    // The estimates never decrease by construction (sound_position.h); the
    // record makes that a guarantee of this call whatever the device does,
    // and is what a stopped stream goes on reporting.
    stream->heard = std::max(stream->heard, std::min(stream->start + heard, stream->frames));
    return stream->heard;
}

void stop_stream(FSOUND_STREAM* stream)
{
    if (stream->playing) {
        heard_now(stream);
        stream->playing = false;
    }
    if (stream == s_current) {
        if (stream->onDevice)
            sound_device_stop();
        stream->onDevice = false;
        s_current = nullptr;
    }
}

} // namespace

signed char FSOUND_Init(int mixrate, int maxchannels, unsigned)
{
    if (mixrate != FSOUND_MIXRATE || maxchannels < 1)
        return 0;
    if (s_initialised)
        return 1;
    s_initialised = true;
    char reason[256] = "";
    s_device = sound_device_open(reason, sizeof reason);
    if (!s_device) {
        std::fprintf(stderr, "vigil: no audio device (%s); playing without sound\n",
                     reason[0] ? reason : "unknown reason");
        std::fflush(stderr);
    }
    return 1;
}

FSOUND_STREAM* FSOUND_Stream_Open(const char* data, unsigned mode, int offset, int length)
{
    if (!data || !(mode & FSOUND_LOADMEMORY) || offset < 0 || length <= 0)
        return nullptr;
    int16_t* pcm = nullptr;
    int64_t frames = 0;
    if (!sound_decode_mp3(reinterpret_cast<const uint8_t*>(data) + offset, length, &pcm, &frames))
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
    stream->start = std::clamp<int64_t>(int64_t{std::max(ms, 0)} * FSOUND_MIXRATE / 1000, 0, stream->frames);
    stream->heard = stream->start;
    stream->playing = true;
    stream->playCounter = platform_counter();
    stream->onDevice = s_device && sound_device_play(stream);
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
        sound_device_close();
    s_device = false;
    s_initialised = false;
}

const int16_t* fsound_stream_pcm(const FSOUND_STREAM* stream, int64_t* frames)
{
    *frames = stream ? stream->frames : 0;
    return stream ? stream->pcm : nullptr;
}

bool fsound_has_device()
{
    return s_device;
}
