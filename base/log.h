// Diagnostic log: the one printf-style operation behind every "ParamManager:",
// "FuncTable_AddFunc:", "Error:", "LoadTGA:" and "Model::..." line.
// State: one optional sink (function and user pointer). With no sink attached,
// which is how the player ships, lines are discarded without being formatted.
// Depends on nothing but the C library.
#pragma once

// Receives one formatted message exactly as the caller wrote it (trailing
// newline included). `text` is only valid for the duration of the call.
using LogSink = void (*)(const char* text, void* user);

// Attaches a sink (null detaches). Returns the previous sink so callers can
// restore it.
LogSink diag_set_sink(LogSink sink, void* user = nullptr);

// Formats the message and hands it to the sink; does nothing when none is set.
void diag_log(const char* format, ...) __attribute__((format(printf, 1, 2)));
