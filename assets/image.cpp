// DecodeImage and DecodeAlphaImage: the picture's format is told by its first
// bytes (a JPEG starts with its start-of-image marker and the next marker's
// FF, a GIF with "GIF87a" or "GIF89a") and the build's decoder for it is
// called (picture_codecs.h); anything else is refused.
// State: why the last decode failed, for image_decode_failure.
#include "assets/image.h"

#include "assets/picture_codecs.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

char s_failure[256] = "";

bool is_jpeg(const uint8_t* bytes, uint32_t length)
{
    return length >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

bool is_gif(const uint8_t* bytes, uint32_t length)
{
    return length >= 6 && (std::memcmp(bytes, "GIF87a", 6) == 0 || std::memcmp(bytes, "GIF89a", 6) == 0);
}

uint8_t* decode(const void* data, uint32_t length, PictureOutput output, int32_t* width, int32_t* height)
{
    s_failure[0] = '\0';
    if (!data || !width || !height)
        return picture_failure("no file or no place for its size given");
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (is_jpeg(bytes, length))
        return decode_jpeg(bytes, length, output, width, height);
    if (is_gif(bytes, length))
        return decode_gif(bytes, length, output, width, height);
    return picture_failure("not a JPEG or GIF file (it starts with neither FF D8 FF nor \"GIF87a\" or \"GIF89a\")");
}

} // namespace

uint8_t* picture_failure(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vsnprintf(s_failure, sizeof s_failure, format, args);
    va_end(args);
    return nullptr;
}

uint8_t* DecodeImage(const void* data, uint32_t length, int32_t* width, int32_t* height)
{
    return decode(data, length, PictureOutput::Rgba, width, height);
}

uint8_t* DecodeAlphaImage(const void* data, uint32_t length, int32_t* width, int32_t* height)
{
    return decode(data, length, PictureOutput::Green, width, height);
}

const char* image_decode_failure()
{
    return s_failure;
}
