// vigil-assets run on crafted files: every refusal names its reason and ends
// with status 1 (a refused file) or 2 (bad usage), and what the demo can
// read is not refused.
#include "tests/test_support.h"
#include "tools/common/asset_writers.h"
#include "tools/common/picture_writer.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct ToolRun {
    int status = -1;
    std::string output; // standard output and error
};

// Runs the tool in the current (scratch) directory; arguments are plain
// words without quotes.
ToolRun run_tool(const std::string& arguments)
{
    ToolRun run;
    std::FILE* pipe = popen((std::string(VIGIL_ASSETS_TOOL) + " " + arguments + " 2>&1").c_str(), "r");
    if (!pipe)
        return run;
    char buffer[512];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, n);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

void save(const std::string& path, const std::vector<uint8_t>& bytes)
{
    ASSERT_TRUE(write_file(path, bytes)) << path;
}

} // namespace

TEST(AssetsTool, RefusalsNameTheirReasonWithTheRightStatus)
{
    ScratchDir dir;

    // A run-length TGA whose pixels (6000 x 6000 x 4 bytes) pass the
    // memory the tool has: LoadTGA refuses it without a message of its own.
    TgaWriteOptions row;
    row.width = 6000, row.height = 1, row.rle = true;
    std::vector<uint8_t> huge = write_tga(row, std::vector<uint8_t>(6000 * 4, 9).data());
    huge[14] = static_cast<uint8_t>(6000 & 0xFF), huge[15] = static_cast<uint8_t>(6000 >> 8);
    for (int packet = 0; packet < 6000 * 6000 / 128; ++packet)
        huge.insert(huge.end(), {0xFF, 1, 2, 3, 4});
    save("huge.tga", huge);
    // A TGA 0 pixels wide: nothing to put in a PNG.
    TgaWriteOptions empty;
    empty.height = 5, empty.bpp = 24;
    save("empty.tga", write_tga(empty, nullptr));
    // A pack whose directory claims a second entry it has no room for.
    std::vector<uint8_t> pack;
    ASSERT_TRUE(write_pack({{"a.bin", {1, 2, 3}}}, &pack));
    std::vector<uint8_t> shortDirectory = pack;
    shortDirectory[4] = 2;
    save("short.pack", shortDirectory);
    // The original layout: size field 0xCCCCCCCC, read to the pack's end.
    std::vector<uint8_t> original = pack;
    for (int i = 0; i < 4; ++i)
        original[12 + i] = 0xCC;
    save("original.pack", original);
    save("a.bin", {1, 2, 3});
    // A JPEG without its end-of-image marker, and a GIF without its trailer.
    const uint8_t grey[4] = {10, 20, 30, 40};
    std::vector<uint8_t> jpeg, gif;
    ASSERT_TRUE(encode_jpeg(jpeg, grey, 2, 2, 1, 90, false));
    jpeg.resize(jpeg.size() - 2);
    save("cut.jpg", jpeg);
    GifFlood flood;
    flood.trailer = false;
    ASSERT_TRUE(encode_gif_flood(gif, flood));
    save("open.gif", gif);

    const std::string longName(128, 'n');
    struct Case {
        std::string arguments;
        int status;
        const char* says;
    } const cases[] = {
        {"tga huge.tga out.png", 1, "6000x6000 pixels of 32 bits need 144000000 bytes"},
        {"tga empty.tga out.png", 1, "0x5 pixels"},
        {"pack list short.pack", 1, "directory of 2 entries"},
        {"pack list original.pack", 0, "size field 3435973836 runs past the pack"},
        {"pack build new.pack " + longName + "=a.bin", 2, "at most 127"},
        {"pack build new.pack x/A.bin=a.bin y\\\\a.BIN=a.bin", 2, "have the same base name"},
        {"decode cut.jpg out.png", 1, "end-of-image marker"},
        {"decode open.gif out.png", 0, "1x1 colour"},
        {"decode a.bin out.png", 1, "not a JPEG or GIF file"},
    };
    for (const Case& c : cases) {
        ToolRun run = run_tool(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << c.arguments << "\n" << run.output;
    }
}
