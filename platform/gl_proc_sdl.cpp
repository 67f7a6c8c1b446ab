// GL entry points and the extension list through SDL and GL, for the window
// and the headless platform alike.
#include "platform/gl_proc.h"

#include "platform/gl.h"

#include <SDL.h>

#include <cstring>

void* gl_get_proc_address(const char* name)
{
    return SDL_GL_GetProcAddress(name);
}

bool gl_has_extension(const char* name)
{
    return extension_listed(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), name);
}

bool extension_listed(const char* list, const char* name)
{
    size_t length = std::strlen(name);
    if (!list || length == 0)
        return false;
    for (const char* word = list; *word;) {
        while (*word == ' ')
            ++word;
        size_t word_length = std::strcspn(word, " ");
        if (word_length == length && std::strncmp(word, name, length) == 0)
            return true;
        word += word_length;
    }
    return false;
}
