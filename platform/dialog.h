// Message boxes and the window class (video start-up with icon and cursor).
// Every box has no owner window and the caption "This window is for sale"
// unless one is given; errors are also written to standard error.
// Implementations: platform/sdl/window.cpp, platform/win32/window.cpp;
// the headless platform (capture, tests) has neither.
#pragma once
#include <cstdint>

extern const char* const DEFAULT_CAPTION; // "This window is for sale"

// A picture the program hands down: width * height pixels of red, green,
// blue and alpha bytes, top row first. Empty (null pixels): none.
struct WindowPicture {
    const uint8_t* rgba = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};
// The window's icon and its cursor (shown where its alpha is high, hot spot
// at the top-left corner), for register_window_class. The pixels must live
// until unregister_window_class. Without them the system's own are used.
void set_window_pictures(const WindowPicture& icon, const WindowPicture& cursor);

// Starts the video subsystem and prepares the icon and cursor. False, with
// the reason on standard error, when there is no display anyone can see.
bool register_window_class();
void unregister_window_class();

enum class Answer { Yes, No, CannotAsk };
// Asks with Yes (the Return default) and No (the Escape default), asking
// again after a failed box; CannotAsk, with the reason on standard error,
// when no box can be shown at all.
Answer ask_yes_no(const char* text, const char* caption);
void show_error(const char* text, const char* caption);
