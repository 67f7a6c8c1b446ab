// vigil-assets on crafted files and on files it cannot use: each refusal names its reason, with status 1 (refused
// file) or 2 (bad usage).
#include "tests/test_support.h"
#include "tools/common/asset_writers.h"
#include "tools/common/picture_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
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

// Files the tool cannot use, given to every subcommand in every place that
// takes a file: a directory, a FIFO, an unreadable file and a character
// device as input, and a directory, a missing folder and a FIFO nothing
// reads as output. Each gives status 1 with the file and the reason, never
// an abort, and never a wait for a FIFO's other end.
TEST(AssetsTool, UnusableFilesAreRefusedWithTheReason)
{
    ScratchDir dir;
    std::vector<uint8_t> file;
    const uint8_t grey[4] = {10, 20, 30, 40};
    ASSERT_TRUE(encode_jpeg(file, grey, 2, 2, 1, 90, false));
    ASSERT_TRUE(write_file("good.jpg", file));
    TgaWriteOptions options;
    options.width = 1, options.height = 1;
    ASSERT_TRUE(write_file("good.tga", write_tga(options, grey)));
    ASSERT_TRUE(write_pack({{"a.bin", {1, 2, 3}}}, &file));
    ASSERT_TRUE(write_file("good.pack", file));
    ASSERT_TRUE(std::filesystem::create_directory("folder"));
    ASSERT_EQ(mkfifo("fifo", 0600), 0);
    ASSERT_TRUE(write_file("locked", {1, 2, 3}));
    ASSERT_EQ(chmod("locked", 0), 0);
    // A hang shows as a kill, not as a test that never ends.
    const std::string guard = "timeout -s KILL 20 ";
    // Root reads any file; without the capabilities that let it, the mode
    // bits hold for it too.
    const std::string unprivileged =
        guard + (geteuid() == 0 ? "setpriv --bounding-set -dac_override,-dac_read_search " : "");
    std::string probe;
    const bool lockedIsUnreadable = run_tool("pack list locked", probe, unprivileged) != 0 &&
                                    probe.find("Permission denied") != std::string::npos;
    if (!lockedIsUnreadable)
        std::printf("note: no way to make a file unreadable here, so that case is left out\n%s\n", probe.c_str());

    const struct Input {
        const char* path;
        const char* reason;
        bool locked;
    } inputs[] = {
        {"folder", "Is a directory", false},
        {"fifo", "not a regular file but a FIFO", false},
        {"locked", "Permission denied", true},
        {"/dev/null", "not a regular file but a character device", false},
    };
    const char* const readers[] = {
        "decode IN out.png",  "decode IN out.png --alpha", "tga IN out.png",      "pack list IN",
        "pack extract IN a.bin out.bin", "pack build new.pack a=IN", "model info IN", "model info IN x.ms3d",
    };
    const struct Output {
        const char* path;
        const char* reason;
    } outputs[] = {
        {"folder", "Is a directory"},
        {"missing/out", "No such file or directory"},
        {"fifo", "a FIFO that nothing reads"},
    };
    const char* const writers[] = {
        "decode good.jpg OUT", "decode good.jpg OUT --alpha", "tga good.tga OUT", "pack extract good.pack a.bin OUT",
        "pack build OUT a=good.jpg",
    };
    auto fill = [](std::string text, const std::string& slot, const std::string& path) {
        return text.replace(text.find(slot), slot.size(), path);
    };
    struct Case {
        std::string arguments, says, prefix;
    };
    std::vector<Case> cases;
    for (const Input& input : inputs)
        for (const char* reader : readers)
            if (!input.locked || lockedIsUnreadable)
                cases.push_back({fill(reader, "IN", input.path),
                                 std::string("vigil-assets: cannot read ") + input.path + ": " + input.reason,
                                 input.locked ? unprivileged : guard});
    for (const Output& output : outputs)
        for (const char* writer : writers)
            cases.push_back({fill(writer, "OUT", output.path),
                             std::string("vigil-assets: cannot write ") + output.path + ": " + output.reason, guard});
    for (const Case& c : cases) {
        std::string output;
        const int status = run_tool(c.arguments, output, c.prefix);
        EXPECT_EQ(status, 1) << c.arguments << "\n" << output;
        EXPECT_NE(output.find(c.says), std::string::npos) << c.arguments << "\nwanted: " << c.says << "\n" << output;
    }
    EXPECT_FALSE(std::filesystem::exists("new.pack")) << "a pack was built of a file that could not be read";
}
