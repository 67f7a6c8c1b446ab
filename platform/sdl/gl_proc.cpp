// GL entry points and the extension list through SDL, for the window and the
// headless platform alike.
#include "platform/gl_proc.h"

#include <SDL.h>

void* gl_get_proc_address(const char* name)
{
    return SDL_GL_GetProcAddress(name);
}

bool gl_has_extension(const char* name)
{
    // SDL matches whole words of the current context's list.
    return SDL_GL_ExtensionSupported(name) == SDL_TRUE;
}
