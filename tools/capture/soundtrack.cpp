// The embedded soundtrack for the capture tool: its length and its samples,
// decoded gaplessly by the same sound layer the player uses.
#include "assets/content_names.h"
#include "assets/embedded.h"
#include "platform/fsound.h"
#include "tools/capture/capture.h"

namespace {

// The decoded stream, opened once; null when there is none.
FSOUND_STREAM* soundtrack()
{
    static FSOUND_STREAM* stream = [] () -> FSOUND_STREAM* {
        const EmbeddedFile* file = embedded_find(content::SOUNDTRACK);
        if (!file)
            return nullptr;
        return FSOUND_Stream_Open(reinterpret_cast<const char*>(file->data), FSOUND_LOADMEMORY | FSOUND_LOOP_OFF, 0,
                                  static_cast<int>(file->length));
    }();
    return stream;
}

} // namespace

int32_t soundtrack_length_ms()
{
    FSOUND_STREAM* stream = soundtrack();
    if (!stream)
        return -1;
    int64_t frames = 0;
    fsound_stream_pcm(stream, &frames);
    return static_cast<int32_t>(frames * 1000 / FSOUND_MIXRATE);
}

const int16_t* soundtrack_pcm(int64_t* frames)
{
    *frames = 0;
    FSOUND_STREAM* stream = soundtrack();
    return stream ? fsound_stream_pcm(stream, frames) : nullptr;
}
