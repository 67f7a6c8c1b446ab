// Input: how the window system's events reach the program. The program
// installs one sink at start-up; the window backend hands it every key and
// every request to quit, and never calls the program in any other way.
// Implementations: platform/shared/input.cpp holds the sink; the callers are
// platform/sdl/window.cpp and platform/win32/window.cpp
// (platform/headless/window.cpp has no input).
#pragma once
#include <cstdint>

struct InputSink {
    // A key pressed (`down`) or released, as a Windows virtual-key code (the
    // backend translates its own codes); auto-repeat is dropped.
    void (*key)(int32_t virtualKey, bool down);
    // The user asked the program to end: the window's close button, a quit
    // event, a terminating signal. Also called from a signal handler, so it
    // may only set a flag.
    void (*quit)();
};

// The program's side: installs `sink` (copied). Null, or a null member,
// drops those events.
void set_input_sink(const InputSink* sink);

// The backends' side: hand one event to the installed sink.
void input_key(int32_t virtualKey, bool down);
void input_quit();
