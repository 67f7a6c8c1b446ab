// PNG reading and writing through libpng's simplified interface.
#include "tests/e2e/png_picture.h"

#include <png.h>

#include <cstring>

Picture read_png(const std::string& path)
{
    Picture picture;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return picture;
    image.format = PNG_FORMAT_RGB;
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) {
        picture.width = static_cast<int>(image.width);
        picture.height = static_cast<int>(image.height);
    }
    return picture;
}

bool write_png(const std::string& path, const Picture& picture)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, picture.rgb.data(), 0, nullptr) != 0;
}

Picture shrink(const Picture& picture, int factor)
{
    Picture small;
    small.width = picture.width / factor;
    small.height = picture.height / factor;
    small.rgb.resize(static_cast<size_t>(small.width) * small.height * 3);
    for (int y = 0; y < small.height; ++y)
        for (int x = 0; x < small.width; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < factor; ++dy)
                    for (int dx = 0; dx < factor; ++dx)
                        sum += picture.rgb[((static_cast<size_t>(y) * factor + dy) * picture.width + x * factor + dx) * 3 + c];
                small.rgb[(static_cast<size_t>(y) * small.width + x) * 3 + c] =
                    static_cast<uint8_t>(sum / (factor * factor));
            }
    return small;
}
