// The pieces of the model-scene content and of the sample transitions' mask,
// each as plain pixels or records; model_files.cpp encodes them into the
// embedded files. Pixels are row-major, top row first.
#pragma once
#include "tools/common/asset_writers.h"

#include <cstdint>
#include <vector>

namespace modelgen {

// The names inside the model pack: the model, and its texture by the path
// the model's material gives (backslashes as written).
constexpr const char* MODEL_NAME = "mess.ms3d";
constexpr const char* PARTICLES_NAME = "..\\..\\..\\3d\\particles.tga";

constexpr int WIPE_SIZE = 512;
constexpr int WIPE_ALPHA_MIN = 44;
constexpr int WIPE_FULL_PIXELS = 39; // pixels at alpha 255, left uncovered by a finished wipe
constexpr int BACKGROUND_SIZE = 512;
constexpr int PARTICLES_SIZE = 256;

// The wipe mask: 512 x 512 RGBA, the alpha a rank order of a smoky diagonal
// field, evenly spread over 44..254, with exactly 39 pixels at 255 where the
// wipe ends. Colour = alpha, so the file shows the pattern in any viewer.
std::vector<uint8_t> paint_wipe_mask();

// The model scene's backdrop: 512 x 512 RGB of which the scene shows the
// top-left 400 x 300, stretched to 1024 x 640: a foggy night skyline.
std::vector<uint8_t> paint_model_background();

// The model's texture: 256 x 256 RGBA, four 128 x 128 cells of glowing
// particles (see PARTICLE_CELLS), transparent around each.
std::vector<uint8_t> paint_particles();

// The cells of the particles texture, in texture coordinates (s right, t
// down from the top edge): a warm sodium glow, a cold star flare, a cloud of
// sparks, and a band for the ribbons (soft across t, running along s).
struct TextureCell {
    float s0, t0, s1, t1;
};
constexpr TextureCell CELL_WARM_GLOW = {0.0f, 0.0f, 0.5f, 0.5f};
constexpr TextureCell CELL_COLD_FLARE = {0.5f, 0.0f, 1.0f, 0.5f};
constexpr TextureCell CELL_SPARKS = {0.0f, 0.5f, 0.5f, 1.0f};
constexpr TextureCell CELL_RIBBON = {0.5f, 0.5f, 1.0f, 1.0f};

// The "mess": 6 ribbons of 38 quads and 38 single particle quads, each quad
// with four vertices of its own (1,064 vertices, 532 triangles, 44 groups),
// one blended material textured with PARTICLES_NAME. Bounds x -76..81,
// y -56..53, z -92..101.
Ms3dModelRecords build_mess_model();

constexpr int RIBBONS = 6;
constexpr int RIBBON_SEGMENTS = 38;
constexpr int PARTICLES = 38;
constexpr float BOUNDS_MIN[3] = {-76, -56, -92};
constexpr float BOUNDS_MAX[3] = {81, 53, 101};

} // namespace modelgen
