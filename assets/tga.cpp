// TGA decoder: header checks, uncompressed and run-length-encoded pixel data,
// blue/red swap and the vertical flip (gfx/texture.cpp uploads the result).
// No state of its own. Every refusal writes one "LoadTGA: ..." line to the
// diagnostic log, except an allocation failure, which is silent.
#include "assets/tga.h"

#include "base/log.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>

namespace {

constexpr uint8_t TGA_TRUE_COLOUR = 2;
constexpr uint8_t TGA_TRUE_COLOUR_RLE = 10;
constexpr uint32_t RLE_MAX_PIXELS_PER_PACKET = 128;

uint8_t* refuse_truncated()
{
    diag_log("LoadTGA: File is truncated!\n");
    return nullptr;
}

// The %x fields of the invalid-parameter message take 32-bit values; the low
// half of each address is enough to tell a null one from the others.
unsigned int low_bits(const void* p)
{
    return static_cast<unsigned int>(reinterpret_cast<uintptr_t>(p));
}

// Writes one file pixel (blue, green, red [, alpha]) as red, green, blue
// [, alpha].
inline void store_pixel(uint8_t* out, const uint8_t* filePixel, uint32_t bytesPerPixel)
{
    out[0] = filePixel[2];
    out[1] = filePixel[1];
    out[2] = filePixel[0];
    if (bytesPerPixel == 4)
        out[3] = filePixel[3];
}

} // namespace

uint8_t* LoadTGA(const void* a_data, int32_t* a_w, int32_t* a_h, int32_t* a_bpp, uint32_t length)
{
    if (!a_w || !a_h || !a_bpp || !a_data) {
        diag_log("LoadTGA: Invalid parameter (a_data=%x, a_w=%x, a_h=%x, a_bpp=%x)!\n", low_bits(a_data),
                 low_bits(a_w), low_bits(a_h), low_bits(a_bpp));
        return nullptr;
    }
    MemoryReader reader = make_reader(a_data, length);

    // The header is read field by field, and each field is checked as soon as
    // it is there, so a refusal names the first thing wrong with the file.
    uint8_t idLength = 0;
    uint8_t colourMapType = 0;
    ReadBytes(&reader, &idLength, 1);
    ReadBytes(&reader, &colourMapType, 1);
    if (reader.failed)
        return refuse_truncated();
    if (colourMapType != 0) {
        diag_log("LoadTGA: Colour-mapped images are unsupported!\n");
        return nullptr;
    }

    uint8_t imageType = 0;
    ReadBytes(&reader, &imageType, 1);
    if (reader.failed)
        return refuse_truncated();
    if (imageType != TGA_TRUE_COLOUR && imageType != TGA_TRUE_COLOUR_RLE) {
        diag_log("LoadTGA: Only unmapped RGB and RLE-compressed RGB images are supported!\n");
        return nullptr;
    }
    bool rle = imageType == TGA_TRUE_COLOUR_RLE;

    // The colour map fields and the x/y origin: not used.
    uint8_t skipped[9];
    ReadBytes(&reader, skipped, sizeof skipped);
    uint8_t size[5]; // width (2), height (2), pixel depth (1), little-endian
    ReadBytes(&reader, size, sizeof size);
    if (reader.failed)
        return refuse_truncated();
    uint32_t width = size[0] | (size[1] << 8);
    uint32_t height = size[2] | (size[3] << 8);
    uint32_t depth = size[4];
    // Written before the depth is tested, so a caller can see what it was.
    *a_w = static_cast<int32_t>(width);
    *a_h = static_cast<int32_t>(height);
    *a_bpp = static_cast<int32_t>(depth);
    uint32_t bytesPerPixel = depth == 24 ? 3 : 4;
    if (depth != 24 && depth != 32) {
        diag_log("LoadTGA: Only 24 and 32 bpp images are supported (bpp is %i)!\n", static_cast<int>(depth));
        return nullptr;
    }

    uint8_t descriptor = 0;
    ReadBytes(&reader, &descriptor, 1);
    if (reader.failed)
        return refuse_truncated();
    uint32_t alphaBits = descriptor & 0x0F;
    if ((depth == 24 && alphaBits != 0) || (depth == 32 && alphaBits != 8)) {
        diag_log("LoadTGA: Invalid image descriptor (%i bpp, imDesc=%i)\n", static_cast<int>(depth),
                 static_cast<int>(descriptor));
        return nullptr;
    }
    if (descriptor & 0xC0) {
        diag_log("LoadTGA: Only non-interleaved images are unsupported\n");
        return nullptr;
    }
    // The origin bits (4 and 5) are deliberately not looked at: every file is
    // flipped below.

    uint8_t imageId[255];
    ReadBytes(&reader, imageId, idLength);
    if (reader.failed)
        return refuse_truncated();

    // 65535 x 65535 pixels of 4 bytes do not fit in 32 bits: size in 64 bits.
    uint64_t pixelCount = static_cast<uint64_t>(width) * height;
    uint64_t arraySize = pixelCount * bytesPerPixel;

    // Where the length is known, refuse a file that cannot hold the pixels
    // before allocating for them. Run-length data needs at least one packet
    // (a header byte and a pixel) per 128 pixels.
    if (length != LENGTH_UNKNOWN) {
        uint64_t needed = rle ? (pixelCount + RLE_MAX_PIXELS_PER_PACKET - 1) / RLE_MAX_PIXELS_PER_PACKET *
                                    (1 + bytesPerPixel)
                              : arraySize;
        if (needed > length - static_cast<uint32_t>(reader.position))
            return refuse_truncated();
    }

    if (arraySize > SIZE_MAX)
        return nullptr;
    size_t total = static_cast<size_t>(arraySize);
    uint8_t* pixels = new (std::nothrow) uint8_t[total];
    if (!pixels)
        return nullptr;
    std::memset(pixels, 0, total);

    uint8_t filePixel[4] = {0, 0, 0, 0};
    size_t n = 0;
    while (n < total) {
        if (!rle) {
            ReadBytes(&reader, filePixel, bytesPerPixel);
            if (reader.failed)
                return refuse_truncated();
            store_pixel(pixels + n, filePixel, bytesPerPixel);
            n += bytesPerPixel;
            continue;
        }
        uint8_t packet = 0;
        ReadBytes(&reader, &packet, 1);
        if (reader.failed)
            return refuse_truncated();
        uint32_t count = (packet & 0x7Fu) + 1;
        // A packet may run on across row ends. One that would run past the
        // end of the picture is cut off there: the rest of it is not stored
        // (and, for a raw packet, not read).
        if (packet & 0x80) {
            ReadBytes(&reader, filePixel, bytesPerPixel);
            if (reader.failed)
                return refuse_truncated();
            for (uint32_t k = 0; k < count && n < total; ++k, n += bytesPerPixel)
                store_pixel(pixels + n, filePixel, bytesPerPixel);
        } else {
            for (uint32_t k = 0; k < count && n < total; ++k, n += bytesPerPixel) {
                ReadBytes(&reader, filePixel, bytesPerPixel);
                if (reader.failed)
                    return refuse_truncated();
                store_pixel(pixels + n, filePixel, bytesPerPixel);
            }
        }
    }

    // Files are stored bottom row first; the picture is wanted top row first.
    size_t rowBytes = static_cast<size_t>(width) * bytesPerPixel;
    for (uint32_t r = 0; r < height / 2; ++r) {
        uint8_t* top = pixels + r * rowBytes;
        uint8_t* bottom = pixels + (height - 1 - r) * rowBytes;
        std::swap_ranges(top, top + rowBytes, bottom);
    }
    return pixels;
}
