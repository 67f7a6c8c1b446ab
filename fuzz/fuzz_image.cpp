// Fuzz target: the JPEG and GIF decoder. The input is one picture file;
// DecodeImage and DecodeAlphaImage must refuse it or return a picture of the
// size they report, never reading outside the input.
#include "assets/image.h"
#include "fuzz/fuzz_support.h"

namespace {

using Decoder = uint8_t* (*)(const void*, uint32_t, int32_t*, int32_t*);

struct Result {
    bool decoded = false;
    int32_t width = -1;
    int32_t height = -1;
};

// One decode in an arena of its own, as if it were the first picture. A
// picture it returns must have pixels, all of them readable.
Result decode(Decoder decoder, const uint8_t* data, size_t size, size_t bytesPerPixel)
{
    FuzzArenaScope arena;
    Result result;
    uint8_t* pixels = decoder(data, static_cast<uint32_t>(size), &result.width, &result.height);
    if (!pixels)
        return result;
    if (result.width <= 0 || result.height <= 0)
        fuzz_fail("the decoder returned a picture with no pixels");
    volatile uint8_t keep = fuzz_touch_ends(
        pixels, static_cast<size_t>(result.width) * static_cast<size_t>(result.height) * bytesPerPixel);
    (void)keep;
    result.decoded = true;
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > UINT32_MAX)
        return 0;
    const Result colour = decode(DecodeImage, data, size, 4);
    const Result alpha = decode(DecodeAlphaImage, data, size, 1);
    // Both read the same file. The alpha form needs a quarter of the memory,
    // so it may succeed where the colour form does not fit; never the other
    // way round, and when both succeed they agree on the size.
    if ((colour.decoded && !alpha.decoded) ||
        (colour.decoded && alpha.decoded && (colour.width != alpha.width || colour.height != alpha.height)))
        fuzz_fail("DecodeImage and DecodeAlphaImage disagree about one file");
    return 0;
}
