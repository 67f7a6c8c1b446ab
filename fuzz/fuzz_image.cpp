// Fuzz target: the JPEG and GIF decoder. The input is one picture file;
// DecodeImage and DecodeAlphaImage must refuse it or return a picture of the
// size they report, never reading outside the input.
#include "assets/image.h"
#include "fuzz/fuzz_support.h"

#include <optional>
#include <utility>

namespace {

using Decoder = uint8_t* (*)(const void*, uint32_t, int32_t*, int32_t*);
using Size = std::pair<int32_t, int32_t>;

// Pictures of up to a million colour pixels fit; larger ones are refused for
// want of memory, as in a nearly full player. A tiny file can declare a
// picture of hundreds of megabytes, and zero-filling, drawing and clearing
// that much on every such input slowed the target from tens of thousands of
// runs a second to a few hundred. The size checks all come before the
// picture is allocated, so they are fuzzed all the same.
constexpr int32_t PICTURE_ARENA_SIZE = 4 << 20;

// One decode in an arena of its own, as if it were the first picture: the
// size of the picture it returns, whose pixels must all be readable, or
// nothing when it refuses.
std::optional<Size> decode(Decoder decoder, const uint8_t* data, size_t size, size_t bytesPerPixel)
{
    FuzzArenaScope arena(PICTURE_ARENA_SIZE);
    int32_t width = -1, height = -1;
    uint8_t* pixels = decoder(data, static_cast<uint32_t>(size), &width, &height);
    if (!pixels)
        return std::nullopt;
    if (width <= 0 || height <= 0)
        fuzz_fail("the decoder returned a picture with no pixels");
    volatile uint8_t keep =
        fuzz_touch_ends(pixels, static_cast<size_t>(width) * static_cast<size_t>(height) * bytesPerPixel);
    (void)keep;
    return Size{width, height};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > UINT32_MAX)
        return 0;
    const std::optional<Size> colour = decode(DecodeImage, data, size, 4);
    const std::optional<Size> alpha = decode(DecodeAlphaImage, data, size, 1);
    // Both read the same file. The alpha form needs a quarter of the memory,
    // so it may succeed where the colour form does not fit; never the other
    // way round, and when both succeed they agree on the size.
    if (colour && alpha != colour)
        fuzz_fail("DecodeImage and DecodeAlphaImage disagree about one file");
    return 0;
}
