// The lamps scene's pictures. The camera looks up at a raised walkway: the
// procession of ghosts floats along it from the far end (bottom left, where
// the four lamp posts with their red lanterns stand) towards the viewer and
// out on the right. The near balustrade, the bridge wall below it, a near
// lamp post and overhanging branches stand in front of the procession and
// make the cut-out; the transition map is an organic noise pattern,
// equalised so that the black spreads evenly over the transition.
#include "tools/assetgen/scene_layout.h"
#include "tools/assetgen/scene_painters.h"

#include <algorithm>

namespace scene {

namespace {

constexpr int W = 1024;
constexpr int H = 640;

const Rgb NIGHT_TOP{0.010f, 0.016f, 0.050f};
const Rgb NIGHT_MID{0.035f, 0.055f, 0.140f};
const Rgb NIGHT_LOW{0.090f, 0.100f, 0.200f};
const Rgb FOG{0.30f, 0.34f, 0.46f};
const Rgb SODIUM{1.00f, 0.55f, 0.16f};
const Rgb STONE{0.030f, 0.034f, 0.060f};

// The walkway in the procession's frame: the deck lies at y = -32, the near
// balustrade at x = -40 (between the viewer and the procession), the far one
// at x = +40. Its rail top is at y = -14.
constexpr double DECK_Y = -32.0;
constexpr double RAIL_Y = -14.0;
constexpr double NEAR_X = -40.0;
constexpr double FAR_X = 40.0;
constexpr double WALK_FAR_Z = -3200.0;
constexpr double WALK_NEAR_Z = 140.0; // beyond it the rail leaves the picture

void move_or_line(cairo_t* cr, bool first, Projected p)
{
    if (first)
        cairo_move_to(cr, p.x, p.y);
    else
        cairo_line_to(cr, p.x, p.y);
}

Projected walk_point(double x, double y, double z) { return project(lamps_to_eye({x, y, z})); }

// A band of the balustrade plane x between heights y0 and y1, over the whole
// length of the walkway.
void walkway_band(cairo_t* cr, double x, double y0, double y1)
{
    const int steps = 160;
    for (int i = 0; i <= steps; ++i) {
        const double z = WALK_FAR_Z + (WALK_NEAR_Z - WALK_FAR_Z) * i / steps;
        move_or_line(cr, i == 0, walk_point(x, y1, z));
    }
    for (int i = steps; i >= 0; --i) {
        const double z = WALK_FAR_Z + (WALK_NEAR_Z - WALK_FAR_Z) * i / steps;
        cairo_line_to(cr, walk_point(x, y0, z).x, walk_point(x, y0, z).y);
    }
    cairo_close_path(cr);
}

// The balusters of one balustrade: thin uprights every 14 units, a thicker
// pier every 112.
void balusters(cairo_t* cr, double x)
{
    for (double z = WALK_FAR_Z; z < WALK_NEAR_Z; z += 14.0) {
        const bool pier = static_cast<int>((z - WALK_FAR_Z) / 14.0) % 8 == 0;
        const double width = pier ? 7.0 : 3.0;
        const double top = pier ? RAIL_Y + 1.5 : RAIL_Y - 2.0;
        const Projected a = walk_point(x, DECK_Y, z);
        const Projected b = walk_point(x, DECK_Y, z + width);
        const Projected c = walk_point(x, top, z + width);
        const Projected d = walk_point(x, top, z);
        if (a.depth < 2 || b.depth < 2 || c.depth < 2 || d.depth < 2)
            continue;
        cairo_move_to(cr, a.x, a.y);
        cairo_line_to(cr, b.x, b.y);
        cairo_line_to(cr, c.x, c.y);
        cairo_line_to(cr, d.x, d.y);
        cairo_close_path(cr);
    }
}

// A lamp post of the far side: a pole from its crossbar down to the walkway
// and two lantern housings around the red lights of one pair.
void far_lamp_post(cairo_t* cr, const LampLight& a, const LampLight& b, double baseY)
{
    const double cx = (a.x + b.x) / 2.0;
    const double cy = (a.y + b.y) / 2.0;
    const double spread = std::abs(b.x - a.x) + std::abs(b.y - a.y);
    const double pole = std::max(2.4, spread * 0.22);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    // Pole, widening a little at its foot.
    cairo_move_to(cr, cx - pole * 0.5, cy - a.halfSize * 1.2);
    cairo_line_to(cr, cx + pole * 0.5, cy - a.halfSize * 1.2);
    cairo_line_to(cr, cx + pole, baseY);
    cairo_line_to(cr, cx - pole, baseY);
    cairo_close_path(cr);
    cairo_fill(cr);
    // Crossbar between the lanterns, with a small finial above it.
    cairo_set_line_width(cr, std::max(0.9, pole * 0.7));
    cairo_move_to(cr, a.x, a.y - a.halfSize * 1.3);
    cairo_curve_to(cr, a.x, cy - a.halfSize * 2.4, b.x, cy - b.halfSize * 2.4, b.x, b.y - b.halfSize * 1.3);
    cairo_stroke(cr);
    cairo_arc(cr, cx, cy - a.halfSize * 2.6, pole * 0.8, 0, 6.2831853);
    cairo_fill(cr);
    // Lantern housings: a cap above and a small bowl below each light.
    for (const LampLight* l : {&a, &b}) {
        const double s = l->halfSize;
        cairo_move_to(cr, l->x - s * 1.1, l->y - s * 0.9);
        cairo_line_to(cr, l->x, l->y - s * 1.9);
        cairo_line_to(cr, l->x + s * 1.1, l->y - s * 0.9);
        cairo_close_path(cr);
        cairo_fill(cr);
        cairo_move_to(cr, l->x - s * 0.8, l->y + s * 0.9);
        cairo_line_to(cr, l->x + s * 0.8, l->y + s * 0.9);
        cairo_line_to(cr, l->x, l->y + s * 1.6);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
}

// A bare branch growing from (x, y) in direction `angle` (radians), forking
// as it goes; drawn as tapered round-capped strokes.
void branch(cairo_t* cr, Rng& rng, double x, double y, double angle, double length, double width, int depth)
{
    const int segments = 5;
    double px = x, py = y, a = angle;
    for (int i = 0; i < segments; ++i) {
        a += rng.uniform(-0.35, 0.35);
        const double step = length / segments;
        const double nx = px + std::cos(a) * step;
        const double ny = py + std::sin(a) * step;
        const double w = width * (1.0 - 0.6 * i / segments);
        cairo_set_line_width(cr, std::max(w, 0.7));
        cairo_move_to(cr, px, py);
        cairo_line_to(cr, nx, ny);
        cairo_stroke(cr);
        if (depth > 0 && rng.uniform() < 0.55)
            branch(cr, rng, nx, ny, a + (rng.uniform() < 0.5 ? -1.0 : 1.0) * rng.uniform(0.4, 0.9), length * 0.55,
                   w * 0.6, depth - 1);
        px = nx;
        py = ny;
    }
    if (depth > 0)
        branch(cr, rng, px, py, a + rng.uniform(-0.5, 0.5), length * 0.6, width * 0.35, depth - 1);
}

// The near lamp post on the right, standing on the near balustrade and
// rising out of the picture: shaft, base, arm and lantern.
constexpr double POST_X = 892.0;
constexpr double LANTERN_X = 830.0;
constexpr double LANTERN_Y = 118.0;

void near_lamp_post(cairo_t* cr)
{
    // Shaft, slightly tapering, from below the picture to above it.
    cairo_move_to(cr, POST_X - 9, H + 2);
    cairo_line_to(cr, POST_X - 6, 40);
    cairo_line_to(cr, POST_X + 6, 40);
    cairo_line_to(cr, POST_X + 9, H + 2);
    cairo_close_path(cr);
    cairo_fill(cr);
    // Base collar and the rings on the shaft.
    for (double y : {470.0, 300.0, 160.0}) {
        cairo_rectangle(cr, POST_X - 12, y, 24, 7);
        cairo_fill(cr);
    }
    cairo_move_to(cr, POST_X - 17, 560);
    cairo_curve_to(cr, POST_X - 15, 520, POST_X - 10, 505, POST_X - 10, 490);
    cairo_line_to(cr, POST_X + 10, 490);
    cairo_curve_to(cr, POST_X + 10, 505, POST_X + 15, 520, POST_X + 17, 560);
    cairo_close_path(cr);
    cairo_fill(cr);
    // Swan-neck arm to the lantern.
    cairo_set_line_width(cr, 6);
    cairo_move_to(cr, POST_X, 90);
    cairo_curve_to(cr, POST_X - 10, 50, LANTERN_X + 20, 55, LANTERN_X, 84);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 2.5);
    cairo_move_to(cr, POST_X - 2, 150);
    cairo_curve_to(cr, POST_X - 30, 140, LANTERN_X + 30, 110, LANTERN_X + 6, 96);
    cairo_stroke(cr);
    // Lantern: roof, cage and drip.
    cairo_move_to(cr, LANTERN_X - 20, 100);
    cairo_line_to(cr, LANTERN_X, 80);
    cairo_line_to(cr, LANTERN_X + 20, 100);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_set_line_width(cr, 2);
    cairo_rectangle(cr, LANTERN_X - 13, 100, 26, 32);
    cairo_stroke(cr);
    cairo_move_to(cr, LANTERN_X - 13, 132);
    cairo_line_to(cr, LANTERN_X + 13, 132);
    cairo_line_to(cr, LANTERN_X, 142);
    cairo_close_path(cr);
    cairo_fill(cr);
}

Grey transition_map()
{
    // Domain-warped noise: folds and tendrils rather than blobs. A gentle
    // pull towards the edges makes the black close in from the frame and
    // reach the lamp-lit middle last.
    Grey raw(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const float fx = static_cast<float>(x) / 160.0f;
            const float fy = static_cast<float>(y) / 160.0f;
            const float wx = fbm(fx, fy, 501u, 4);
            const float wy = fbm(fx + 5.2f, fy + 1.3f, 502u, 4);
            const float n = fbm(fx + 1.8f * wx, fy + 1.8f * wy, 503u, 5);
            const float dx = (static_cast<float>(x) - 560.0f) / 620.0f;
            const float dy = (static_cast<float>(y) - 330.0f) / 420.0f;
            raw.at(x, y) = n - 0.55f * (dx * dx + dy * dy);
        }
    // Equalise: each level then covers the same share of the picture, so the
    // black grows at an even pace. The top level stays below white so the
    // threshold's end (1.0) covers every pixel.
    std::vector<float> sorted = raw.v;
    std::sort(sorted.begin(), sorted.end());
    Grey out(W, H);
    for (size_t i = 0; i < raw.v.size(); ++i) {
        const auto rank = std::lower_bound(sorted.begin(), sorted.end(), raw.v[i]) - sorted.begin();
        out.v[i] = static_cast<float>(rank) / static_cast<float>(sorted.size()) * (248.0f / 255.0f);
    }
    return out;
}

} // namespace

LampsPictures paint_lamps()
{
    LampsPictures out;
    Canvas& c = out.picture;

    // Sky: deep blue overhead, lighter and warmer towards the far end of the
    // walkway, with torn clouds.
    paint_all(c, [](int x, int y) {
        const float t = static_cast<float>(y) / H;
        const float fx = static_cast<float>(x), fy = static_cast<float>(y);
        Rgb col = t < 0.55f ? mix(NIGHT_TOP, NIGHT_MID, t / 0.55f) : mix(NIGHT_MID, NIGHT_LOW, (t - 0.55f) / 0.45f);
        // Patches of violet and of green-blue, as a painter's sky has.
        const float hue = fbm(fx * 0.0025f, fy * 0.004f, 10u, 3);
        col = col + Rgb{0.03f, -0.005f, 0.02f} * hue + Rgb{-0.01f, 0.02f, 0.015f} * (1.0f - std::abs(hue) * 2.0f);
        const float n = fbm(fx * 0.0030f + 3.0f, fy * 0.0075f, 11u, 5);
        const float cloud = smoothstep(-0.05f, 0.55f, n);
        col = mix(col, Rgb{0.12f, 0.13f, 0.23f}, cloud * 0.65f);
        // City glow under the far end of the walkway.
        const float warm = smoothstep(760.0f, 0.0f, fx) * smoothstep(260.0f, 640.0f, fy);
        return col + Rgb{0.26f, 0.12f, 0.05f} * (warm * warm * 0.8f);
    });
    stars(c, 31, 500, [](int x, int y) { return y < 300 && x > 220; });
    // Moon behind thin cloud, upper left.
    add_glow(c, 300, 86, 40, Rgb{0.25f, 0.28f, 0.40f}, 0.55f);
    fill(c, shape(W, H, [](cairo_t* cr) {
             cairo_arc(cr, 300, 86, 19, 0, 6.2831853);
             cairo_fill(cr);
         }),
         Rgb{0.86f, 0.86f, 0.80f}, 0.9f);
    fog(c, Rgb{0.18f, 0.20f, 0.30f}, [](int x, int y) {
        return 0.5f * smoothstep(0.0f, 0.6f, fbm(static_cast<float>(x) * 0.004f, static_cast<float>(y) * 0.012f, 12u, 4)) *
               smoothstep(30.0f, 140.0f, static_cast<float>(y));
    });

    // Distant roofs and towers below the far end of the walkway.
    {
        Rng rng(41);
        const Grey roofs = shape(W, H, [&](cairo_t* cr) {
            double x = -10;
            cairo_move_to(cr, x, H);
            while (x < 640) {
                const double w = rng.uniform(18, 46);
                const double top = 470 + (x / 640.0) * 80 + rng.uniform(-25, 25);
                cairo_line_to(cr, x, top);
                if (rng.uniform() < 0.25) { // gable
                    cairo_line_to(cr, x + w / 2, top - rng.uniform(8, 20));
                } else if (rng.uniform() < 0.12) { // spire
                    cairo_line_to(cr, x + w / 2 - 3, top);
                    cairo_line_to(cr, x + w / 2, top - rng.uniform(40, 70));
                    cairo_line_to(cr, x + w / 2 + 3, top);
                }
                cairo_line_to(cr, x + w, top);
                x += w;
            }
            cairo_line_to(cr, x, H);
            cairo_close_path(cr);
            cairo_fill(cr);
        });
        fill_with(c, roofs, [](int x, int y) {
            const float haze = smoothstep(640.0f, 460.0f, static_cast<float>(y));
            return mix(Rgb{0.03f, 0.03f, 0.07f}, Rgb{0.13f, 0.10f, 0.14f}, haze * 0.6f) +
                   Rgb{0.02f, 0.01f, 0.0f} * (1.0f - static_cast<float>(x) / 640.0f);
        });
        // A few lit windows.
        Rng win(43);
        for (int i = 0; i < 70; ++i) {
            const int x = win.below(600);
            const int y = 520 + win.below(120);
            if (roofs.at(x, y) > 0.9f && roofs.at(x, std::max(y - 6, 0)) > 0.9f)
                c.at(x, y) = c.at(x, y) + SODIUM * static_cast<float>(win.uniform(0.15, 0.45));
        }
    }

    // Light of the far lamps and of the near lantern in the fog.
    add_haze(c, 110, 500, 190, 90, Rgb{0.30f, 0.10f, 0.06f}, 0.45f);
    add_haze(c, LANTERN_X, LANTERN_Y, 330, 260, SODIUM * 0.55f, 0.55f);
    // Lamp light caught in the fog where the big ghost rises.
    add_haze(c, 680, 330, 260, 200, Rgb{0.22f, 0.17f, 0.16f}, 0.6f);
    add_glow(c, LANTERN_X, LANTERN_Y, 70, SODIUM, 0.35f);

    // Far balustrade: background, softened by fog.
    const Grey farRail = shape(W, H, [](cairo_t* cr) {
        walkway_band(cr, FAR_X, RAIL_Y - 3.0, RAIL_Y);
        cairo_fill(cr);
        walkway_band(cr, FAR_X, DECK_Y, DECK_Y + 3.0);
        cairo_fill(cr);
        balusters(cr, FAR_X);
        cairo_fill(cr);
    });
    fill_with(c, farRail, [](int x, int) {
        return mix(Rgb{0.05f, 0.05f, 0.09f}, Rgb{0.16f, 0.13f, 0.18f}, smoothstep(600.0f, 0.0f, static_cast<float>(x)));
    });
    // Mist drifting along the walkway, where the procession will pass.
    fog(c, Rgb{0.36f, 0.35f, 0.44f}, [](int x, int y) {
        const float fx = static_cast<float>(x), fy = static_cast<float>(y);
        const float along = 575.0f - 0.21f * fx; // the procession's line on the screen
        const float band = std::exp(-((fy - along) * (fy - along)) / (2.0f * 75.0f * 75.0f));
        const float n = fbm(fx * 0.005f, fy * 0.018f, 13u, 4);
        return band * (0.28f + 0.45f * smoothstep(-0.3f, 0.6f, n));
    });

    // The far lamp posts stand out of the mist (they are nearer than most
    // of it), each pair of red lanterns on one post.
    const Grey posts = shape(W, H, [](cairo_t* cr) {
        for (int pair = 0; pair < 4; ++pair) {
            const LampLight& a = LAMP_LIGHTS[2 * pair];
            const LampLight& b = LAMP_LIGHTS[2 * pair + 1];
            const double x = (a.x + b.x) / 2.0;
            // Foot of the pole: the far balustrade's deck line at that x.
            double base = H;
            for (double z = WALK_FAR_Z; z < WALK_NEAR_Z; z += 4.0) {
                const Projected p = walk_point(FAR_X, DECK_Y, z);
                if (p.x >= x) {
                    base = p.y;
                    break;
                }
            }
            far_lamp_post(cr, a, b, base);
        }
    });
    fill(c, posts, Rgb{0.05f, 0.04f, 0.07f});
    // The glass of each lantern glows dull red where the effect's light sits.
    for (const LampLight& l : LAMP_LIGHTS) {
        add_haze(c, static_cast<float>(l.x), static_cast<float>(l.y), static_cast<float>(l.halfSize * 3),
                 static_cast<float>(l.halfSize * 3), Rgb{0.55f, 0.08f, 0.05f}, 0.5f);
        add_haze(c, static_cast<float>(l.x), static_cast<float>(l.y), static_cast<float>(l.halfSize * 9),
                 static_cast<float>(l.halfSize * 7), Rgb{0.25f, 0.05f, 0.04f}, 0.25f);
    }

    // Foreground, nearest last: the bridge wall and the near balustrade, the
    // near lamp post, then the branches.
    Grey& mask = out.mask;
    const Grey wall = shape(W, H, [](cairo_t* cr) {
        const int steps = 160;
        cairo_move_to(cr, -10, H + 10);
        for (int i = 0; i <= steps; ++i) {
            const double z = WALK_FAR_Z + (WALK_NEAR_Z - WALK_FAR_Z) * i / steps;
            const Projected p = walk_point(NEAR_X, DECK_Y, z);
            cairo_line_to(cr, p.x, p.y);
        }
        cairo_line_to(cr, W + 10, H + 10);
        cairo_close_path(cr);
        cairo_fill(cr);
    });
    const Grey nearRail = shape(W, H, [](cairo_t* cr) {
        walkway_band(cr, NEAR_X, RAIL_Y - 3.5, RAIL_Y);
        cairo_fill(cr);
        walkway_band(cr, NEAR_X, DECK_Y - 1.0, DECK_Y + 3.5);
        cairo_fill(cr);
        balusters(cr, NEAR_X);
        cairo_fill(cr);
    });
    fill_with(c, wall, [](int x, int y) {
        const float fx = static_cast<float>(x), fy = static_cast<float>(y);
        // Stone courses catching a little light from above.
        const float course = 0.5f + 0.5f * std::sin(fy * 0.35f + fx * 0.06f);
        const float n = fbm(fx * 0.02f, fy * 0.05f, 14u, 3);
        Rgb col = STONE * (0.8f + 0.25f * course + 0.35f * n);
        const float far = smoothstep(500.0f, 0.0f, fx);
        return mix(col, Rgb{0.12f, 0.10f, 0.15f}, far * 0.55f);
    });
    fill_with(c, nearRail, [](int x, int) {
        return mix(Rgb{0.035f, 0.035f, 0.06f}, Rgb{0.15f, 0.12f, 0.17f}, smoothstep(520.0f, 0.0f, static_cast<float>(x)));
    });
    Grey stonework = wall;
    unite(stonework, nearRail);
    fill(c, rim(stonework, 0.0f, -2.0f), SODIUM * 0.55f, 0.6f);
    unite(mask, stonework);

    const Grey post = shape(W, H, near_lamp_post);
    fill(c, post, Rgb{0.02f, 0.02f, 0.035f});
    fill(c, rim(post, -2.5f, -1.0f), SODIUM * 0.8f, 0.8f);
    unite(mask, post);
    // The lantern's glass: foreground too, glowing.
    const Grey glass = shape(W, H, [](cairo_t* cr) {
        cairo_rectangle(cr, LANTERN_X - 11, 101, 22, 30);
        cairo_fill(cr);
    });
    fill(c, glass, Rgb{1.0f, 0.78f, 0.42f});
    unite(mask, glass);
    add_glow(c, LANTERN_X, LANTERN_Y, 16, Rgb{1.0f, 0.7f, 0.35f}, 0.5f);

    Rng twigs(47);
    const Grey branches = shape(W, H, [&](cairo_t* cr) {
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        branch(cr, twigs, -20, -10, 0.55, 260, 16, 4);
        branch(cr, twigs, -20, 60, 0.15, 220, 11, 4);
        branch(cr, twigs, 120, -20, 1.2, 150, 7, 3);
    });
    fill(c, branches, Rgb{0.012f, 0.014f, 0.03f});
    unite(mask, branches);

    // Painted finish.
    kuwahara(c, 2);
    brush_texture(c, 61u, 0.07f);
    vignette(c, 0.35f);

    // The red lights must never be covered by the cut-out.
    for (const LampLight& l : LAMP_LIGHTS)
        for (int y = l.y - 8; y <= l.y + 8; ++y)
            for (int x = l.x - 8; x <= l.x + 8; ++x)
                if (x >= 0 && x < W && y >= 0 && y < H)
                    mask.at(x, y) = 0.0f;

    out.transition = transition_map();
    return out;
}

} // namespace scene
