// content_file for the effects tests: the files they registered, and the
// picture makers they build them with.
#include "tests/effects/fake_content.h"

#include "effects/content.h"
#include "tools/common/picture_writer.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

struct Entry {
    std::string name;
    std::vector<uint8_t> bytes;
    EmbeddedFile file;
};

// A deque keeps every entry where it is while more are added; the newest of a
// name wins.
std::deque<Entry> s_entries;

std::vector<uint8_t> jpeg(int width, int height, int components, const std::function<std::array<int, 3>(int, int)>& colour)
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::array<int, 3> c = colour(x, y);
            for (int k = 0; k < components; ++k)
                pixels.push_back(static_cast<uint8_t>(c[k]));
        }
    std::vector<uint8_t> out;
    EXPECT_TRUE(encode_jpeg(out, pixels.data(), width, height, components, 100, false));
    return out;
}

std::vector<uint8_t> gif(int width, int height, std::vector<uint8_t> palette, const Shape& index)
{
    GifPicture picture;
    picture.screenWidth = picture.width = width;
    picture.screenHeight = picture.height = height;
    picture.palette = std::move(palette);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.indices.push_back(index(x, y) ? 1 : 0);
    std::vector<uint8_t> out;
    EXPECT_TRUE(encode_gif(out, picture));
    return out;
}

} // namespace

void fake_content_add(const std::string& name, std::vector<uint8_t> bytes)
{
    Entry& entry = s_entries.emplace_back(Entry{name, std::move(bytes), {}});
    entry.file = EmbeddedFile{entry.name.c_str(), entry.bytes.data(), static_cast<uint32_t>(entry.bytes.size())};
}

void fake_content_clear()
{
    s_entries.clear();
}

const EmbeddedFile* content_file(const char* name)
{
    for (auto it = s_entries.rbegin(); it != s_entries.rend(); ++it)
        if (it->name == name)
            return &it->file;
    return nullptr;
}

std::vector<uint8_t> colour_jpeg(int width, int height, const std::function<std::array<int, 3>(int, int)>& colour)
{
    return jpeg(width, height, 3, colour);
}

std::vector<uint8_t> colour_jpeg(int width, int height, std::array<int, 3> colour)
{
    return jpeg(width, height, 3, [=](int, int) { return colour; });
}

std::vector<uint8_t> grey_jpeg(int width, int height, const Shape& grey)
{
    return jpeg(width, height, 1, [&](int x, int y) { return std::array<int, 3>{grey(x, y), 0, 0}; });
}

std::vector<uint8_t> mask_gif(int width, int height, const Shape& shape)
{
    return gif(width, height, {0, 0, 0, 255, 255, 255}, shape);
}

std::vector<uint8_t> solid_gif(int width, int height, std::array<int, 3> colour)
{
    const std::vector<uint8_t> palette = {static_cast<uint8_t>(colour[0]), static_cast<uint8_t>(colour[1]),
                                          static_cast<uint8_t>(colour[2]), 0, 0, 0};
    return gif(width, height, palette, NOTHING);
}
