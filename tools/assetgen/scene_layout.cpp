// The effects' geometry for the painters. See scene_layout.h.
#include "tools/assetgen/scene_layout.h"

#include <cmath>

namespace scene {

namespace {
constexpr double PI = 3.14159265358979323846;
double radians(double degrees) { return degrees * PI / 180.0; }
} // namespace

Vec3 rotate_x(Vec3 p, double degrees)
{
    const double c = std::cos(radians(degrees));
    const double s = std::sin(radians(degrees));
    return {p.x, p.y * c - p.z * s, p.y * s + p.z * c};
}

Vec3 rotate_y(Vec3 p, double degrees)
{
    const double c = std::cos(radians(degrees));
    const double s = std::sin(radians(degrees));
    return {p.x * c + p.z * s, p.y, -p.x * s + p.z * c};
}

Projected project(Vec3 eye)
{
    const double f = 1.0 / std::tan(radians(30.0));
    const double depth = -eye.z;
    if (depth <= 1.0)
        return {0.0, 0.0, depth};
    const double nx = f / 1.6 * eye.x / depth;
    const double ny = f * eye.y / depth;
    return {(nx + 1.0) * SCREEN_WIDTH / 2.0, (1.0 - ny) * SCREEN_HEIGHT / 2.0, depth};
}

Vec3 lamps_to_eye(Vec3 p)
{
    // Modelview: rotate -30 about x, translate (0, 50, -200), rotate 50 about y.
    Vec3 q = rotate_y(p, 50.0);
    q = {q.x, q.y + 50.0, q.z - 200.0};
    return rotate_x(q, -30.0);
}

Vec3 archstairs_to_eye(Vec3 p)
{
    // Modelview: translate (-23.75, -28.75, -97.5), rotate 60 about y.
    const Vec3 q = rotate_y(p, 60.0);
    return {q.x - 23.75, q.y - 28.75, q.z - 97.5};
}

double archstairs_arc(double x)
{
    return -176.0 * std::cos((x + 128.0) / 832.0 * PI * 0.5 + PI * 0.5);
}

} // namespace scene
