// TGA decoder: uncompressed (type 2) and run-length-encoded (type 10)
// true-colour files of 24 or 32 bits, decoded to red, green, blue (and alpha)
// bytes and flipped vertically, so files with the usual bottom-left origin
// come out top row first. Refusals go to the diagnostic log ("LoadTGA: ...").
// Depends on assets/reader, base/log, the arena.
#pragma once
#include "assets/reader.h"

#include <cstdint>

// The pixel array (width * height * bpp / 8 bytes, arena) or null. `length`
// is the file's length where the caller knows it; a file shorter than its
// header and pixels then need is refused with a message.
uint8_t* LoadTGA(const void* a_data, int32_t* a_w, int32_t* a_h, int32_t* a_bpp,
                 uint32_t length = LENGTH_UNKNOWN);
