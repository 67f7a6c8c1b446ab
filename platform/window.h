// The window with its OpenGL context, display modes, the message pump and
// buffer swaps. One window at a time; it may be destroyed and made again
// during the start-up fallback. Failures inside window creation and the
// display-mode changes are single lines on standard error.
// Implementations: platform/shared/display.cpp (window bookkeeping and full
// screen, over platform/sdl/window.cpp or platform/win32/window.cpp for the
// player), platform/headless/window.cpp (an offscreen context, no display
// modes, for the capture tool); tests link their own.
#pragma once
#include <cstdint>

bool create_gl_window(int32_t width, int32_t height, int32_t bits);
bool destroy_gl_window();
// Null while a window with a current GL context exists; otherwise why the
// last create_gl_window failed (SDL's reason). Nothing may reach GL then.
const char* gl_window_failure();
// With true switches the display mode and restyles the window; returns
// whether full screen is in force afterwards.
bool set_fullscreen(bool on);
bool change_display_mode(int32_t width, int32_t height, int32_t bits);
bool restore_display_mode();
// The display's refresh rate in hertz; 60 when it reports 50 or less.
int32_t get_refresh_rate();
void swap_buffers();
// Handles every pending event without waiting; 0 when the queue ran empty,
// or the exit code of a quit event (which sets the quit flag).
int32_t pump_messages();
