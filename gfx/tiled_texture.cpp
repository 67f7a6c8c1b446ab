// Tiled textures: the power-of-two layout of a picture, its upload straight
// out of the whole pixel array (through the unpack row length), and drawing.
#include "gfx/tiled_texture.h"

#include "gfx/program_textures.h"

#include <cstddef>
#include <new>

uint32_t CountBits(uint32_t v)
{
    uint32_t count = 0;
    for (; v; v &= v - 1)
        ++count;
    return count;
}

uint32_t PowerOfTwoPiece(uint32_t k, uint32_t v)
{
    for (uint32_t bit = 0x80000000u; bit; bit >>= 1) {
        if (!(v & bit))
            continue;
        if (k == 0)
            return bit;
        --k;
    }
    return 0;
}

uint32_t PowerOfTwoOffset(uint32_t k, uint32_t v)
{
    uint32_t offset = 0;
    for (uint32_t i = 0; i < k; ++i) {
        uint32_t piece = PowerOfTwoPiece(i, v);
        if (!piece)
            break;
        offset += piece;
    }
    return offset;
}

uint32_t ComponentsOfFormat(uint32_t format)
{
    switch (format) {
    case GL_ALPHA:
    case GL_LUMINANCE:
        return 1;
    case GL_LUMINANCE_ALPHA:
        return 2;
    case GL_RGB:
        return 3;
    case GL_RGBA:
        return 4;
    default:
        return 0;
    }
}

uint32_t GLFormatFromBpp(uint32_t bpp)
{
    switch (bpp) {
    case 24:
        return GL_RGB;
    case 32:
        return GL_RGBA;
    default:
        return 0;
    }
}

TiledTexture* CreateTiledTexture(const void* pixels, int32_t width, int32_t height, GLenum format, GLint filter)
{
    if (width < 0 || height < 0)
        return nullptr;
    uint32_t w = static_cast<uint32_t>(width);
    uint32_t h = static_cast<uint32_t>(height);
    uint32_t across = CountBits(w);
    uint32_t down = CountBits(h);
    TiledTexture* texture = new (std::nothrow) TiledTexture();
    GLuint* names = new (std::nothrow) GLuint[across * down];
    if (!texture || !names)
        return nullptr;

    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    if (across * down > 0) {
        glGenTextures(static_cast<GLsizei>(across * down), names);
        program_textures_made(names, across * down);
    }
    // Each tile is read straight out of the whole picture.
    glPixelStorei(GL_UNPACK_ROW_LENGTH, width);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    const uint8_t* bytes = static_cast<const uint8_t*>(pixels);
    size_t bytesPerPixel = ComponentsOfFormat(format);
    for (uint32_t j = 0; j < down; ++j) {
        for (uint32_t i = 0; i < across; ++i) {
            glBindTexture(GL_TEXTURE_2D, names[j * across + i]);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
            glGetError(); // clears an error left pending by earlier code
            size_t first = (static_cast<size_t>(PowerOfTwoOffset(j, h)) * w + PowerOfTwoOffset(i, w)) * bytesPerPixel;
            glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), static_cast<GLsizei>(PowerOfTwoPiece(i, w)),
                         static_cast<GLsizei>(PowerOfTwoPiece(j, h)), 0, format, GL_UNSIGNED_BYTE, bytes + first);
        }
    }
    glPopClientAttrib();

    texture->textures = names;
    texture->width = width;
    texture->height = height;
    return texture;
}

void DrawTiledTexture(const TiledTexture* texture)
{
    uint32_t w = static_cast<uint32_t>(texture->width);
    uint32_t h = static_cast<uint32_t>(texture->height);
    uint32_t across = CountBits(w);
    uint32_t down = CountBits(h);
    for (uint32_t j = 0; j < down; ++j) {
        GLint y0 = static_cast<GLint>(PowerOfTwoOffset(j, h));
        GLint y1 = static_cast<GLint>(PowerOfTwoOffset(j + 1, h));
        for (uint32_t i = 0; i < across; ++i) {
            GLint x0 = static_cast<GLint>(PowerOfTwoOffset(i, w));
            GLint x1 = static_cast<GLint>(PowerOfTwoOffset(i + 1, w));
            glBindTexture(GL_TEXTURE_2D, texture->textures[j * across + i]);
            glBegin(GL_QUADS);
            glTexCoord2f(0, 0);
            glVertex2i(x0, y0);
            glTexCoord2f(1, 0);
            glVertex2i(x1, y0);
            glTexCoord2f(1, 1);
            glVertex2i(x1, y1);
            glTexCoord2f(0, 1);
            glVertex2i(x0, y1);
            glEnd();
        }
    }
}
