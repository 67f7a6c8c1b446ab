// The scenes' pictures: lamps, archstairs, tree, fedsquare and city. The
// painters (scene_*.cpp) make the pixels; this file encodes each picture in
// the kind its scene loads and names it by its role.
#include "assets/content_names.h"
#include "tools/assetgen/assetgen.h"
#include "tools/assetgen/scene_painters.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

void add(GeneratedFiles& files, const char* name, std::vector<uint8_t> bytes)
{
    if (bytes.empty()) {
        // The encoders refuse only bad arguments, which would be a fault of
        // this generator: stop rather than write an incomplete set.
        std::fprintf(stderr, "vigil-assetgen: cannot encode %s\n", name);
        std::exit(1);
    }
    files.push_back({name, std::move(bytes)});
}

} // namespace

void generate_scene_pictures(GeneratedFiles& files)
{
    using namespace scene;
    {
        const LampsPictures lamps = paint_lamps();
        add(files, content::LAMPS_SCENE, colour_jpeg(lamps.picture, false));
        add(files, content::LAMPS_MASK, grey_gif(lamps.mask, true));
        add(files, content::LAMPS_TRANSITION_MAP, grey_jpeg(lamps.transition));
    }
    {
        const ArchstairsPictures stairs = paint_archstairs();
        add(files, content::ARCHSTAIRS_SCENE, colour_jpeg(stairs.picture, false));
        add(files, content::ARCHSTAIRS_MASK, grey_gif(stairs.mask, true));
    }
    {
        const TreePictures tree = paint_tree();
        add(files, content::TREE, colour_jpeg(tree.picture, false));
        add(files, content::TREE_SILHOUETTE, grey_gif(tree.silhouette, false));
        add(files, content::TREE_FLASH_1, grey_jpeg(tree.flash1));
        add(files, content::TREE_FLASH_2, grey_jpeg(tree.flash2));
        add(files, content::TREE_COVER, grey_gif(tree.cover, false));
    }
    add(files, content::FEDSQUARE, colour_jpeg(paint_fedsquare(), true));
    {
        const CityPictures city = paint_city();
        add(files, content::CITY_BACKGROUND, colour_jpeg(city.background, true));
        add(files, content::CITY_LIT, colour_jpeg(city.lit, true));
        add(files, content::CITY_LIT_MASK, grey_gif(city.litMask, false));
        add(files, content::CITY_TOP, grey_gif(city.top, false));
    }
}
