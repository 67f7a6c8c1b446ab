// The installed input sink, shared by the window backends.
// State: the sink, set by the program before its window opens.
#include "platform/input.h"

namespace {

InputSink s_sink{};

} // namespace

void set_input_sink(const InputSink* sink)
{
    s_sink = sink ? *sink : InputSink{};
}

void input_key(int32_t virtualKey, bool down)
{
    if (s_sink.key)
        s_sink.key(virtualKey, down);
}

void input_quit()
{
    if (s_sink.quit)
        s_sink.quit();
}
