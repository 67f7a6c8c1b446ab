// The full-screen state machine shared by the window backends (see
// display.h). The lines it writes are the system's own ("*** calling
// ChangeDisplaySettings!"), whatever the backend.
#include "platform/shared/display.h"

#include "platform/time.h"
#include "platform/window.h"

#include <cstdio>

DisplayState g_display;

namespace {

// The mode in force already is the request: one read from the system (its
// refresh is not a request's 0) of the same size and flags, and of the same
// depth where the system tells the depth.
bool in_force(const DisplayMode& request)
{
    const DisplayMode& saved = g_display.saved;
    return saved.width == request.width && saved.height == request.height && saved.flags == request.flags &&
           (saved.bits == 0 || saved.bits == request.bits) && saved.refresh != request.refresh;
}

void windowed_restyle(int32_t width, int32_t height)
{
    restore_display_mode();
    backend_windowed_style(width, height);
}

bool fullscreen_restyle(int32_t width, int32_t height)
{
    if (!change_display_mode(width, height, 32))
        return false;
    backend_fullscreen_style(width, height, g_display.desktop != 0);
    return true;
}

} // namespace

bool create_gl_window(int32_t width, int32_t height, int32_t bits)
{
    DisplayMode current{};
    if (!backend_create_window(width, height, bits, &current))
        return false;
    g_display.desktop = 1;
    g_display.saved = current;
    g_display.failure[0] = '\0';
    g_display.window = true;
    g_display.width = width;
    g_display.height = height;
    g_display.fullscreen = false;
    windowed_restyle(width, height);
    return true;
}

bool destroy_gl_window()
{
    restore_display_mode();
    backend_destroy_window();
    g_display.window = false;
    return true;
}

const char* gl_window_failure()
{
    if (g_display.window)
        return nullptr;
    return g_display.failure[0] ? g_display.failure : "no window was made";
}

bool set_fullscreen(bool on)
{
    if (!g_display.window)
        return false;
    if (on) {
        if (!g_display.fullscreen)
            g_display.fullscreen = fullscreen_restyle(g_display.width, g_display.height);
        return g_display.fullscreen;
    }
    if (g_display.fullscreen) {
        windowed_restyle(g_display.width, g_display.height);
        g_display.fullscreen = false;
    }
    return false;
}

bool change_display_mode(int32_t width, int32_t height, int32_t bits)
{
    const DisplayMode request{width, height, bits, 0, 0};
    if (in_force(request))
        return true;
    std::fputs("*** calling ChangeDisplaySettings!\n", stderr);
    if (!backend_set_display_mode(request))
        return false;
    platform_sleep_ms(500);
    g_display.saved = request;
    g_display.desktop = 0;
    backend_mode_changed();
    return true;
}

bool restore_display_mode()
{
    if (g_display.desktop)
        return true;
    // Restore first, then say so: the line may fail (its reader has gone)
    // or take a while, and the desktop must not wait for it.
    bool restored = backend_restore_display_mode();
    std::fputs("*** calling ChangeDisplaySettings to restore!\n", stderr);
    if (!restored)
        return false;
    platform_sleep_ms(500);
    g_display.desktop = 1;
    return true;
}
