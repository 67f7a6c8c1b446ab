// The window layer of the headless platform (capture tool): one invisible
// window of a fixed size, no display modes, no events, no presentation.
#include "platform/headless/headless_gl.h"
#include "platform/window.h"

#include <cstdio>
#include <string>

bool create_gl_window(int32_t width, int32_t height, int32_t /*bits*/)
{
    std::string error;
    if (!headless_gl_open(width, height, &error)) {
        std::fprintf(stderr, "vigil: %s\n", error.c_str());
        return false;
    }
    return true;
}

bool destroy_gl_window()
{
    headless_gl_close();
    return true;
}

// An invisible window has no display mode to change.
bool set_fullscreen(bool /*on*/)
{
    return false;
}

bool change_display_mode(int32_t, int32_t, int32_t)
{
    return false;
}

bool restore_display_mode()
{
    return true;
}

int32_t get_refresh_rate()
{
    return 60;
}

// Frames are read back before the swap; there is nothing to present.
void swap_buffers() {}

int32_t pump_messages()
{
    return 0;
}
