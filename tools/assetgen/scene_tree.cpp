// The tree scene's pictures. A tall bare tree stands black on a hill against
// a misty, moonlit sky; the picture is 522 rows taller than the screen, so
// its crown rises into view first and the scroll ends on the trunk, the hill
// and the glow of the town behind. The silhouette is the tree and its hill,
// white on black, for the radial blur's rays. The flashes are two lightning
// bolts with their sheet light, one right of the tree and one left; the cover
// is a bank of white fog over the whole screen.
#include "tools/assetgen/scene_painters.h"

#include <algorithm>

namespace scene {

namespace {

constexpr int W = 1024;
constexpr int H = 1162;
constexpr double PI = 3.14159265358979323846;

constexpr double TRUNK_X = 560.0;
constexpr double TRUNK_Y = 1100.0;
constexpr float MOON_X = 330.0f;
constexpr float MOON_Y = 700.0f;

// One limb: a chain of slightly bending segments, then two or three limbs
// half as thick. Limbs lean back towards the vertical, so the crown grows
// tall rather than wide.
void limb(cairo_t* cr, Rng& rng, double x, double y, double angle, double length, double width, int depth)
{
    const int segments = 4;
    for (int i = 0; i < segments; ++i) {
        angle += rng.uniform(-0.22, 0.22);
        angle += (-PI / 2 - angle) * 0.08; // towards straight up
        const double step = length / segments;
        const double nx = x + std::cos(angle) * step;
        const double ny = y + std::sin(angle) * step;
        const double w = width * (1.0 - 0.25 * (i + 1) / segments);
        cairo_set_line_width(cr, std::max(w, 0.8));
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, nx, ny);
        cairo_stroke(cr);
        // Small side twigs along the way.
        if (depth <= 3 && rng.uniform() < 0.5) {
            const double a = angle + (rng.uniform() < 0.5 ? -1 : 1) * rng.uniform(0.6, 1.2);
            const double l = rng.uniform(8, 22);
            cairo_set_line_width(cr, 0.8);
            cairo_move_to(cr, nx, ny);
            cairo_line_to(cr, nx + std::cos(a) * l, ny + std::sin(a) * l);
            cairo_stroke(cr);
        }
        x = nx;
        y = ny;
    }
    if (depth == 0)
        return;
    const int children = rng.uniform() < 0.3 ? 3 : 2;
    for (int k = 0; k < children; ++k) {
        const double spread = children == 3 ? (k - 1) * 0.55 : (k == 0 ? -0.45 : 0.45);
        limb(cr, rng, x, y, angle + spread + rng.uniform(-0.2, 0.2), length * rng.uniform(0.68, 0.82),
             width * rng.uniform(0.58, 0.7), depth - 1);
    }
}

void tree_shape(cairo_t* cr)
{
    Rng rng(301);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    // Trunk: flared roots, then a gnarled column up to the first fork.
    cairo_move_to(cr, TRUNK_X - 80, TRUNK_Y + 30);
    cairo_curve_to(cr, TRUNK_X - 40, TRUNK_Y - 5, TRUNK_X - 30, TRUNK_Y - 40, TRUNK_X - 26, TRUNK_Y - 90);
    cairo_curve_to(cr, TRUNK_X - 34, TRUNK_Y - 200, TRUNK_X - 10, TRUNK_Y - 300, TRUNK_X - 22, TRUNK_Y - 380);
    cairo_line_to(cr, TRUNK_X + 18, TRUNK_Y - 380);
    cairo_curve_to(cr, TRUNK_X + 24, TRUNK_Y - 300, TRUNK_X + 30, TRUNK_Y - 200, TRUNK_X + 24, TRUNK_Y - 90);
    cairo_curve_to(cr, TRUNK_X + 30, TRUNK_Y - 40, TRUNK_X + 50, TRUNK_Y - 5, TRUNK_X + 95, TRUNK_Y + 30);
    cairo_close_path(cr);
    cairo_fill(cr);
    const double forkY = TRUNK_Y - 375;
    // Main limbs from the fork, and two lower boughs from the trunk.
    limb(cr, rng, TRUNK_X - 8, forkY, -PI / 2 - 0.55, 230, 30, 7);
    limb(cr, rng, TRUNK_X, forkY, -PI / 2 + 0.05, 260, 32, 7);
    limb(cr, rng, TRUNK_X + 8, forkY, -PI / 2 + 0.6, 220, 28, 7);
    limb(cr, rng, TRUNK_X - 20, TRUNK_Y - 250, -PI / 2 - 1.15, 200, 16, 6);
    limb(cr, rng, TRUNK_X + 18, TRUNK_Y - 300, -PI / 2 + 1.05, 190, 15, 6);
}

void hill_shape(cairo_t* cr)
{
    cairo_move_to(cr, -10, H + 10);
    cairo_line_to(cr, -10, 1118);
    cairo_curve_to(cr, 200, 1100, 380, 1080, TRUNK_X, 1092);
    cairo_curve_to(cr, 720, 1100, 880, 1112, W + 10, 1106);
    cairo_line_to(cr, W + 10, H + 10);
    cairo_close_path(cr);
    cairo_fill(cr);
}

// A lightning bolt: a jagged path from (x0, y0) to (x1, y1) by midpoint
// displacement, with shorter forks.
void bolt(cairo_t* cr, Rng& rng, double x0, double y0, double x1, double y1, double width, int forks)
{
    std::vector<std::pair<double, double>> points{{x0, y0}, {x1, y1}};
    double jitter = std::hypot(x1 - x0, y1 - y0) * 0.22;
    for (int level = 0; level < 6; ++level) {
        std::vector<std::pair<double, double>> next;
        for (size_t i = 0; i + 1 < points.size(); ++i) {
            const auto [ax, ay] = points[i];
            const auto [bx, by] = points[i + 1];
            const double len = std::hypot(bx - ax, by - ay);
            const double nx = -(by - ay) / len, ny = (bx - ax) / len;
            const double d = rng.uniform(-jitter, jitter);
            next.push_back(points[i]);
            next.push_back({(ax + bx) / 2 + nx * d, (ay + by) / 2 + ny * d});
        }
        next.push_back(points.back());
        points.swap(next);
        jitter *= 0.5;
    }
    cairo_set_line_width(cr, width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(cr, points[0].first, points[0].second);
    for (const auto& [px, py] : points)
        cairo_line_to(cr, px, py);
    cairo_stroke(cr);
    for (int f = 0; f < forks; ++f) {
        const auto& [sx, sy] = points[static_cast<size_t>(rng.below(static_cast<int>(points.size()) * 3 / 4))];
        const double a = std::atan2(y1 - y0, x1 - x0) + (rng.uniform() < 0.5 ? -1 : 1) * rng.uniform(0.4, 1.0);
        const double l = std::hypot(x1 - x0, y1 - y0) * rng.uniform(0.15, 0.4);
        bolt(cr, rng, sx, sy, sx + std::cos(a) * l, sy + std::sin(a) * l, width * 0.5, forks / 3);
    }
}

// A flash picture: the bolt's core, a tight glow and the sheet light of the
// clouds around it.
Grey flash(uint64_t seed, double x0, double x1, double y1)
{
    const int fw = 800, fh = 640;
    Rng rng(seed);
    Grey core = shape(fw, fh, [&](cairo_t* cr) { bolt(cr, rng, x0, -10, x1, y1, 3.2, 7); });
    Grey glow = core;
    blur(glow, 6);
    Grey sheet = core;
    blur(sheet, 55);
    Grey out(fw, fh);
    for (int y = 0; y < fh; ++y)
        for (int x = 0; x < fw; ++x) {
            const float clouds = 0.6f + 0.4f * fbm(static_cast<float>(x) * 0.01f, static_cast<float>(y) * 0.015f,
                                                   static_cast<uint32_t>(seed), 4);
            const float v = std::max(core.at(x, y), clamp01(glow.at(x, y) * 3.0f)) +
                            clamp01(sheet.at(x, y) * 20.0f) * 0.6f * clouds;
            // The picture's left edge lies inside the screen: the light
            // fades out before it so no straight edge shows there.
            const float edge = smoothstep(0.0f, 160.0f, static_cast<float>(x));
            out.at(x, y) = clamp01(v) * edge;
        }
    return out;
}

} // namespace

TreePictures paint_tree()
{
    TreePictures out;
    Canvas& c = out.picture;

    // Sky: near black at the top of the picture, which rises into view
    // first, misty and moonlit lower down, warm over the town at the foot.
    paint_all(c, [](int x, int y) {
        const float fx = static_cast<float>(x), fy = static_cast<float>(y);
        const float t = fy / H;
        Rgb col = mix(Rgb{0.020f, 0.028f, 0.075f}, Rgb{0.07f, 0.085f, 0.17f}, smoothstep(0.0f, 0.6f, t));
        col = mix(col, Rgb{0.20f, 0.20f, 0.30f}, smoothstep(0.55f, 0.92f, t));
        col = col + Rgb{0.30f, 0.13f, 0.04f} * smoothstep(0.78f, 0.95f, t);
        const float n = fbm(fx * 0.0035f, fy * 0.006f, 311u, 5);
        col = mix(col, Rgb{0.14f, 0.15f, 0.26f}, smoothstep(0.0f, 0.6f, n) * (0.3f + 0.3f * smoothstep(0.15f, 0.6f, t)));
        return col;
    });
    stars(c, 313, 900, [](int, int y) { return y < 600; });
    add_haze(c, MOON_X, MOON_Y, 260, 200, Rgb{0.18f, 0.20f, 0.30f}, 0.6f);
    add_glow(c, MOON_X, MOON_Y, 45, Rgb{0.30f, 0.32f, 0.42f}, 0.6f);
    fill(c, shape(W, H, [](cairo_t* cr) {
             cairo_arc(cr, MOON_X, MOON_Y, 26, 0, 2 * PI);
             cairo_fill(cr);
         }),
         Rgb{0.88f, 0.88f, 0.80f}, 0.9f);
    // Fog drifting across the moon and the lower sky.
    fog(c, Rgb{0.22f, 0.23f, 0.33f}, [](int x, int y) {
        const float fx = static_cast<float>(x), fy = static_cast<float>(y);
        const float n = fbm(fx * 0.004f, fy * 0.012f, 317u, 5);
        return smoothstep(0.0f, 0.7f, n) * 0.55f * smoothstep(500.0f, 800.0f, fy);
    });

    // The town below the hill: roofs in the haze with a few lights.
    {
        Rng rng(319);
        const Grey town = shape(W, H, [&](cairo_t* cr) {
            double x = -10;
            cairo_move_to(cr, x, H);
            while (x < W + 20) {
                const double w = rng.uniform(10, 34);
                const double top = rng.uniform(1058, 1088);
                cairo_line_to(cr, x, top);
                if (rng.uniform() < 0.35) {
                    cairo_line_to(cr, x + w / 2, top - w * 0.4);
                } else if (rng.uniform() < 0.08) {
                    cairo_line_to(cr, x + w / 2 - 2, top);
                    cairo_line_to(cr, x + w / 2, top - rng.uniform(25, 45));
                    cairo_line_to(cr, x + w / 2 + 2, top);
                }
                cairo_line_to(cr, x + w, top);
                x += w;
            }
            cairo_line_to(cr, x, H);
            cairo_close_path(cr);
            cairo_fill(cr);
        });
        fill(c, town, Rgb{0.17f, 0.12f, 0.15f}, 0.7f);
        for (int i = 0; i < 120; ++i) {
            const int x = rng.below(W);
            const int y = 1060 + rng.below(50);
            if (town.at(x, y) > 0.9f)
                c.at(x, y) = c.at(x, y) + Rgb{0.9f, 0.5f, 0.2f} * static_cast<float>(rng.uniform(0.2, 0.6));
        }
    }

    // The hill and the tree, black, with a cold rim where the moon catches
    // them and a warm one from the town below.
    const Grey hill = shape(W, H, hill_shape);
    const Grey tree = shape(W, H, tree_shape);
    Grey silhouette = hill;
    unite(silhouette, tree);
    fill_with(c, silhouette, [](int x, int y) {
        const float n = fbm(static_cast<float>(x) * 0.02f, static_cast<float>(y) * 0.02f, 321u, 3);
        return Rgb{0.014f, 0.014f, 0.028f} * (1.0f + 0.4f * n);
    });
    // Moonlight on the edges that face the moon, fading with distance from it.
    const Grey moonRim = rim(tree, -2.0f, 1.0f);
    fill_with(c, moonRim, [](int x, int y) {
        const float d = std::hypot(static_cast<float>(x) - MOON_X, static_cast<float>(y) - MOON_Y);
        return mix(Rgb{0.014f, 0.014f, 0.028f}, Rgb{0.30f, 0.33f, 0.45f}, std::exp(-d / 260.0f));
    });
    fill(c, rim(hill, 0.0f, -2.0f), Rgb{0.35f, 0.18f, 0.08f}, 0.4f);
    out.silhouette = silhouette;

    kuwahara(c, 2);
    brush_texture(c, 331u, 0.06f);

    out.flash1 = flash(341, 560, 690, 540);
    out.flash2 = flash(343, 330, 210, 520);

    // Cover: a bank of fog, thickest at the bottom of the screen, with
    // brighter billows and thinner wisps towards the top.
    Grey& cover = out.cover;
    for (int y = 0; y < cover.height; ++y)
        for (int x = 0; x < cover.width; ++x) {
            const float fx = static_cast<float>(x), fy = static_cast<float>(y);
            const float billows = fbm(fx * 0.004f, fy * 0.007f, 351u, 5);
            const float wisps = fbm(fx * 0.012f, fy * 0.03f, 353u, 4);
            const float height = fy / static_cast<float>(cover.height);
            cover.at(x, y) = clamp01(0.45f + 0.5f * height + 0.3f * billows + 0.12f * wisps);
        }
    return out;
}

} // namespace scene
