// vigil-capture's stop request. SIGINT, SIGTERM and SIGHUP set a flag that
// the capture's loops and waits check (between frames, in the seek before
// --from, before each init routine, while feeding and waiting for ffmpeg),
// so the capture ends within a second, ends ffmpeg, removes the unfinished
// video and exits with 128 + the signal's number. A second signal while the
// first is being handled ends the process at once, without that clean-up
// (the temporary audio has no name, so even then nothing is left in TMPDIR).
// State: the number of the signal that asked to stop (0 while none did).
#pragma once

// Installs the handlers, and ignores SIGPIPE so that a dying ffmpeg gives
// an error message instead of a silent death. Call before SDL starts: SDL
// installs handlers of its own for SIGINT and SIGTERM where it finds none,
// and those only queue an event the capture never reads.
void capture_signals_install();
// The signal that asked the capture to stop, or 0.
int capture_interrupted();
// "SIGINT", "SIGTERM", "SIGHUP" (or "signal N").
const char* capture_signal_name(int sig);
