// The list of textures the program made (see program_textures.h).
#include "gfx/program_textures.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

GLuint* s_names = nullptr;
size_t s_count = 0;
size_t s_capacity = 0;

} // namespace

void program_textures_made(const GLuint* names, size_t count)
{
    if (s_count + count > s_capacity) {
        size_t capacity = std::max<size_t>(256, (s_count + count) * 2);
        auto* grown = static_cast<GLuint*>(std::realloc(s_names, capacity * sizeof(GLuint)));
        // Without room the names are not noted: their textures then stay
        // until the process ends, which costs memory and nothing else.
        if (!grown)
            return;
        s_names = grown;
        s_capacity = capacity;
    }
    std::memcpy(s_names + s_count, names, count * sizeof(GLuint));
    s_count += count;
}

void delete_program_textures()
{
    if (s_count)
        glDeleteTextures(static_cast<GLsizei>(s_count), s_names);
    s_count = 0;
}

size_t program_texture_count()
{
    return s_count;
}
