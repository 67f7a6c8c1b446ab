// Embedded pictures: JPEG (baseline or progressive, colour or grey) and GIF
// (87a/89a) files decoded to pixels (gfx/texture.h uploads them).
// Results: the picture's own size, top row first; colour pixels are bytes red,
// green, blue, 255; alpha values are the decoded green byte. Transparent GIF
// pixels, and the parts of a GIF screen no image covers, are black. Every
// array comes from the arena. Corrupt, truncated or unsupported files give
// null and never read outside the given bytes.
#pragma once
#include <cstdint>

// Colour pixels (width * height * 4 bytes) or null; the outputs are written
// only on success.
uint8_t* DecodeImage(const void* data, uint32_t length, int32_t* width, int32_t* height);
// Alpha values (width * height bytes, the green of each pixel) or null.
uint8_t* DecodeAlphaImage(const void* data, uint32_t length, int32_t* width, int32_t* height);
// Why the last DecodeImage or DecodeAlphaImage call gave null, as one line
// for a user (no trailing newline); "" after a success. The demo itself does
// not report it; the authors' tool prints it.
const char* image_decode_failure();
