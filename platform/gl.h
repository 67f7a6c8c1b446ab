// The one way portable code reaches OpenGL 1.1 and GLU. Everything that
// creates a context or a window lives elsewhere in platform/.
// Implementations: the system's GL and GLU libraries (libGL and libGLU on
// Linux, opengl32 and glu32 on Windows).
#pragma once

#if defined(_WIN32) && !defined(APIENTRY)
// opengl32 and glu32 use the stdcall convention. Giving the GL headers their
// two macros here keeps them from pulling all of <windows.h> into portable
// code; the Win32 platform files include <windows.h> first.
#define APIENTRY __stdcall
#define WINGDIAPI __declspec(dllimport)
#define CALLBACK __stdcall
#define VIGIL_GL_MACROS
#endif

#include <GL/gl.h>
#include <GL/glu.h>

#ifdef VIGIL_GL_MACROS
#undef APIENTRY
#undef WINGDIAPI
#undef CALLBACK
#undef VIGIL_GL_MACROS
#endif

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif
