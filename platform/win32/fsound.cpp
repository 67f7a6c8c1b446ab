// The sound backend on Windows (platform/shared/sound_stream.h; the
// bookkeeping is shared): the embedded MP3 stream is decoded in full when it
// is opened, by the system's MPEG Layer-3 codec through the Audio
// Compression Manager, and played once through waveOut at 44100 Hz, stereo,
// 16-bit. The position is what the device reports to have played
// (waveOutGetPosition).
//
// Gapless as on Linux: a LAME/Info tag's frame is not fed to the codec, and
// the encoder delay it declares, the codec's own delay and the padding are cut
// from the PCM, so the music starts and ends where the encoder's input did.
//
// State (file-scope): the output device and the buffers queued on it. The
// PCM and the device's buffer headers come from the C heap, not the arena. No callback thread: every buffer is
// queued when playback starts, so nothing needs refilling.
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include "platform/fsound.h"
#include "platform/shared/sound_stream.h"
#include "platform/time.h"
#include "platform/win32/mp3_info.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int32_t CHANNELS = 2;
constexpr int32_t BYTES_PER_FRAME = CHANNELS * static_cast<int32_t>(sizeof(int16_t));
// One device buffer: one second of music.
constexpr int64_t BUFFER_FRAMES = FSOUND_MIXRATE;
// Bytes of MP3 handed to the codec per conversion.
constexpr DWORD SOURCE_CHUNK = 64 * 1024;
// Under the smallest Layer III frame at 44100 Hz (32 kbit/s: 104 bytes).
constexpr DWORD SMALLEST_FRAME = 96;

HWAVEOUT s_device = nullptr;
WAVEHDR* s_headers = nullptr; // the buffers queued for the stream that plays
int64_t s_header_count = 0;

// Growing PCM buffer of the decoder, on the C heap.
struct Pcm {
    uint8_t* bytes = nullptr;
    size_t size = 0;
    size_t capacity = 0;

    bool append(const uint8_t* data, size_t n)
    {
        if (size + n > capacity) {
            size_t wanted = std::max(capacity * 2, size + n + (1u << 20));
            auto* grown = static_cast<uint8_t*>(std::realloc(bytes, wanted));
            if (!grown)
                return false;
            bytes = grown;
            capacity = wanted;
        }
        std::memcpy(bytes + size, data, n);
        size += n;
        return true;
    }
};

void report(const char* what)
{
    std::fprintf(stderr, "vigil: the soundtrack cannot be decoded: %s\n", what);
}

// Runs the ACM stream over the frames of `data`, appending the PCM, until
// the codec has given all it holds. `streamBytes`: the PCM the stream's
// frames hold, beyond which nothing is wanted.
bool convert_all(HACMSTREAM acm, const uint8_t* data, size_t length, size_t streamBytes, Pcm* pcm)
{
    DWORD destSize = 0;
    if (acmStreamSize(acm, SOURCE_CHUNK, &destSize, ACM_STREAMSIZEF_SOURCE) != 0 || destSize == 0) {
        report("the codec gives no output size");
        return false;
    }
    destSize += 8 * 1152 * 4; // room for what the codec held back from earlier chunks
    auto* source = static_cast<uint8_t*>(std::malloc(SOURCE_CHUNK));
    auto* dest = static_cast<uint8_t*>(std::malloc(destSize));
    ACMSTREAMHEADER header{};
    header.cbStruct = sizeof header;
    header.pbSrc = source;
    header.cbSrcLength = SOURCE_CHUNK;
    header.pbDst = dest;
    header.cbDstLength = destSize;
    bool ok = source && dest && acmStreamPrepareHeader(acm, &header, 0) == 0;
    if (!ok) {
        std::free(source);
        std::free(dest);
        report("the codec refuses its buffers");
        return false;
    }
    // One call with the end flag is not the end: the codec may leave part of
    // the last chunk untaken, and may hold back decoded output for want of
    // room in `dest`. That room was sized from the first frame's bit rate,
    // which a variable-bit-rate stream's later, smaller frames undercut, so
    // the codec can be holding most of the stream by then. The end conversion
    // is repeated until a call neither takes input nor gives output. Bounded:
    // once the PCM the stream's frames hold is in, nothing more is wanted,
    // and a codec that keeps giving a little at a time is stopped after
    // enough calls for all of it, a full buffer or one frame each.
    const size_t maxEndCalls = streamBytes / destSize + SOURCE_CHUNK / SMALLEST_FRAME + 17;
    size_t endCalls = 0;
    size_t position = 0;
    DWORD pending = 0; // bytes at the start of `source` the codec has not taken yet
    bool first = true;
    for (;;) {
        DWORD fresh = static_cast<DWORD>(std::min<size_t>(SOURCE_CHUNK - pending, length - position));
        std::memcpy(source + pending, data + position, fresh);
        position += fresh;
        bool last = position == length;
        header.cbSrcLength = pending + fresh;
        header.cbDstLength = destSize;
        DWORD flags = (last ? ACM_STREAMCONVERTF_END : ACM_STREAMCONVERTF_BLOCKALIGN) |
                      (first ? ACM_STREAMCONVERTF_START : 0);
        first = false;
        if (acmStreamConvert(acm, &header, flags) != 0) {
            // A codec that refuses a further end call (an empty source, say)
            // has nothing more to give: what it gave so far stands.
            if (endCalls == 0) {
                report("the codec stops in the stream");
                ok = false;
            }
            break;
        }
        if (!pcm->append(dest, header.cbDstLengthUsed)) {
            report("no memory for the decoded music");
            ok = false;
            break;
        }
        pending = header.cbSrcLength - header.cbSrcLengthUsed;
        if (last) {
            if (pcm->size >= streamBytes || (header.cbSrcLengthUsed == 0 && header.cbDstLengthUsed == 0))
                break;
            if (++endCalls == maxEndCalls) {
                report("the codec does not stop giving output at the end of the stream; the rest is left out");
                break;
            }
        } else if (pending == SOURCE_CHUNK) {
            report("the codec takes nothing from the stream");
            ok = false;
            break;
        }
        std::memmove(source, source + header.cbSrcLengthUsed, pending);
    }
    header.cbSrcLength = SOURCE_CHUNK;
    header.cbDstLength = destSize;
    acmStreamUnprepareHeader(acm, &header, 0);
    std::free(source);
    std::free(dest);
    return ok;
}

} // namespace

