// vigil-fuzz-seeds: writes the seed corpora of the fuzz targets with the
// project's own writers: small JPEG and GIF pictures, TGA files, a pack and an
// MS3D model, and the shipped and example parameter files for the script
// target. Usage: vigil-fuzz-seeds SOURCE_DIR OUT_DIR (writes OUT_DIR/<target>/).
// The output is the same on every run; fuzz/corpus/ holds it.
#include "tools/common/asset_writers.h"
#include "tools/common/picture_writer.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
bool s_ok = true;
std::string s_out;

// Writes OUT_DIR/target/name; an empty file means its writer failed.
void save(const std::string& target, const std::string& name, const Bytes& bytes)
{
    std::filesystem::create_directories(s_out + "/" + target);
    const std::string path = s_out + "/" + target + "/" + name;
    if (bytes.empty() || !write_file(path, bytes)) {
        std::fprintf(stderr, "vigil-fuzz-seeds: cannot write %s\n", path.c_str());
        s_ok = false;
    }
}

// A small gradient, `components` bytes per pixel.
Bytes gradient(int width, int height, int components)
{
    Bytes pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c)
                pixels.push_back(static_cast<uint8_t>(x * 16 + y * 8 + c * 60));
    return pixels;
}

Bytes jpeg(int width, int components, int quality, bool progressive)
{
    Bytes out, pixels = gradient(width, 8, components);
    return encode_jpeg(out, pixels.data(), width, 8, components, quality, progressive) ? out : Bytes{};
}

// A 6 x 4 image at (1, 1) on an 8 x 6 screen, four colours.
Bytes gif(int transparentIndex, bool interlacedLocal, bool gif89)
{
    GifPicture gif{.screenWidth = 8, .screenHeight = 6, .left = 1, .top = 1, .width = 6, .height = 4, .indices = {},
                   .palette = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255}, .transparentIndex = transparentIndex,
                   .interlaced = interlacedLocal, .localPalette = interlacedLocal, .gif89 = gif89};
    for (int i = 0; i < gif.width * gif.height; ++i)
        gif.indices.push_back(static_cast<uint8_t>(i % 4));
    Bytes out;
    return encode_gif(out, gif) ? out : Bytes{};
}

// 5 x 3 pixels starting with a run, so run-length files hold run packets as
// well as raw ones.
Bytes tga(bool rle, uint8_t bpp, const std::string& imageId)
{
    Bytes pixels = gradient(5, 3, bpp / 8);
    std::fill_n(pixels.begin(), 3 * (bpp / 8), 7);
    return write_tga(TgaWriteOptions{5, 3, bpp, rle, -1, imageId, rle}, pixels.data());
}

// A square of two triangles in a textured group (both) and a plain one (the
// first), with the shipped model's material.
Ms3dModelRecords small_model()
{
    Ms3dModelRecords model;
    model.vertices = {{.position = {0, 0, 0}}, {.position = {1, 0, 0}}, {.position = {0, 1, 0}}, {.position = {1, 1, 0}}};
    model.triangles = {{.vertexIndices = {0, 1, 2}}, {.vertexIndices = {1, 3, 2}}};
    model.groups = {{0, "textured", {1, 0}, 0}, {0, "plain", {0}, -1}};
    model.materials = {{.name = "material", .transparency = 0.65f, .texture = "..\\..\\..\\3d\\particles.tga"}};
    return model;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: vigil-fuzz-seeds SOURCE_DIR OUT_DIR\n");
        return 2;
    }
    s_out = argv[2];
    save("image", "baseline.jpg", jpeg(16, 3, 75, false));
    save("image", "progressive.jpg", jpeg(16, 3, 75, true));
    save("image", "grey.jpg", jpeg(8, 1, 90, false));
    save("image", "transparent.gif", gif(2, false, true));
    save("image", "interlaced_local.gif", gif(-1, true, true));
    save("image", "gif87.gif", gif(-1, false, false));

    save("tga", "raw24.tga", tga(false, 24, ""));
    save("tga", "raw32_id.tga", tga(false, 32, "id"));
    save("tga", "rle24.tga", tga(true, 24, ""));
    save("tga", "rle32.tga", tga(true, 32, ""));

    const Bytes model = write_ms3d(small_model());
    save("model", "small.ms3d", model);
    Ms3dModelRecords jpegTextured = small_model();
    jpegTextured.materials[0].texture = "picture.JPG";
    jpegTextured.groups[1].materialIndex = 0;
    save("model", "jpeg_texture.ms3d", write_ms3d(jpegTextured));
    Bytes pack;
    if (write_pack({{"mess.ms3d", model}, {"..\\..\\..\\3d\\particles.tga", tga(true, 32, "")}}, &pack))
        save("pack", "model_and_texture.pack", pack);
    if (write_pack({{"a/b/one.bin", {1, 2, 3}}, {"ONE.BIN", {4}}, {"\\lead", {}}}, &pack))
        save("pack", "names.pack", pack);

    // The shipped and example scripts, and the shipped init sets and scenes
    // in one file, so both builders get far.
    const std::string source = argv[1];
    Bytes both, shipped, example;
    for (const std::string name : {"init.conf", "demo.conf", "config.conf"}) {
        for (auto [path, bytes] : {std::pair{source + "/data/" + name, &shipped},
                                   std::pair{source + "/examples/test_layers/data/" + name, &example}})
            if (!read_file(path, *bytes) || bytes->empty())
                std::fprintf(stderr, "vigil-fuzz-seeds: cannot read %s\n", path.c_str()), bytes->clear();
        save("script", "data_" + name, shipped);
        save("script", "example_" + name, example);
        if (name != "config.conf")
            both.insert(both.end(), shipped.begin(), shipped.end());
    }
    save("script", "data_init_and_demo.conf", both);
    return s_ok ? 0 : 1;
}
