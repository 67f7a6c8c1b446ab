// GL extension entry points through wglGetProcAddress, and the current
// context's extension list.
#include <windows.h>

#include "platform/gl.h"
#include "platform/gl_proc.h"

#include <cstring>

void* gl_get_proc_address(const char* name)
{
    PROC entry = wglGetProcAddress(name);
    // Some drivers hand out small integers instead of null for a missing
    // function.
    auto address = reinterpret_cast<intptr_t>(entry);
    if (address >= -1 && address <= 3)
        return nullptr;
    return reinterpret_cast<void*>(entry);
}

bool gl_has_extension(const char* name)
{
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    size_t length = std::strlen(name);
    if (!list || length == 0)
        return false;
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += length) {
        bool starts = p == list || p[-1] == ' ';
        bool ends = p[length] == ' ' || p[length] == '\0';
        if (starts && ends)
            return true;
    }
    return false;
}
