// vigil-assets on crafted files: each refusal names its reason, with status 1 (refused file) or 2 (bad usage).
#include "tests/test_support.h"
#include "tools/common/asset_writers.h"
#include "tools/common/picture_writer.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Runs vigil-assets with `arguments` (after `prefix`, a command that starts it); its exit status (-1 when it
// did not exit), with standard output and error in `output`.
int run_tool(const std::string& arguments, std::string& output, const std::string& prefix = "")
{
    std::FILE* pipe = popen((prefix + VIGIL_ASSETS_TOOL + " " + arguments + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[512];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(AssetsTool, RefusalsNameTheirReasonWithTheRightStatus)
{
    ScratchDir dir;
    // A run-length 6000 x 6000 TGA whose 144 MB pass the tool's memory; LoadTGA refuses it silently.
    TgaWriteOptions options;
    options.width = 6000, options.height = 1, options.rle = true;
    std::vector<uint8_t> file = write_tga(options, std::vector<uint8_t>(6000 * 4).data());
    file[14] = file[12], file[15] = file[13]; // height = width
    for (int packet = 0; packet < 6000 * 6000 / 128; ++packet)
        file.insert(file.end(), {0xFF, 1, 2, 3, 4});
    ASSERT_TRUE(write_file("huge.tga", file));
    options.width = 0, options.height = 5;
    ASSERT_TRUE(write_file("empty.tga", write_tga(options, nullptr)));
    // A pack whose directory claims a second entry it has no room for.
    ASSERT_TRUE(write_pack({{"a.bin", {1, 2, 3}}}, &file));
    file[4] = 2;
    ASSERT_TRUE(write_file("short.pack", file));
    // A JPEG without its end-of-image marker.
    const uint8_t grey[4] = {10, 20, 30, 40};
    ASSERT_TRUE(encode_jpeg(file, grey, 2, 2, 1, 90, false));
    file.resize(file.size() - 2);
    ASSERT_TRUE(write_file("cut.jpg", file));
    ASSERT_TRUE(write_file("zero.tga", {}));
    ASSERT_TRUE(write_file("zero.jpg", {}));
    ASSERT_TRUE(write_file("song.mp3", {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 0}));

    struct Case {
        std::string arguments;
        int status;
        const char* says;
    } const cases[] = {
        {"tga huge.tga out.png", 1, "6000x6000 pixels of 32 bits need 144000000 bytes"},
        {"tga empty.tga out.png", 1, "0x5 pixels"},
        {"pack list short.pack", 1, "directory of 2 entries"},
        {"pack build new.pack " + std::string(128, 'n') + "=cut.jpg", 2, "at most 127"},
        {"pack build new.pack x/A.bin=cut.jpg y\\\\a.BIN=cut.jpg", 2, "have the same base name"},
        {"decode cut.jpg out.png", 1, "end-of-image marker"},
        // What the file is, where the decoder's own message cannot tell.
        {"tga zero.tga out.png", 1, "zero.tga: refused: the file is empty (0 bytes)"},
        {"tga cut.jpg out.png", 1, "cut.jpg: refused: it is a JPEG file, not a TGA file (vigil-assets decode reads it)"},
        {"decode zero.jpg out.png", 1, "zero.jpg: the file is empty (0 bytes)"},
        {"decode song.mp3 out.png", 1, "song.mp3: it is an MP3 file, not a JPEG or GIF picture"},
    };
    for (const Case& c : cases) {
        std::string output;
        const int status = run_tool(c.arguments, output);
        EXPECT_EQ(status, c.status) << c.arguments << "\n" << output;
        EXPECT_NE(output.find(c.says), std::string::npos) << c.arguments << "\n" << output;
        EXPECT_EQ(output.find("a_data="), std::string::npos) << "no pointer values: " << c.arguments << "\n" << output;
    }
}

// model info reads the records and checks each texture as the demo would
// find and decode it, with no display and no GL: a TGA texture that decodes,
// one the pack lacks, and one whose format the demo does not load.
TEST(AssetsTool, ModelInfoNeedsNoDisplay)
{
    ScratchDir dir;
    Ms3dModelRecords model;
    model.vertices.resize(3);
    model.triangles.resize(1);
    model.groups.push_back({0, "only", {0}, 0});
    for (std::string texture : {"art\\Skin.TGA", "gone.tga", "skin.png"}) {
        Ms3dMaterialRecord material;
        material.name = "m";
        material.texture = std::move(texture);
        model.materials.push_back(std::move(material));
    }
    TgaWriteOptions options;
    options.width = 1, options.height = 1;
    const uint8_t pixel[4] = {1, 2, 3, 4};
    std::vector<uint8_t> pack;
    ASSERT_TRUE(write_pack({{"x.ms3d", write_ms3d(model)}, {"skin.tga", write_tga(options, pixel)},
                            {"skin.png", {1, 2, 3}}},
                           &pack));
    ASSERT_TRUE(write_file("model.pack", pack));

    std::string output;
    EXPECT_EQ(run_tool("model info model.pack x.ms3d", output, "env -u DISPLAY -u WAYLAND_DISPLAY "), 0) << output;
    for (const char* line : {"vertices 3\ntriangles 1\ngroups 1\nmaterials 3\n", "group 0: \"only\", 1 triangles, material 0",
                             "texture \"art\\Skin.TGA\" (decodes)", "texture \"gone.tga\" (not in the pack)",
                             "texture \"skin.png\" (a format the demo does not load)"})
        EXPECT_NE(output.find(line), std::string::npos) << line << "\n" << output;
}
