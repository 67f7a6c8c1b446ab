// The painters of the scenes' pictures: each returns the pictures of one
// scene as canvases and grey layers; scene_pictures.cpp encodes them.
#pragma once
#include "tools/assetgen/scene_paint.h"

namespace scene {

// Lamps: a walkway at night seen from below, lamp posts far off on the
// left, a near lamp post, branches and the near balustrade in front.
struct LampsPictures {
    Canvas picture{1024, 640};
    Grey mask{1024, 640};       // what stands in front of the procession
    Grey transition{1024, 640}; // the lead-out's threshold map
};
LampsPictures paint_lamps();

// Archstairs: a flight of stairs seen through a great stone arch.
struct ArchstairsPictures {
    Canvas picture{1024, 640};
    Grey mask{1024, 640}; // the arch and what else stands in front of the walkers
};
ArchstairsPictures paint_archstairs();

// Tree: a tall bare tree against a misty night sky, with its silhouette,
// two lightning flashes and a veil of fog.
struct TreePictures {
    Canvas picture{1024, 1162};
    Grey silhouette{1024, 1162};
    Grey flash1{800, 640};
    Grey flash2{800, 640};
    Grey cover{1024, 640};
};
TreePictures paint_tree();

// Fedsquare: a city square at night.
Canvas paint_fedsquare();

// City: a skyline at night, dark and lit up, the lit layer's mask, and the
// moon and mist drawn on top.
struct CityPictures {
    Canvas background{1024, 640};
    Canvas lit{1024, 640};
    Grey litMask{1024, 640};
    Grey top{1024, 640};
};
CityPictures paint_city();

} // namespace scene
