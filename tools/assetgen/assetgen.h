// vigil-assetgen: writes every embedded file of the demo. Each generator
// appends its files (name from assets/content_names.h, bytes) to the list;
// the same program always produces the same bytes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct GeneratedFile {
    std::string name;
    std::vector<uint8_t> bytes;
};
using GeneratedFiles = std::vector<GeneratedFile>;

// Loading picture, window frames, face mask, logo, dot, smoke puffs, icon,
// cursor.
void generate_interface_pictures(GeneratedFiles& files);
// The scenes' pictures: lamps, archstairs, tree, fedsquare, city.
void generate_scene_pictures(GeneratedFiles& files);
// The soundtrack.
void generate_soundtrack(GeneratedFiles& files);
// The TGA files, the model, its texture and the pack.
void generate_model_files(GeneratedFiles& files);
