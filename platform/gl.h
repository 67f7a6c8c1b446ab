// The one way portable code reaches OpenGL 1.1 and GLU. Everything that
// creates a context or a window lives elsewhere in platform/.
#pragma once
#include <GL/gl.h>
#include <GL/glu.h>

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif
