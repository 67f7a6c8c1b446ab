// Music stream: the calls into the sound layer, in the order the demo makes
// them (see core/music.h).
#include "core/music.h"

#include "assets/content_names.h"
#include "assets/embedded.h"
#include "platform/fsound.h"

namespace {

const uint8_t* s_data = nullptr; // first byte of the stream
int32_t s_length = 0;            // the blob's byte count
FSOUND_STREAM* s_stream = nullptr;

const uint8_t* s_source_data = nullptr;
int32_t s_source_length = 0;

} // namespace

void music_set_source(const uint8_t* stream, int32_t length)
{
    s_source_data = stream;
    s_source_length = stream ? length : 0;
}

int32_t music_init()
{
    if (s_source_data) {
        s_data = s_source_data;
        s_length = s_source_length;
    } else if (const EmbeddedFile* soundtrack = embedded_find(content::SOUNDTRACK)) {
        // The embedded blob is a length word followed by the stream; the
        // table already points past the word and holds its count.
        s_data = soundtrack->data;
        s_length = static_cast<int32_t>(soundtrack->length);
    } else {
        return 0;
    }
    if (!FSOUND_Init(44100, 2, 0))
        return 0;
    s_stream = FSOUND_Stream_Open(reinterpret_cast<const char*>(s_data),
                                  FSOUND_LOADMEMORY | FSOUND_LOOP_OFF, 0, s_length);
    return s_stream ? 1 : 0;
}

int32_t music_play()
{
    FSOUND_Stream_Play(FSOUND_FREE, s_stream);
    return 1;
}

int32_t music_play_from(int32_t ms)
{
    fsound_stream_play_from(s_stream, ms);
    return 1;
}

int32_t music_stop()
{
    FSOUND_Stream_Stop(s_stream);
    return 1;
}

int32_t music_close()
{
    music_stop();
    FSOUND_Stream_Close(s_stream);
    s_stream = nullptr;
    FSOUND_Close();
    return 1;
}

int32_t music_time_ms()
{
    return FSOUND_Stream_GetTime(s_stream);
}

bool music_is_open()
{
    return s_stream != nullptr;
}
