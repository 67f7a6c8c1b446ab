// GL extension entry points by name, from the current context's driver, and
// the context's extension list.
// Implementations: platform/sdl/gl_proc.cpp (also for the headless
// platform), platform/win32/gl_proc.cpp (wglGetProcAddress).
#pragma once

// The address of the GL function `name`, or null when the driver lacks it.
// SDL on Linux hands out an address for any name, so an address alone does
// not prove that the driver offers the function: check the extension too.
void* gl_get_proc_address(const char* name);

// Whether the current context lists the extension `name` (a whole word of
// its extension list).
bool gl_has_extension(const char* name);
