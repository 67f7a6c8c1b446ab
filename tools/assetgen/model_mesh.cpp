// The model scene's "mess": six twisting ribbons that loop around the middle
// at different tilts, and 38 particle quads, some clustered in the middle and
// some strewn along the ribbons. Every quad has four vertices of its own and
// is split into two triangles; each ribbon is one group of 38 quads, each
// particle a group of its own, all with the one blended material whose
// texture is the particles picture. The whole is laid out in free units and
// then mapped, axis by axis, onto the model's bounding box.
#include "tools/assetgen/model_content.h"
#include "tools/assetgen/model_paint.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace modelgen {

namespace {

using Vec = std::array<double, 3>;

Vec operator+(Vec a, Vec b)
{
    return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
Vec operator-(Vec a, Vec b)
{
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
Vec operator*(Vec a, double k)
{
    return {a[0] * k, a[1] * k, a[2] * k};
}
double dot(Vec a, Vec b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
Vec cross(Vec a, Vec b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Vec normalise(Vec a)
{
    double length = std::sqrt(dot(a, a));
    return length > 0 ? a * (1 / length) : Vec{0, 0, 1};
}
// Rotates v about the unit axis by angle (Rodrigues).
Vec rotate(Vec v, Vec axis, double angle)
{
    double c = std::cos(angle), s = std::sin(angle);
    return v * c + cross(axis, v) * s + axis * (dot(axis, v) * (1 - c));
}
// A uniformly distributed unit vector.
Vec random_direction(Random& random)
{
    double z = random.range(-1, 1);
    double angle = random.range(0, 2 * std::numbers::pi);
    double r = std::sqrt(1 - z * z);
    return {r * std::cos(angle), r * std::sin(angle), z};
}
// Some unit vector at right angles to n.
Vec perpendicular(Vec n)
{
    Vec other = std::abs(n[0]) < 0.8 ? Vec{1, 0, 0} : Vec{0, 1, 0};
    return normalise(cross(n, other));
}

// One textured quad: corners in order around it, with their texture
// coordinates.
struct Quad {
    Vec corner[4];
    float s[4];
    float t[4];
};

struct Part {
    std::string name;
    std::vector<Quad> quads;
};

// A ribbon along an arc of a tilted, wobbling loop, twisting as it goes and
// widest in its middle. Segment i covers the i-th slice of the ribbon cell.
Part make_ribbon(Random& random, int index)
{
    Vec normal = random_direction(random);
    Vec u = perpendicular(normal);
    Vec v = cross(normal, u);
    double radius = random.range(0.55, 1.0);
    double phase = random.range(0, 2 * std::numbers::pi);
    double span = random.range(3.4, 5.4);
    double wobblePhase = random.range(0, 2 * std::numbers::pi);
    double lobePhase = random.range(0, 2 * std::numbers::pi);
    double width = random.range(0.09, 0.16);
    double twist = random.range(1.0, 2.5) * std::numbers::pi * (random.uniform() < 0.5 ? -1 : 1);

    constexpr int N = RIBBON_SEGMENTS;
    auto centre = [&](double s) {
        double angle = phase + span * s;
        double r = radius * (1 + 0.16 * std::sin(3 * angle + lobePhase));
        double lift = 0.14 * std::sin(2 * angle + wobblePhase);
        return (u * std::cos(angle) + v * std::sin(angle)) * r + normal * lift;
    };
    std::array<Vec, N + 1> left, right;
    for (int i = 0; i <= N; ++i) {
        double s = static_cast<double>(i) / N;
        Vec p = centre(s);
        Vec tangent = normalise(centre(std::min(1.0, s + 0.01)) - centre(std::max(0.0, s - 0.01)));
        Vec side = normalise(cross(tangent, normal));
        side = rotate(side, tangent, twist * s);
        double w = width * (0.3 + 0.7 * std::sin(std::numbers::pi * s));
        left[i] = p - side * w;
        right[i] = p + side * w;
    }

    const TextureCell& cell = CELL_RIBBON;
    const float inset = 1.0f / PARTICLES_SIZE;
    Part part;
    char name[32];
    std::snprintf(name, sizeof name, "ribbon%d", index + 1);
    part.name = name;
    for (int i = 0; i < N; ++i) {
        float s0 = cell.s0 + inset + (cell.s1 - cell.s0 - 2 * inset) * static_cast<float>(i) / N;
        float s1 = cell.s0 + inset + (cell.s1 - cell.s0 - 2 * inset) * static_cast<float>(i + 1) / N;
        float top = cell.t0 + inset, bottom = cell.t1 - inset;
        part.quads.push_back({{left[i], right[i], right[i + 1], left[i + 1]}, {s0, s0, s1, s1}, {top, bottom, bottom, top}});
    }
    return part;
}

// A flat square particle, turned any way, showing one cell of the texture.
Part make_particle(Vec centre, double halfSize, Vec normal, double spin, const TextureCell& cell, int index)
{
    Vec a = rotate(perpendicular(normal), normal, spin);
    Vec b = cross(normal, a);
    Part part;
    char name[32];
    std::snprintf(name, sizeof name, "spark%02d", index + 1);
    part.name = name;
    part.quads.push_back({{centre - a * halfSize - b * halfSize, centre + a * halfSize - b * halfSize,
                           centre + a * halfSize + b * halfSize, centre - a * halfSize + b * halfSize},
                          {cell.s0, cell.s1, cell.s1, cell.s0},
                          {cell.t0, cell.t0, cell.t1, cell.t1}});
    return part;
}

} // namespace

Ms3dModelRecords build_mess_model()
{
    Random random(0x6D6573732E6D7333ull);
    std::vector<Part> parts;
    for (int k = 0; k < RIBBONS; ++k)
        parts.push_back(make_ribbon(random, k));

    // Particles: the first third in a warm cluster around the middle, the
    // rest strewn along the ribbons.
    for (int i = 0; i < PARTICLES; ++i) {
        Vec centre;
        double halfSize;
        const TextureCell* cell;
        if (i < PARTICLES / 3) {
            Vec direction = random_direction(random);
            centre = direction * (0.35 * std::cbrt(random.uniform()));
            halfSize = random.range(0.14, 0.26);
            cell = random.uniform() < 0.7 ? &CELL_WARM_GLOW : &CELL_SPARKS;
        } else {
            const Part& ribbon = parts[static_cast<size_t>(random.below(RIBBONS))];
            const Quad& quad = ribbon.quads[static_cast<size_t>(random.below(RIBBON_SEGMENTS))];
            // One draw per statement: the order of draws must not depend on
            // the compiler's order of evaluating operands.
            Vec offset = random_direction(random);
            double distance = random.range(0.02, 0.12);
            centre = (quad.corner[0] + quad.corner[2]) * 0.5 + offset * distance;
            halfSize = random.range(0.06, 0.16);
            double roll = random.uniform();
            cell = roll < 0.4 ? &CELL_COLD_FLARE : (roll < 0.75 ? &CELL_SPARKS : &CELL_WARM_GLOW);
        }
        Vec normal = random_direction(random);
        parts.push_back(make_particle(centre, halfSize, normal, random.range(0, 2 * std::numbers::pi), *cell, i));
    }

    // Map the layout onto the bounding box, axis by axis: the extremes land
    // exactly on the box's faces.
    Vec lo{1e9, 1e9, 1e9}, hi{-1e9, -1e9, -1e9};
    for (const Part& part : parts)
        for (const Quad& quad : part.quads)
            for (const Vec& c : quad.corner)
                for (int axis = 0; axis < 3; ++axis) {
                    lo[axis] = std::min(lo[axis], c[axis]);
                    hi[axis] = std::max(hi[axis], c[axis]);
                }
    auto place = [&](Vec c) {
        Vec out;
        for (int axis = 0; axis < 3; ++axis)
            out[axis] = BOUNDS_MIN[axis] + (c[axis] - lo[axis]) * (BOUNDS_MAX[axis] - BOUNDS_MIN[axis]) / (hi[axis] - lo[axis]);
        return out;
    };

    Ms3dModelRecords model;
    for (size_t g = 0; g < parts.size(); ++g) {
        Ms3dGroupRecord group;
        group.name = parts[g].name;
        group.materialIndex = 0;
        for (const Quad& quad : parts[g].quads) {
            auto first = static_cast<uint16_t>(model.vertices.size());
            Vec placed[4];
            for (int c = 0; c < 4; ++c) {
                placed[c] = place(quad.corner[c]);
                Ms3dVertexRecord vertex;
                for (int axis = 0; axis < 3; ++axis)
                    vertex.position[axis] = static_cast<float>(placed[c][axis]);
                vertex.referenceCount = (c == 0 || c == 2) ? 2 : 1; // corners 0 and 2 are shared by both triangles
                model.vertices.push_back(vertex);
            }
            // Triangles (0, 1, 2) and (0, 2, 3) of the quad.
            for (const std::array<int, 3>& corners : {std::array<int, 3>{0, 1, 2}, std::array<int, 3>{0, 2, 3}}) {
                Ms3dTriangleRecord triangle;
                Vec n = normalise(cross(placed[corners[1]] - placed[corners[0]], placed[corners[2]] - placed[corners[0]]));
                for (int k = 0; k < 3; ++k) {
                    triangle.vertexIndices[k] = static_cast<uint16_t>(first + corners[k]);
                    for (int axis = 0; axis < 3; ++axis)
                        triangle.normals[k][axis] = static_cast<float>(n[axis]);
                    triangle.s[k] = quad.s[corners[k]];
                    triangle.t[k] = quad.t[corners[k]];
                }
                triangle.groupIndex = static_cast<uint8_t>(g);
                group.triangleIndices.push_back(static_cast<uint16_t>(model.triangles.size()));
                model.triangles.push_back(triangle);
            }
        }
        model.groups.push_back(group);
    }

    Ms3dMaterialRecord material;
    material.name = "particles";
    material.ambient[0] = material.ambient[1] = material.ambient[2] = 0.2f;
    material.diffuse[0] = material.diffuse[1] = material.diffuse[2] = 0.8f;
    material.emissive[0] = material.emissive[1] = material.emissive[2] = 0.4f;
    material.transparency = 0.65f;
    material.texture = PARTICLES_NAME;
    model.materials.push_back(material);
    return model;
}

} // namespace modelgen
