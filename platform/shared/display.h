// Full screen, written once above the window backends: the state machine
// behind create_gl_window, destroy_gl_window, gl_window_failure,
// set_fullscreen, change_display_mode and restore_display_mode
// (platform/window.h), over the primitives below, which each window backend
// provides (platform/sdl/window.cpp, platform/win32/window.cpp).
// State: g_display, the process's one window and the display mode in force.
#pragma once
#include <csignal>
#include <cstdint>

// A display mode. `bits` 0: the system does not say (SDL reports a 32-bit
// desktop as 24). `refresh` 0: a request; a mode read from the system has
// its rate (-1 when the system does not know it). `flags`: the system's own.
struct DisplayMode {
    int32_t width, height, bits, refresh, flags;
};

struct DisplayState {
    bool window = false;            // a window with a current GL context exists
    int32_t width = 0, height = 0;  // its client size
    bool fullscreen = false;        // it covers the screen
    DisplayMode saved{};            // the mode believed to be in force
    volatile sig_atomic_t desktop = 1; // the user's own mode is in force (signal handlers read it)
    char failure[256] = "";         // why the last create_gl_window failed
};
// Global because the window backends' signal and exit handlers must find
// the mode in force without any caller's help.
extern DisplayState g_display;

// The backend's part. Makes the window (hidden) with a current GL context
// and reads the display mode in force into `current`. On failure it writes
// its line ("CreateWindow() failed." and the like), keeps the system's
// reason in g_display.failure and leaves nothing made.
bool backend_create_window(int32_t width, int32_t height, int32_t bits, DisplayMode* current);
void backend_destroy_window();
// Switches the display to exactly this mode (never to a "closest" one).
bool backend_set_display_mode(const DisplayMode& mode);
// Puts the desktop's own mode back.
bool backend_restore_display_mode();
// Styles the window to cover the screen (`desktopSize`: the desktop already
// had the size, so no mode was set), or as a window of this client size.
void backend_fullscreen_style(int32_t width, int32_t height, bool desktopSize);
void backend_windowed_style(int32_t width, int32_t height);
// After each successful mode change: arms what puts the desktop back if the
// program ends without its normal shutdown.
void backend_mode_changed();
