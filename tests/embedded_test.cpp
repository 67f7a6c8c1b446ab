// Embedding: the files of a folder are linked in byte for byte, each with its
// length word where the readers expect it.
#include "assets/embedded.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

const EmbeddedFile* test_embedded_table(size_t* count); // generated from tests/embed

namespace {

std::vector<uint8_t> read_source(const std::string& name)
{
    std::ifstream in(std::string(VIGIL_SOURCE_DIR) + "/tests/embed/" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

uint32_t le32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

} // namespace

TEST(Embedded, FilesAreLinkedWithTheirLengthWords)
{
    size_t count = 0;
    const EmbeddedFile* files = test_embedded_table(&count);
    ASSERT_EQ(count, 2u);
    // Name order: the soundtrack-style blob first, then the picture-style file.
    EXPECT_STREQ(files[0].name, "clip.mp3");
    EXPECT_STREQ(files[1].name, "sample.bin");
    for (size_t i = 0; i < count; ++i) {
        std::vector<uint8_t> expected = read_source(files[i].name);
        ASSERT_FALSE(expected.empty());
        ASSERT_EQ(files[i].length, expected.size()) << files[i].name;
        EXPECT_EQ(std::memcmp(files[i].data, expected.data(), expected.size()), 0) << files[i].name;
    }
    // A stream blob carries its length in front, a picture behind.
    EXPECT_EQ(le32(files[0].data - 4), files[0].length);
    EXPECT_EQ(le32(files[1].data + files[1].length), files[1].length);
}
