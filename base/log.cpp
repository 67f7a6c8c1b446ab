// Diagnostic log: formats a message and passes it to the attached sink.
// State: the sink pointer and its user pointer (file scope).
#include "base/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

static LogSink s_sink = nullptr;
static void* s_sink_user = nullptr;

LogSink diag_set_sink(LogSink sink, void* user)
{
    LogSink previous = s_sink;
    s_sink = sink;
    s_sink_user = user;
    return previous;
}

void diag_log(const char* format, ...)
{
    if (!s_sink)
        return;

    // Messages are short; a stack buffer covers them. Longer ones (a very long
    // name from a parameter file) are formatted into a heap buffer so nothing
    // is cut off.
    char small[512];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int needed = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (needed < 0) {
        va_end(again);
        return;
    }
    if (static_cast<size_t>(needed) < sizeof small) {
        va_end(again);
        s_sink(small, s_sink_user);
        return;
    }
    char* big = static_cast<char*>(std::malloc(static_cast<size_t>(needed) + 1));
    if (big) {
        std::vsnprintf(big, static_cast<size_t>(needed) + 1, format, again);
        s_sink(big, s_sink_user);
        std::free(big);
    }
    va_end(again);
}
