// LoadTexture: a colour picture and an optional alpha picture merged into
// one RGBA TiledTexture; LoadTGATexture: a TGA picture as one TiledTexture.
#include "gfx/texture.h"

#include "assets/image.h"
#include "assets/tga.h"

#include <cstddef>
#include <new>

TiledTexture* LoadTexture(const void* colour, uint32_t colourLength, const void* alpha, uint32_t alphaLength,
                          GLint filter)
{
    if (!colour && !alpha)
        return nullptr;
    int32_t width = 0;
    int32_t height = 0;
    uint8_t* pixels = nullptr;
    if (colour) {
        pixels = DecodeImage(colour, colourLength, &width, &height);
        if (!pixels)
            return nullptr;
    }
    if (alpha) {
        int32_t alphaWidth = 0;
        int32_t alphaHeight = 0;
        uint8_t* values = DecodeAlphaImage(alpha, alphaLength, &alphaWidth, &alphaHeight);
        if (!values)
            return nullptr;
        // A pair of different sizes cannot be merged pixel for pixel; refuse
        // it rather than read past the smaller picture.
        if (colour && (alphaWidth != width || alphaHeight != height))
            return nullptr;
        width = alphaWidth;
        height = alphaHeight;
        size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
        if (!colour) {
            pixels = new (std::nothrow) uint8_t[count * 4];
            if (!pixels)
                return nullptr;
            for (size_t i = 0; i < count * 4; ++i)
                pixels[i] = 255;
        }
        for (size_t i = 0; i < count; ++i)
            pixels[i * 4 + 3] = values[i];
    }
    return CreateTiledTexture(pixels, width, height, GL_RGBA, filter);
}

TiledTexture* LoadTGATexture(const void* data, GLint filter, uint32_t length)
{
    if (!data)
        return nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 0;
    uint8_t* pixels = LoadTGA(data, &width, &height, &depth, length);
    if (!pixels)
        return nullptr;
    return CreateTiledTexture(pixels, width, height, GLFormatFromBpp(static_cast<uint32_t>(depth)), filter);
}
