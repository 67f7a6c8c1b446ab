// Where the effects put things on the screen, for the painters that set the
// stage for them: the perspective the 3D scenes use, the frames in which the
// lamps scene's procession and the archstairs walkers move, the arc of the
// walkers' path and the lamps scene's red lights. The numbers are the
// effects' own; the painters only read them.
#pragma once

namespace scene {

constexpr int SCREEN_WIDTH = 1024;
constexpr int SCREEN_HEIGHT = 640;

struct Vec3 {
    double x, y, z;
};

// A point on the screen: pixels, y growing downwards. `depth` is the
// distance in front of the eye; a point with depth at or below the near
// plane (1) is not on the screen and its x, y are meaningless.
struct Projected {
    double x, y, depth;
};

Vec3 rotate_x(Vec3 p, double degrees);
Vec3 rotate_y(Vec3 p, double degrees);
// The 3D scenes' projection: 60 degrees vertical field, aspect 1.6, onto the
// 1024x640 screen, from eye coordinates (looking down negative z).
Projected project(Vec3 eye);

// The lamps scene's camera, from the frame in which the procession walks
// (figures at x = 0, y about 0, z from -768 to 256) to eye coordinates.
Vec3 lamps_to_eye(Vec3 p);
// The archstairs camera, from the walkers' frame (x from -128 to 576, y on
// the arc below, z = 0) to eye coordinates.
Vec3 archstairs_to_eye(Vec3 p);
// The height of the walkers' arc at x: 0 at x = -128, 176 at x = 704.
double archstairs_arc(double x);

// The lamps scene's eight red lights, drawn in pairs; each pair hangs on one
// lamp post of the painting.
struct LampLight {
    int x, y;
    double halfSize;
};
constexpr LampLight LAMP_LIGHTS[8] = {
    {189, 535, 3.0}, {197, 528, 3.0}, {30, 531, 2.5}, {36, 531, 2.5},
    {47, 458, 4.0},  {61, 459, 4.0},  {56, 507, 3.0}, {64, 504, 3.0},
};

} // namespace scene
