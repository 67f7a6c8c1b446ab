// Fuzz target: the TGA decoder. The input is a TGA file of known length;
// LoadTGA must refuse it with a message or return width * height * bpp / 8
// bytes of pixels, never reading outside the input.
#include "assets/tga.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > UINT32_MAX - 1)
        return 0;
    FuzzArenaScope arena;
    int32_t width = 0, height = 0, bpp = 0;
    uint8_t* pixels = LoadTGA(data, &width, &height, &bpp, static_cast<uint32_t>(size));
    if (!pixels)
        return 0;
    if (width < 0 || height < 0 || (bpp != 24 && bpp != 32))
        fuzz_fail("LoadTGA accepted a picture with an impossible size or depth");
    volatile uint8_t keep =
        fuzz_touch_ends(pixels, static_cast<size_t>(width) * static_cast<size_t>(height) * (bpp / 8));
    (void)keep;
    return 0;
}
