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

bool s_ok = true;
std::string s_out;

void save(const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes)
{
    std::filesystem::create_directories(s_out + "/" + target);
    std::string path = s_out + "/" + target + "/" + name;
    if (bytes.empty() || !write_file(path, bytes)) {
        std::fprintf(stderr, "vigil-fuzz-seeds: cannot write %s\n", path.c_str());
        s_ok = false;
    }
}

std::vector<uint8_t> read_seed(const std::string& path)
{
    std::vector<uint8_t> bytes;
    if (!read_file(path, bytes) || bytes.empty()) {
        std::fprintf(stderr, "vigil-fuzz-seeds: cannot read %s\n", path.c_str());
        s_ok = false;
    }
    return bytes;
}

// A small gradient, `components` bytes per pixel.
std::vector<uint8_t> gradient(int width, int height, int components)
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c)
                pixels.push_back(static_cast<uint8_t>(x * 16 + y * 8 + c * 60));
    return pixels;
}

void write_pictures()
{
    std::vector<uint8_t> out;
    std::vector<uint8_t> rgb = gradient(16, 8, 3);
    std::vector<uint8_t> grey = gradient(8, 8, 1);
    if (encode_jpeg(out, rgb.data(), 16, 8, 3, 75, false))
        save("image", "baseline.jpg", out);
    if (encode_jpeg(out, rgb.data(), 16, 8, 3, 75, true))
        save("image", "progressive.jpg", out);
    if (encode_jpeg(out, grey.data(), 8, 8, 1, 90, false))
        save("image", "grey.jpg", out);

    GifPicture gif;
    gif.screenWidth = 8;
    gif.screenHeight = 6;
    gif.left = 1;
    gif.top = 1;
    gif.width = 6;
    gif.height = 4;
    for (int i = 0; i < gif.width * gif.height; ++i)
        gif.indices.push_back(static_cast<uint8_t>(i % 4));
    gif.palette = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
    gif.transparentIndex = 2;
    if (encode_gif(out, gif))
        save("image", "transparent.gif", out);
    gif.transparentIndex = -1;
    gif.interlaced = true;
    gif.localPalette = true;
    if (encode_gif(out, gif))
        save("image", "interlaced_local.gif", out);
    gif.interlaced = false;
    gif.localPalette = false;
    gif.gif89 = false;
    if (encode_gif(out, gif))
        save("image", "gif87.gif", out);
}

std::vector<uint8_t> small_tga(bool rle, uint8_t bpp, const std::string& imageId)
{
    TgaWriteOptions options;
    options.width = 5;
    options.height = 3;
    options.bpp = bpp;
    options.rle = rle;
    options.imageId = imageId;
    options.packetsCrossRows = rle;
    std::vector<uint8_t> pixels = gradient(5, 3, bpp / 8);
    // A run, so the run-length files hold run packets as well as raw ones.
    for (int i = 0; i < 3 * (bpp / 8); ++i)
        pixels[i] = 7;
    return write_tga(options, pixels.data());
}

Ms3dModelRecords small_model()
{
    Ms3dModelRecords model;
    for (int i = 0; i < 4; ++i) {
        Ms3dVertexRecord vertex;
        vertex.position[0] = static_cast<float>(i & 1);
        vertex.position[1] = static_cast<float>(i >> 1);
        model.vertices.push_back(vertex);
    }
    Ms3dTriangleRecord first;
    first.vertexIndices[1] = 1;
    first.vertexIndices[2] = 2;
    Ms3dTriangleRecord second;
    second.vertexIndices[0] = 1;
    second.vertexIndices[1] = 3;
    second.vertexIndices[2] = 2;
    model.triangles = {first, second};
    Ms3dGroupRecord textured;
    textured.name = "textured";
    textured.triangleIndices = {1, 0};
    textured.materialIndex = 0;
    Ms3dGroupRecord plain;
    plain.name = "plain";
    plain.triangleIndices = {0};
    model.groups = {textured, plain};
    Ms3dMaterialRecord material;
    material.name = "material";
    material.transparency = 0.65f;
    material.texture = "..\\..\\..\\3d\\particles.tga";
    model.materials = {material};
    return model;
}

void write_assets()
{
    save("tga", "raw24.tga", small_tga(false, 24, ""));
    save("tga", "raw32_id.tga", small_tga(false, 32, "id"));
    save("tga", "rle24.tga", small_tga(true, 24, ""));
    save("tga", "rle32.tga", small_tga(true, 32, ""));

    std::vector<uint8_t> model = write_ms3d(small_model());
    save("model", "small.ms3d", model);
    Ms3dModelRecords jpegTextured = small_model();
    jpegTextured.materials[0].texture = "picture.JPG";
    jpegTextured.groups[1].materialIndex = 0;
    save("model", "jpeg_texture.ms3d", write_ms3d(jpegTextured));

    std::vector<uint8_t> pack;
    std::vector<PackFile> files = {{"mess.ms3d", model}, {"..\\..\\..\\3d\\particles.tga", small_tga(true, 32, "")}};
    if (write_pack(files, &pack))
        save("pack", "model_and_texture.pack", pack);
    files = {{"a/b/one.bin", {1, 2, 3}}, {"ONE.BIN", {4}}, {"\\lead", {}}};
    if (write_pack(files, &pack))
        save("pack", "names.pack", pack);
}

void write_scripts(const std::string& source)
{
    const char* names[] = {"init.conf", "demo.conf", "config.conf"};
    std::vector<uint8_t> both;
    for (const char* name : names) {
        std::vector<uint8_t> shipped = read_seed(source + "/data/" + name);
        save("script", std::string("data_") + name, shipped);
        save("script", std::string("example_") + name, read_seed(source + "/examples/test_layers/data/" + name));
        if (std::string(name) != "config.conf")
            both.insert(both.end(), shipped.begin(), shipped.end());
    }
    // Init sets and scenes in one file, so both builders get far.
    save("script", "data_init_and_demo.conf", both);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: vigil-fuzz-seeds SOURCE_DIR OUT_DIR\n");
        return 2;
    }
    s_out = argv[2];
    write_pictures();
    write_assets();
    write_scripts(argv[1]);
    return s_ok ? 0 : 1;
}
