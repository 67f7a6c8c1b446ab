// The TGA files and the model pack: the sample transitions' wipe mask, the
// model scene's backdrop, and the pack holding the "mess" model with its
// particles texture. Each is painted or built by a model_* module and
// encoded here with the project's own writers.
#include "tools/assetgen/assetgen.h"

#include "assets/content_names.h"
#include "tools/assetgen/model_content.h"
#include "tools/common/asset_writers.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::vector<uint8_t> encode(uint16_t size, uint8_t bpp, bool rle, const std::vector<uint8_t>& pixels)
{
    TgaWriteOptions options;
    options.width = size;
    options.height = size;
    options.bpp = bpp;
    options.rle = rle; // rows stored bottom first, the usual origin
    return write_tga(options, pixels.data());
}

} // namespace

void generate_model_files(GeneratedFiles& files)
{
    using namespace modelgen;
    // Uncompressed, 32 bits with 8 alpha bits.
    files.push_back({content::WIPE_MASK, encode(WIPE_SIZE, 32, false, paint_wipe_mask())});
    // Run-length encoded, 24 bits.
    files.push_back({content::MODEL_BACKGROUND, encode(BACKGROUND_SIZE, 24, true, paint_model_background())});

    std::vector<PackFile> packed = {
        {MODEL_NAME, write_ms3d(build_mess_model())},
        {PARTICLES_NAME, encode(PARTICLES_SIZE, 32, true, paint_particles())},
    };
    std::vector<uint8_t> pack;
    std::string error;
    if (!write_pack(packed, &pack, &error)) {
        // Only a programming error gets here (a name too long, a pack past 4 GiB).
        std::fprintf(stderr, "vigil-assetgen: cannot build %s: %s\n", content::MODEL_PACK, error.c_str());
        std::exit(1);
    }
    files.push_back({content::MODEL_PACK, std::move(pack)});
}
