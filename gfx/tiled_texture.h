// Tiled textures: a picture of any size uploaded as a grid of power-of-two
// textures, cut along the base-2 expansion of its width and height, and drawn
// as one quad per tile, one picture pixel per unit of the current coordinates.
// Handles live in the arena and their textures are never deleted.
// Depends on platform/gl.h and the arena (through operator new).
#pragma once
#include "platform/gl.h"

#include <cstdint>

struct TiledTexture {
    GLuint* textures; // tile (i, j) is entry j * (width pieces) + i
    int32_t width;    // picture width in pixels
    int32_t height;   // picture height in pixels
};

// Number of set bits: the number of power-of-two pieces of v.
uint32_t CountBits(uint32_t v);
// The k-th largest set bit of v as a value (0 past the last piece).
uint32_t PowerOfTwoPiece(uint32_t k, uint32_t v);
// Sum of pieces 0 to k-1: v with its bits at and below piece k cleared; v
// itself for k at or beyond the piece count.
uint32_t PowerOfTwoOffset(uint32_t k, uint32_t v);
// Bytes per pixel of a GL pixel format (0 for formats the program never uses).
uint32_t ComponentsOfFormat(uint32_t format);
// 24 -> GL_RGB, 32 -> GL_RGBA, anything else 0.
uint32_t GLFormatFromBpp(uint32_t bpp);

// Uploads `pixels` (row-major, top row first, ComponentsOfFormat(format) bytes
// per pixel, no row padding) as tiles. Needs a current GL context; leaves the
// caller's pixel-store state as it was. Null only when the arena cannot serve
// the handle or its name array. The pixels are not kept.
TiledTexture* CreateTiledTexture(const void* pixels, int32_t width, int32_t height, GLenum format, GLint filter);
// Draws the picture from (0, 0) to (width, height) in the current modelview
// coordinates; the caller sets texturing, colour, blending and transforms.
void DrawTiledTexture(const TiledTexture* texture);
