// Textures from the demo's picture files: a JPEG or GIF colour file with an
// optional alpha file, or a TGA file, decoded by the readers of assets/ and
// uploaded as one TiledTexture. Needs a current GL context. No state of its
// own; the pixels and handles come from the arena.
#pragma once
#include "assets/reader.h"
#include "gfx/tiled_texture.h"

#include <cstdint>

// Colour alone: opaque picture. Alpha alone: white picture whose opacity is
// the alpha picture. Both: the colour picture with the alpha picture as
// opacity (both must have the same size). Uploaded as GL_RGBA with `filter`.
// Null when both are null or anything fails.
TiledTexture* LoadTexture(const void* colour, uint32_t colourLength, const void* alpha, uint32_t alphaLength,
                          GLint filter);
// A 24-bit TGA file becomes a GL_RGB texture, a 32-bit file a GL_RGBA one.
TiledTexture* LoadTGATexture(const void* data, GLint filter, uint32_t length = LENGTH_UNKNOWN);
