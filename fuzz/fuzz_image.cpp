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
    // Each decode gets an arena of its own, as if it were the first picture.
    int32_t width = -1;
    int32_t height = -1;
    bool colour = false;
    {
        FuzzArenaScope arena;
        uint8_t* pixels = DecodeImage(data, static_cast<uint32_t>(size), &width, &height);
        check(pixels, width, height, 4);
        colour = pixels != nullptr;
    }
    int32_t alphaWidth = -1;
    int32_t alphaHeight = -1;
    bool alpha = false;
    {
        FuzzArenaScope arena;
        uint8_t* values = DecodeAlphaImage(data, static_cast<uint32_t>(size), &alphaWidth, &alphaHeight);
        check(values, alphaWidth, alphaHeight, 1);
        alpha = values != nullptr;
    }
    // Both read the same file. The alpha form needs a quarter of the memory,
    // so it may succeed where the colour form does not fit; never the other
    // way round, and when both succeed they agree on the size.
    if ((colour && !alpha) || (colour && alpha && (width != alphaWidth || height != alphaHeight)))
        fuzz_fail("DecodeImage and DecodeAlphaImage disagree about one file");
    return 0;
}