// Decodes the stream into 44100 Hz stereo frames (malloc); false with the
// reason on standard error.
bool sound_decode_mp3(const uint8_t* data, int64_t size, int16_t** out, int64_t* outFrames)
{
    const auto length = static_cast<size_t>(size);
    Mp3Info info{};
    if (!read_mp3_info(data, length, &info)) {
        report("no MPEG audio frame in it");
        return false;
    }
    if (info.sampleRate != FSOUND_MIXRATE) {
        char why[96];
        std::snprintf(why, sizeof why, "%d Hz (only %d Hz is played)", info.sampleRate, FSOUND_MIXRATE);
        report(why);
        return false;
    }
    MPEGLAYER3WAVEFORMAT mp3{};
    mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
    mp3.wfx.nChannels = static_cast<WORD>(info.channels);
    mp3.wfx.nSamplesPerSec = static_cast<DWORD>(info.sampleRate);
    mp3.wfx.nAvgBytesPerSec = static_cast<DWORD>(info.bitrate / 8);
    mp3.wfx.nBlockAlign = 1;
    mp3.wfx.wBitsPerSample = 0;
    mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
    mp3.wID = MPEGLAYER3_ID_MPEG;
    mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_ISO;
    mp3.nBlockSize = static_cast<WORD>(info.frameBytes);
    mp3.nFramesPerBlock = 1;
    mp3.nCodecDelay = 0;
    WAVEFORMATEX pcmFormat{};
    pcmFormat.wFormatTag = WAVE_FORMAT_PCM;
    pcmFormat.nChannels = static_cast<WORD>(info.channels);
    pcmFormat.nSamplesPerSec = static_cast<DWORD>(info.sampleRate);
    pcmFormat.wBitsPerSample = 16;
    pcmFormat.nBlockAlign = static_cast<WORD>(2 * info.channels);
    pcmFormat.nAvgBytesPerSec = pcmFormat.nSamplesPerSec * pcmFormat.nBlockAlign;

    HACMSTREAM acm = nullptr;
    MMRESULT opened = acmStreamOpen(&acm, nullptr, &mp3.wfx, &pcmFormat, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME);
    if (opened != 0) {
        char why[96];
        std::snprintf(why, sizeof why, "the system has no MPEG Layer-3 codec (acmStreamOpen: %u)",
                      static_cast<unsigned>(opened));
        report(why);
        return false;
    }
    Pcm pcm;
    const size_t streamBytes =
        static_cast<size_t>(info.audioFrames) * static_cast<size_t>(info.samplesPerFrame) * 2 * info.channels;
    bool ok = convert_all(acm, data + info.audioStart, length - info.audioStart, streamBytes, &pcm);
    acmStreamClose(acm, 0);

    int64_t decoded = ok ? static_cast<int64_t>(pcm.size / (2 * info.channels)) : 0;
    Trim trim = gapless_trim(info, decoded);
    if (ok && trim.frames <= 0) {
        report("nothing in it decodes");
        ok = false;
    }
    int16_t* result = nullptr;
    if (ok) {
        result = static_cast<int16_t*>(std::malloc(static_cast<size_t>(trim.frames) * BYTES_PER_FRAME));
        if (!result) {
            report("no memory for the decoded music");
            ok = false;
        }
    }
    if (ok) {
        const auto* samples = reinterpret_cast<const int16_t*>(pcm.bytes);
        for (int64_t i = 0; i < trim.frames; ++i) {
            int64_t from = (trim.skip + i) * info.channels;
            result[i * 2] = samples[from];
            result[i * 2 + 1] = samples[from + info.channels - 1];
        }
        *out = result;
        *outFrames = trim.frames;
    }
    std::free(pcm.bytes);
    return ok;
}

