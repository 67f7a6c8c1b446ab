// Fuzz target: the JPEG and GIF decoder. The input is one picture file;
// DecodeImage and DecodeAlphaImage must refuse it or return a picture of the
// size they report, never reading outside the input.
#include "assets/image.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_attach_log();
    return 0;
}

namespace {

void check(const uint8_t* pixels, int32_t width, int32_t height, size_t bytesPerPixel)
{
    if (!pixels)
        return;
    if (width <= 0 || height <= 0)
        fuzz_fail("the decoder returned a picture with no pixels");
    volatile uint8_t keep =
        fuzz_touch_ends(pixels, static_cast<size_t>(width) * static_cast<size_t>(height) * bytesPerPixel);
    (void)keep;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > UINT32_MAX)
        return 0;
    FuzzArenaScope arena;
    int32_t width = -1;
    int32_t height = -1;
    uint8_t* colour = DecodeImage(data, static_cast<uint32_t>(size), &width, &height);
    check(colour, width, height, 4);
    int32_t alphaWidth = -1;
    int32_t alphaHeight = -1;
    uint8_t* alpha = DecodeAlphaImage(data, static_cast<uint32_t>(size), &alphaWidth, &alphaHeight);
    check(alpha, alphaWidth, alphaHeight, 1);
    // Both read the same file: they must agree on whether and how big.
    if (!colour != !alpha || (colour && (width != alphaWidth || height != alphaHeight)))
        fuzz_fail("DecodeImage and DecodeAlphaImage disagree about one file");
    return 0;
}
