// Every texture name the program's own code made, so that all of them can
// be given back at once: the preview does so before it runs the init
// routines again in the same window. Textures are only ever made by init
// routines, so the list is the textures of the init routines that ran.
// State: the list of names, on the C heap (it outlives arena rewinds).
#pragma once
#include "platform/gl.h"

#include <cstddef>

// Notes `count` names just made with glGenTextures.
void program_textures_made(const GLuint* names, size_t count);
// Deletes every noted texture and forgets the names.
void delete_program_textures();
// Names noted so far.
size_t program_texture_count();
