// The JPEG and GIF decoders each build provides. The format is told once, by
// the sniffer of assets/image.cpp (DecodeImage, DecodeAlphaImage), which calls
// the decoder for it; the decoders only decode.
// Implementations: platform/posix/picture_decode.cpp (libjpeg-turbo and
// giflib), platform/win32/picture_loader.cpp (the system's OLE picture loader).
#pragma once
#include <cstdint>

enum class PictureOutput {
    Rgba,  // four bytes a pixel: red, green, blue, 255 (transparent GIF pixels black)
    Green, // one byte a pixel: the green of the colour picture (alpha pictures)
};

// The picture of a file the sniffer took for a JPEG (a GIF): width * height
// results of `output`, from the arena, top row first, the size in the
// outputs. Null, with the reason given to picture_failure and the outputs
// untouched, for a file it cannot decode. Never reads outside `length` bytes.
uint8_t* decode_jpeg(const uint8_t* data, uint32_t length, PictureOutput output, int32_t* width, int32_t* height);
uint8_t* decode_gif(const uint8_t* data, uint32_t length, PictureOutput output, int32_t* width, int32_t* height);

// Keeps why decoding failed, for image_decode_failure; returns null so a
// decoder can return it.
__attribute__((format(printf, 1, 2))) uint8_t* picture_failure(const char* format, ...);
