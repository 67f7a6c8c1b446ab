// GL entry points through SDL, for the window and the headless platform alike.
#include "platform/gl_proc.h"

#include <SDL.h>

void* gl_get_proc_address(const char* name)
{
    return SDL_GL_GetProcAddress(name);
}