namespace {

void release_headers()
{
    if (!s_headers)
        return;
    for (int64_t i = 0; i < s_header_count; ++i)
        waveOutUnprepareHeader(s_device, &s_headers[i], sizeof(WAVEHDR));
    std::free(s_headers);
    s_headers = nullptr;
    s_header_count = 0;
}

// Queues the whole stream on the device, paused, then starts it at once.
bool queue_stream(FSOUND_STREAM* stream)
{
    int64_t count = (stream->frames - stream->start + BUFFER_FRAMES - 1) / BUFFER_FRAMES;
    s_headers = static_cast<WAVEHDR*>(std::calloc(static_cast<size_t>(count), sizeof(WAVEHDR)));
    if (!s_headers)
        return false;
    s_header_count = count;
    waveOutPause(s_device);
    for (int64_t i = 0; i < count; ++i) {
        int64_t first = stream->start + i * BUFFER_FRAMES;
        int64_t frames = std::min(BUFFER_FRAMES, stream->frames - first);
        WAVEHDR& header = s_headers[i];
        header.lpData = reinterpret_cast<LPSTR>(stream->pcm + first * CHANNELS);
        header.dwBufferLength = static_cast<DWORD>(frames * BYTES_PER_FRAME);
        if (waveOutPrepareHeader(s_device, &header, sizeof header) != MMSYSERR_NOERROR ||
            waveOutWrite(s_device, &header, sizeof header) != MMSYSERR_NOERROR) {
            waveOutReset(s_device);
            release_headers();
            return false;
        }
    }
    waveOutRestart(s_device);
    return true;
}

// Frames the device has played since the stream started.
int64_t played_frames()
{
    MMTIME time{};
    time.wType = TIME_SAMPLES;
    if (waveOutGetPosition(s_device, &time, sizeof time) != MMSYSERR_NOERROR)
        return 0;
    if (time.wType == TIME_SAMPLES)
        return time.u.sample;
    if (time.wType == TIME_BYTES)
        return time.u.cb / BYTES_PER_FRAME;
    if (time.wType == TIME_MS)
        return static_cast<int64_t>(time.u.ms) * FSOUND_MIXRATE / 1000;
    return 0;
}

} // namespace

bool sound_device_open(char* reason, size_t size)
{
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = CHANNELS;
    format.nSamplesPerSec = FSOUND_MIXRATE;
    format.wBitsPerSample = 16;
    format.nBlockAlign = BYTES_PER_FRAME;
    format.nAvgBytesPerSec = FSOUND_MIXRATE * BYTES_PER_FRAME;
    MMRESULT opened = waveOutOpen(&s_device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL);
    if (opened == MMSYSERR_NOERROR)
        return true;
    char text[MAXERRORLENGTH] = "";
    waveOutGetErrorTextA(opened, text, sizeof text);
    std::snprintf(reason, size, "waveOutOpen: %s", text);
    s_device = nullptr;
    return false;
}

void sound_device_close()
{
    if (s_device)
        waveOutClose(s_device);
    s_device = nullptr;
}

bool sound_device_play(FSOUND_STREAM* stream)
{
    return queue_stream(stream);
}

int64_t sound_device_heard()
{
    return played_frames();
}

void sound_device_stop()
{
    waveOutReset(s_device);
    release_headers();
}
