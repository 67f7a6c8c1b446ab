// The fedsquare and city pictures.
//
// Fedsquare: a wide square at night in one-point perspective, seen at the
// ghosts' height: wet paving running to the horizon, a building of angular
// stone and zinc panels on the left, a glass front with a big glowing screen
// on the right, a cathedral spire beyond, sodium lamps. The middle band,
// where the crowd floats, is kept open and misty.
//
// City: a skyline across a river, painted twice from the same buildings:
// asleep (dark windows, moonlight) and lit up (windows, street lights, warm
// haze, reflections). The lit layer's mask covers the city and the river and
// fades out into the sky; the top shape is the moon with its halo and a low
// mist over the water, drawn white over both.
#include "tools/assetgen/scene_layout.h"
#include "tools/assetgen/scene_painters.h"

#include <algorithm>
#include <initializer_list>
#include <tuple>

namespace scene {

namespace {

constexpr int W = 1024;
constexpr int H = 640;
constexpr double PI = 3.14159265358979323846;
const Rgb SODIUM{1.00f, 0.55f, 0.16f};

// ---------------------------------------------------------------- fedsquare

// The square in eye coordinates (the ghosts' own frame: eye at the origin,
// looking down negative z): the paving lies at y = GROUND.
constexpr double GROUND = -70.0;

Projected sq(double x, double y, double z) { return project({x, y, z}); }

void poly(cairo_t* cr, std::initializer_list<Vec3> points)
{
    bool first = true;
    for (const Vec3& p : points) {
        const Projected q = sq(p.x, p.y, p.z);
        if (first)
            cairo_move_to(cr, q.x, q.y);
        else
            cairo_line_to(cr, q.x, q.y);
        first = false;
    }
    cairo_close_path(cr);
}

// The left building's face: the plane x = LEFT_FACE, tiled with triangles of
// stone, zinc and glass.
constexpr double LEFT_FACE = -460.0;
constexpr double RIGHT_FACE = 500.0;

void paint_fedsquare_into(Canvas& c)
{
    // Sky with the town's glow low down.
    paint_all(c, [](int x, int y) {
        const float fx = static_cast<float>(x), fy = static_cast<float>(y);
        const float t = fy / 330.0f;
        Rgb col = mix(Rgb{0.012f, 0.018f, 0.055f}, Rgb{0.11f, 0.11f, 0.20f}, smoothstep(0.0f, 1.0f, t));
        col = col + Rgb{0.22f, 0.10f, 0.04f} * smoothstep(0.6f, 1.0f, t);
        const float n = fbm(fx * 0.004f, fy * 0.01f, 401u, 5);
        return mix(col, Rgb{0.12f, 0.12f, 0.21f}, smoothstep(0.0f, 0.6f, n) * 0.5f);
    });
    stars(c, 403, 300, [](int, int y) { return y < 180; });

    // Distant roofs and the cathedral spire beyond the square.
    const Grey skyline = shape(W, H, [](cairo_t* cr) {
        Rng rng(405);
        double x = 250;
        cairo_move_to(cr, x, 340);
        while (x < 800) {
            const double w = rng.uniform(20, 50);
            const double top = rng.uniform(285, 318);
            cairo_line_to(cr, x, top);
            cairo_line_to(cr, x + w, top);
            x += w;
        }
        cairo_line_to(cr, x, 340);
        cairo_close_path(cr);
        cairo_fill(cr);
        // Cathedral: nave, tower and spire, with two smaller spires.
        cairo_rectangle(cr, 540, 250, 120, 90);
        cairo_rectangle(cr, 585, 170, 30, 90);
        cairo_fill(cr);
        for (const auto& [sx, base, top, half] :
             {std::tuple{600.0, 172.0, 52.0, 16.0}, std::tuple{545.0, 252.0, 200.0, 7.0},
              std::tuple{655.0, 252.0, 200.0, 7.0}}) {
            cairo_move_to(cr, sx - half, base);
            cairo_line_to(cr, sx, top);
            cairo_line_to(cr, sx + half, base);
            cairo_close_path(cr);
        }
        cairo_fill(cr);
    });
    fill(c, skyline, Rgb{0.10f, 0.08f, 0.13f});
    // Warm light in the cathedral's windows.
    fill(c, shape(W, H, [](cairo_t* cr) {
             for (double x = 552; x < 650; x += 18) {
                 cairo_rectangle(cr, x, 280, 6, 16);
             }
             cairo_arc(cr, 600, 205, 6, 0, 2 * PI);
             cairo_fill(cr);
         }),
         Rgb{0.55f, 0.35f, 0.15f}, 0.7f);

    // The paving: wet stone, lighter towards the horizon.
    const Grey ground = shape(W, H, [](cairo_t* cr) {
        cairo_rectangle(cr, 0, 331, W, H);
        cairo_fill(cr);
    });
    fill_with(c, ground, [](int x, int y) {
        const float fx = static_cast<float>(x), fy = static_cast<float>(y);
        const float near = smoothstep(331.0f, 640.0f, fy);
        // The point of the paving seen at this pixel.
        const float f = 1.7320508f;
        const float ny = 1.0f - fy / 320.0f;
        const float depth = f * static_cast<float>(GROUND) / ny;
        const float wx = (fx / 512.0f - 1.0f) * depth * 1.6f / f;
        const float n = fbm(fx * 0.01f, fy * 0.03f, 407u, 4);
        Rgb col = mix(Rgb{0.20f, 0.16f, 0.20f}, Rgb{0.06f, 0.06f, 0.10f}, std::sqrt(near));
        // Bands of paler stone crossing the square at a slant.
        const float band = std::fmod(std::abs(wx * 0.8f + depth * 0.5f), 150.0f);
        col = col * (band < 30.0f ? 1.35f : 1.0f);
        col = col * (0.9f + 0.25f * n);
        // Puddles mirror the glowing sky.
        const float puddle = smoothstep(0.25f, 0.35f, fbm(wx * 0.006f, depth * 0.004f, 408u, 4));
        return mix(col, Rgb{0.16f, 0.13f, 0.20f} * (1.0f - 0.5f * near) + Rgb{0.05f, 0.02f, 0.0f}, puddle * 0.7f);
    });
    const Grey joints = shape(W, H, [](cairo_t* cr) {
        cairo_set_line_width(cr, 1.2);
        for (double x = -1200; x <= 1200; x += 60) {
            const Projected a = sq(x, GROUND, -40), b = sq(x, GROUND, -4000);
            cairo_move_to(cr, a.x, a.y);
            cairo_line_to(cr, b.x, b.y);
        }
        for (double z = -45; z > -4000; z *= 1.12) {
            const Projected a = sq(-2000, GROUND, z), b = sq(2000, GROUND, z);
            cairo_move_to(cr, a.x, a.y);
            cairo_line_to(cr, b.x, b.y);
        }
        cairo_stroke(cr);
    });
    fill(c, joints, Rgb{0.03f, 0.03f, 0.05f}, 0.6f);

    // The left building: triangles of stone, zinc and glass.
    {
        Rng rng(409);
        const double zs[] = {-60, -1500};
        const Grey face = shape(W, H, [&](cairo_t* cr) {
            poly(cr, {{LEFT_FACE, GROUND, zs[0]}, {LEFT_FACE, GROUND, zs[1]}, {LEFT_FACE, 360, zs[1]},
                      {LEFT_FACE, 520, zs[0]}});
            cairo_fill(cr);
        });
        fill(c, face, Rgb{0.08f, 0.075f, 0.10f});
        // Sandstone, zinc, dark glass, lit sandstone, slate.
        const Rgb tones[] = {{0.13f, 0.10f, 0.10f}, {0.10f, 0.11f, 0.14f}, {0.04f, 0.05f, 0.09f},
                             {0.19f, 0.14f, 0.11f}, {0.07f, 0.07f, 0.10f}};
        // Each triangle takes one of the tones at random; the triangles of
        // one tone are rasterised together.
        struct Triangle {
            Vec3 a, b, c;
            int tone;
        };
        std::vector<Triangle> triangles;
        for (double z = zs[0]; z > zs[1]; z -= 90) {
            for (double y = GROUND; y < 520; y += 70) {
                const double z1 = z - 90, y1 = y + 70;
                const bool flip = rng.uniform() < 0.5;
                triangles.push_back({{LEFT_FACE, y, z}, {LEFT_FACE, y, z1}, {LEFT_FACE, y1, flip ? z1 : z}, rng.below(5)});
                triangles.push_back({{LEFT_FACE, y1, z}, {LEFT_FACE, y1, z1}, {LEFT_FACE, y, flip ? z : z1}, rng.below(5)});
            }
        }
        for (int tone = 0; tone < 5; ++tone) {
            Grey panels = shape(W, H, [&](cairo_t* cr) {
                for (const Triangle& t : triangles)
                    if (t.tone == tone)
                        poly(cr, {t.a, t.b, t.c});
                cairo_fill(cr);
            });
            for (size_t i = 0; i < panels.v.size(); ++i)
                panels.v[i] *= face.v[i];
            fill(c, panels, tones[tone], 0.9f);
        }
        // Panel seams and the building's lit ground floor.
        const Grey seams = shape(W, H, [&](cairo_t* cr) {
            cairo_set_line_width(cr, 1.0);
            for (double z = zs[0]; z > zs[1]; z -= 90) {
                const Projected a = sq(LEFT_FACE, GROUND, z), b = sq(LEFT_FACE, 520, z);
                cairo_move_to(cr, a.x, a.y);
                cairo_line_to(cr, b.x, b.y);
            }
            cairo_stroke(cr);
        });
        fill(c, seams, Rgb{0.02f, 0.02f, 0.03f}, 0.7f);
        const Grey shop = shape(W, H, [&](cairo_t* cr) {
            poly(cr, {{LEFT_FACE + 1, GROUND, -120}, {LEFT_FACE + 1, GROUND, -1300}, {LEFT_FACE + 1, GROUND + 28, -1300},
                      {LEFT_FACE + 1, GROUND + 28, -120}});
            cairo_fill(cr);
        });
        fill(c, shop, Rgb{0.75f, 0.48f, 0.20f}, 0.75f);
    }

    // The right building: a glass front with rows of windows and a big
    // screen glowing blue.
    {
        const Grey face = shape(W, H, [](cairo_t* cr) {
            poly(cr, {{RIGHT_FACE, GROUND, -80}, {RIGHT_FACE, GROUND, -1400}, {RIGHT_FACE, 280, -1400},
                      {RIGHT_FACE, 420, -80}});
            cairo_fill(cr);
        });
        fill(c, face, Rgb{0.05f, 0.06f, 0.10f});
        Rng rng(411);
        const Grey lit = shape(W, H, [&](cairo_t* cr) {
            for (double z = -100; z > -1380; z -= 55)
                for (double y = GROUND + 40; y < 260; y += 36)
                    if (rng.uniform() < 0.35)
                        poly(cr, {{RIGHT_FACE, y, z}, {RIGHT_FACE, y, z - 35}, {RIGHT_FACE, y + 20, z - 35},
                                  {RIGHT_FACE, y + 20, z}});
            cairo_fill(cr);
        });
        fill(c, lit, Rgb{0.70f, 0.52f, 0.28f}, 0.8f);
        const Grey screenShape = shape(W, H, [](cairo_t* cr) {
            poly(cr, {{RIGHT_FACE - 1, 30, -650}, {RIGHT_FACE - 1, 30, -950}, {RIGHT_FACE - 1, 180, -950},
                      {RIGHT_FACE - 1, 180, -650}});
            cairo_fill(cr);
        });
        fill_with(c, screenShape, [](int x, int y) {
            const float n = fbm(static_cast<float>(x) * 0.03f, static_cast<float>(y) * 0.03f, 413u, 3);
            return Rgb{0.35f, 0.55f, 0.85f} * (0.8f + 0.3f * n);
        });
        const Projected centre = sq(RIGHT_FACE, 105, -800);
        add_haze(c, static_cast<float>(centre.x), static_cast<float>(centre.y), 120, 100, Rgb{0.10f, 0.18f, 0.32f}, 0.8f);
        // The screen's reflection in the wet paving.
        const Projected foot = sq(RIGHT_FACE - 40, GROUND, -800);
        add_haze(c, static_cast<float>(foot.x), static_cast<float>(foot.y) + 30, 35, 80, Rgb{0.10f, 0.18f, 0.32f}, 0.6f);
    }

    // Sodium lamps along both sides, with their reflections.
    for (double z : {-180.0, -420.0, -800.0, -1400.0}) {
        for (double x : {-360.0, 380.0}) {
            const Projected foot = sq(x, GROUND, z);
            const Projected head = sq(x, GROUND + 150, z);
            const double width = std::max(1.0, 900.0 / -z);
            fill(c, shape(W, H, [&](cairo_t* cr) {
                     cairo_set_line_width(cr, width);
                     cairo_move_to(cr, foot.x, foot.y);
                     cairo_line_to(cr, head.x, head.y);
                     cairo_stroke(cr);
                     cairo_rectangle(cr, head.x - width * 2, head.y - width * 2.5, width * 4, width * 2.5);
                     cairo_fill(cr);
                 }),
                 Rgb{0.03f, 0.03f, 0.05f});
            const float r = static_cast<float>(width * 4);
            add_glow(c, static_cast<float>(head.x), static_cast<float>(head.y), r, Rgb{1.0f, 0.65f, 0.3f}, 1.0f);
            add_haze(c, static_cast<float>(head.x), static_cast<float>(head.y), r * 7, r * 6, SODIUM * 0.35f, 0.6f);
            add_haze(c, static_cast<float>(foot.x), static_cast<float>(foot.y) + r * 3, r * 1.2f, r * 6, SODIUM * 0.4f, 0.5f);
        }
    }

    // Mist over the square where the crowd floats.
    fog(c, Rgb{0.24f, 0.24f, 0.32f}, [](int x, int y) {
        const float fx = static_cast<float>(x), fy = static_cast<float>(y);
        const float band = std::exp(-((fy - 330.0f) * (fy - 330.0f)) / (2.0f * 70.0f * 70.0f));
        const float n = fbm(fx * 0.005f, fy * 0.02f, 415u, 4);
        return band * (0.2f + 0.35f * smoothstep(-0.3f, 0.6f, n));
    });

    kuwahara(c, 2);
    brush_texture(c, 417u, 0.06f);
    vignette(c, 0.4f);
}

// --------------------------------------------------------------------- city

struct Building {
    double x0, x1, top;
    int layer; // 0 = farthest
    int roof;  // 0 flat, 1 gable, 2 spire, 3 stepped
    uint64_t seed;
};

constexpr double RIVER_Y = 505.0;

std::vector<Building> city_buildings()
{
    std::vector<Building> out;
    Rng rng(501);
    const double baseTop[3] = {300.0, 340.0, 380.0};
    for (int layer = 0; layer < 3; ++layer) {
        double x = -20.0 - rng.uniform(0, 30);
        while (x < W + 20) {
            const double w = rng.uniform(30, 75) + 10.0 * layer;
            Building b{x, x + w, baseTop[layer] + rng.uniform(-70, 60), layer, 0, rng.next()};
            const double r = rng.uniform();
            b.roof = r < 0.2 ? 1 : (r < 0.3 ? 2 : (r < 0.45 ? 3 : 0));
            if (layer == 0 && rng.uniform() < 0.15)
                b.top -= 90; // a tower
            out.push_back(b);
            x += w + rng.uniform(-8, 6);
        }
    }
    return out;
}

void building_path(cairo_t* cr, const Building& b)
{
    const double mid = (b.x0 + b.x1) / 2;
    cairo_move_to(cr, b.x0, RIVER_Y);
    cairo_line_to(cr, b.x0, b.top);
    switch (b.roof) {
    case 1:
        cairo_line_to(cr, mid, b.top - (b.x1 - b.x0) * 0.35);
        break;
    case 2:
        cairo_line_to(cr, mid - 6, b.top);
        cairo_line_to(cr, mid, b.top - 60);
        cairo_line_to(cr, mid + 6, b.top);
        break;
    case 3:
        cairo_line_to(cr, b.x0 + 8, b.top);
        cairo_line_to(cr, b.x0 + 8, b.top - 14);
        cairo_line_to(cr, b.x1 - 8, b.top - 14);
        cairo_line_to(cr, b.x1 - 8, b.top);
        break;
    default:
        break;
    }
    cairo_line_to(cr, b.x1, b.top);
    cairo_line_to(cr, b.x1, RIVER_Y);
    cairo_close_path(cr);
}

// Paints the city. `lit`: the version with the lights on.
void paint_city_into(Canvas& c, bool lit)
{
    paint_all(c, [lit](int x, int y) {
        const float fx = static_cast<float>(x), fy = static_cast<float>(y);
        const float t = fy / RIVER_Y;
        Rgb col = mix(Rgb{0.010f, 0.015f, 0.050f}, Rgb{0.07f, 0.08f, 0.16f}, smoothstep(0.0f, 1.0f, t));
        if (lit)
            col = col + Rgb{0.30f, 0.14f, 0.05f} * smoothstep(0.35f, 1.0f, t);
        const float n = fbm(fx * 0.003f, fy * 0.008f, 503u, 5);
        return mix(col, lit ? Rgb{0.20f, 0.14f, 0.16f} : Rgb{0.09f, 0.10f, 0.18f},
                   smoothstep(0.0f, 0.6f, n) * 0.5f * smoothstep(0.1f, 0.7f, t));
    });
    stars(c, 505, 500, [](int, int y) { return y < 220; });
    // The moon's light in the sky (the moon itself is the top shape).
    add_haze(c, 820, 110, 220, 170, Rgb{0.10f, 0.11f, 0.17f}, 0.8f);

    const std::vector<Building> buildings = city_buildings();
    for (int layer = 0; layer < 3; ++layer) {
        const Grey shapeOfLayer = shape(W, H, [&](cairo_t* cr) {
            for (const Building& b : buildings)
                if (b.layer == layer)
                    building_path(cr, b);
            cairo_fill(cr);
        });
        const float far = 1.0f - layer / 2.0f;
        const Rgb dark = mix(Rgb{0.045f, 0.05f, 0.09f}, Rgb{0.12f, 0.12f, 0.20f}, far * 0.7f);
        const Rgb warm = mix(Rgb{0.05f, 0.04f, 0.06f}, Rgb{0.26f, 0.16f, 0.16f}, far * 0.7f);
        fill_with(c, shapeOfLayer, [&](int x, int y) {
            const float n = fbm(static_cast<float>(x) * 0.02f, static_cast<float>(y) * 0.02f, 507u, 3);
            return (lit ? warm : dark) * (0.9f + 0.3f * n);
        });
        // Moonlight on the right-hand edges.
        fill(c, rim(shapeOfLayer, 2.0f, 0.0f), Rgb{0.20f, 0.23f, 0.36f}, 0.5f);
        // Windows: the same grid in both versions; most burn when the city
        // is lit, a handful when it sleeps.
        Rgb* px = c.px.data();
        for (const Building& b : buildings) {
            if (b.layer != layer)
                continue;
            Rng rng(b.seed);
            const int cols = std::max(1, static_cast<int>((b.x1 - b.x0 - 6) / (7 + 2 * layer)));
            const double cw = (b.x1 - b.x0 - 6) / cols;
            for (double wy = b.top + 8; wy < RIVER_Y - 10; wy += 9 + 2 * layer) {
                for (int k = 0; k < cols; ++k) {
                    const double r = rng.uniform();
                    const bool on = lit ? r < 0.62 : r < 0.04;
                    const float glow = static_cast<float>(rng.uniform(0.5, 1.0));
                    if (!on)
                        continue;
                    const int x0 = static_cast<int>(b.x0 + 3 + k * cw + cw * 0.25);
                    const int x1 = static_cast<int>(b.x0 + 3 + k * cw + cw * 0.75);
                    const int y0 = static_cast<int>(wy);
                    const int y1 = y0 + 3 + layer;
                    const Rgb colour = (rng.uniform() < 0.8 ? Rgb{1.0f, 0.70f, 0.32f} : Rgb{0.75f, 0.85f, 1.0f}) *
                                       (glow * (0.55f + 0.25f * layer));
                    for (int y = std::max(y0, 0); y < std::min(y1, H); ++y)
                        for (int x = std::max(x0, 0); x < std::min(x1, W); ++x)
                            if (shapeOfLayer.at(x, y) > 0.99f)
                                px[static_cast<size_t>(y) * W + x] = mix(px[static_cast<size_t>(y) * W + x], colour, 0.9f);
                }
            }
        }
    }
    // Embankment with its lamps.
    fill(c, shape(W, H, [](cairo_t* cr) {
             cairo_rectangle(cr, 0, RIVER_Y - 6, W, 10);
             cairo_fill(cr);
         }),
         Rgb{0.03f, 0.03f, 0.05f});
    for (int x = 20; x < W; x += 64) {
        if (lit) {
            add_glow(c, static_cast<float>(x), static_cast<float>(RIVER_Y - 12), 4, Rgb{1.0f, 0.7f, 0.35f}, 1.0f);
            add_haze(c, static_cast<float>(x), static_cast<float>(RIVER_Y - 10), 50, 30, SODIUM * 0.3f, 0.6f);
        }
    }
    if (lit)
        add_haze(c, 512, 430, 600, 160, Rgb{0.25f, 0.12f, 0.05f}, 0.5f);

    // The river: the city mirrored, broken by ripples, darker.
    for (int y = static_cast<int>(RIVER_Y) + 4; y < H; ++y) {
        const float depth = (static_cast<float>(y) - RIVER_Y) / (H - RIVER_Y);
        for (int x = 0; x < W; ++x) {
            const float ripple = 6.0f * value_noise(static_cast<float>(x) * 0.02f, static_cast<float>(y) * 0.35f, 509u);
            const int sx = std::clamp(x + static_cast<int>(ripple), 0, W - 1);
            const int sy = std::clamp(static_cast<int>(2 * RIVER_Y) - y, 0, H - 1);
            const Rgb mirrored = c.at(sx, sy);
            const float streak = 0.5f + 0.5f * value_noise(static_cast<float>(x) * 0.3f, static_cast<float>(y) * 0.8f, 511u);
            c.at(x, y) = mix(Rgb{0.01f, 0.015f, 0.035f}, mirrored * (0.45f + 0.35f * streak), 1.0f - 0.5f * depth);
        }
    }

    kuwahara(c, 2);
    brush_texture(c, 513u, 0.06f);
    vignette(c, 0.35f);
}

} // namespace

Canvas paint_fedsquare()
{
    Canvas c(W, H);
    paint_fedsquare_into(c);
    return c;
}

CityPictures paint_city()
{
    CityPictures out;
    paint_city_into(out.background, false);
    paint_city_into(out.lit, true);

    // The lit layer shows over the city and the river and fades into the
    // sky along a ragged edge, so the stars stay dark-sky stars.
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const float fx = static_cast<float>(x), fy = static_cast<float>(y);
            const float edge = 150.0f + 60.0f * fbm(fx * 0.006f, 0.5f, 521u, 3);
            out.litMask.at(x, y) = smoothstep(edge, edge + 140.0f, fy);
        }

    // Top shape: the moon with its halo and a veil of mist on the river.
    Grey& top = out.top;
    const Grey moon = shape(W, H, [](cairo_t* cr) {
        cairo_arc(cr, 820, 110, 30, 0, 2 * PI);
        cairo_fill(cr);
    });
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const float fx = static_cast<float>(x), fy = static_cast<float>(y);
            const float dx = fx - 820.0f, dy = fy - 110.0f;
            const float halo = 0.35f / (1.0f + (dx * dx + dy * dy) / (55.0f * 55.0f));
            // Maria: a few soft grey patches on the disc.
            const float maria = 0.12f * smoothstep(0.1f, 0.5f, fbm(fx * 0.08f, fy * 0.08f, 523u, 3));
            const float disc = moon.at(x, y) * (0.95f - maria);
            const float n = fbm(fx * 0.006f, fy * 0.03f, 525u, 4);
            const float mist = smoothstep(RIVER_Y - 40.0f, RIVER_Y + 30.0f, fy) * smoothstep(H, RIVER_Y + 40.0f, fy) *
                               (0.10f + 0.22f * smoothstep(-0.2f, 0.7f, n));
            top.at(x, y) = clamp01(std::max(disc, halo) + mist);
        }
    return out;
}

} // namespace scene
