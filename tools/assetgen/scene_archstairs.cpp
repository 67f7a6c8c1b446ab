// The archstairs scene's pictures. Through a stone arcade the viewer sees a
// long flight of stairs that climbs between two house fronts into the fog.
// The stairs are laid along the walkers' own path (scene_layout.h), a little
// below it, so the ghosts float down the steps; the walkers come out from
// behind the arcade's right column at the top of the flight (which hides the
// place where they reappear) and leave behind the left pier. The arcade is
// the cut-out.
#include "tools/assetgen/scene_layout.h"
#include "tools/assetgen/scene_painters.h"

#include <algorithm>

namespace scene {

namespace {

constexpr int W = 1024;
constexpr int H = 640;
constexpr double PI = 3.14159265358979323846;

const Rgb SODIUM{1.00f, 0.55f, 0.16f};

// The stairs in the walkers' frame: the steps lie FLOAT units below the
// walkers' arc, between z = LEFT_Z and z = RIGHT_Z; the house fronts stand
// just outside them.
constexpr double FLOAT = 48.0;
constexpr double LEFT_Z = -50.0;
constexpr double RIGHT_Z = 40.0;
constexpr double RISE = 7.0;
constexpr double NEAR_X = -110.0;
constexpr double LANDING_END_X = 1100.0;
constexpr double EYE_Y = 28.75; // the eye's height in the walkers' frame

Projected at(double x, double y, double z) { return project(archstairs_to_eye({x, y, z})); }

double stair_level(double x) { return archstairs_arc(x) - FLOAT; }
// Where the arc reaches height `level` (inverse of stair_level, level below
// the arc's top).
double stair_x(double level)
{
    return std::asin((level + FLOAT) / 176.0) * 1664.0 / PI - 128.0;
}

// A quad given by four points in the walkers' frame; skipped when a corner
// is too close to the eye to project sensibly.
bool quad(cairo_t* cr, const Vec3 (&p)[4])
{
    Projected q[4];
    for (int i = 0; i < 4; ++i) {
        q[i] = at(p[i].x, p[i].y, p[i].z);
        if (q[i].depth < 3.0)
            return false;
    }
    cairo_move_to(cr, q[0].x, q[0].y);
    for (int i = 1; i < 4; ++i)
        cairo_line_to(cr, q[i].x, q[i].y);
    cairo_close_path(cr);
    return true;
}

struct Step {
    double x0, x1, level; // tread from x0 (front) to x1 (back) at height level
};

std::vector<Step> steps()
{
    std::vector<Step> out;
    double level = stair_level(NEAR_X);
    level = std::floor(level / RISE) * RISE;
    double x0 = NEAR_X;
    while (true) {
        const double next = level + RISE;
        if (next + FLOAT >= 172.0) {
            out.push_back({x0, LANDING_END_X, level});
            break;
        }
        const double x1 = stair_x(next);
        out.push_back({x0, x1, level});
        x0 = x1;
        level = next;
    }
    return out;
}

// A house front along the stairs: the vertical plane z, from the steps up to
// `height` above them.
void house_front(cairo_t* cr, double z, double height)
{
    const int n = 120;
    for (int i = 0; i <= n; ++i) {
        const double x = NEAR_X + (LANDING_END_X - NEAR_X) * i / n;
        const Projected p = at(x, stair_level(std::min(x, 560.0)) + height, z);
        if (i == 0)
            cairo_move_to(cr, p.x, p.y);
        else
            cairo_line_to(cr, p.x, p.y);
    }
    for (int i = n; i >= 0; --i) {
        const double x = NEAR_X + (LANDING_END_X - NEAR_X) * i / n;
        const Projected p = at(x, stair_level(std::min(x, 560.0)) - 30.0, z);
        cairo_line_to(cr, p.x, p.y);
    }
    cairo_close_path(cr);
}

// Windows of a house front, in rows; `lit` picks which are lit.
void windows(cairo_t* cr, double z, double height, Rng& rng, bool litOnes)
{
    for (double x = -60.0; x < LANDING_END_X - 40.0; x += 46.0) {
        const double base = stair_level(std::min(x, 560.0));
        for (double y = base + 40.0; y + 26.0 < base + height - 10.0; y += 44.0) {
            const bool lit = rng.uniform() < 0.4;
            if (lit != litOnes)
                continue;
            const Vec3 p[4] = {{x, y, z}, {x + 16.0, y, z}, {x + 16.0, y + 26.0, z}, {x, y + 26.0, z}};
            quad(cr, p);
        }
    }
}

// The arcade: a solid left pier, a column at the top of the flight, arches
// springing from both, and the wall above them; a low balustrade in the
// right-hand opening.
constexpr double LEFT_PIER = 165.0;
constexpr double COLUMN_LEFT = 728.0;
constexpr double COLUMN_RIGHT = 800.0;
constexpr double SPRING_Y = 232.0;
constexpr double CROWN_Y = 16.0;

void arch_opening(cairo_t* cr, double left, double right)
{
    const double cx = (left + right) / 2.0;
    const double rx = (right - left) / 2.0;
    const double ry = SPRING_Y - CROWN_Y;
    cairo_move_to(cr, left, H + 10);
    cairo_line_to(cr, left, SPRING_Y);
    cairo_save(cr);
    cairo_translate(cr, cx, SPRING_Y);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, PI, 2 * PI);
    cairo_restore(cr);
    cairo_line_to(cr, right, H + 10);
    cairo_close_path(cr);
}

void arcade(cairo_t* cr)
{
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_rectangle(cr, -10, -10, W + 20, H + 20);
    arch_opening(cr, LEFT_PIER, COLUMN_LEFT);
    arch_opening(cr, COLUMN_RIGHT, COLUMN_RIGHT + 2 * (COLUMN_LEFT - LEFT_PIER) * 0.62);
    cairo_fill(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    // Capital and base of the column, wider than its shaft.
    cairo_rectangle(cr, COLUMN_LEFT - 12, SPRING_Y - 4, COLUMN_RIGHT - COLUMN_LEFT + 24, 16);
    cairo_rectangle(cr, COLUMN_LEFT - 6, SPRING_Y + 12, COLUMN_RIGHT - COLUMN_LEFT + 12, 8);
    cairo_rectangle(cr, COLUMN_LEFT - 14, H - 40, COLUMN_RIGHT - COLUMN_LEFT + 28, 40);
    cairo_rectangle(cr, LEFT_PIER - 4, SPRING_Y - 4, 16, 16);
    cairo_fill(cr);
    // Balustrade in the right-hand opening.
    cairo_rectangle(cr, COLUMN_RIGHT, 512, W - COLUMN_RIGHT + 10, 14);
    cairo_rectangle(cr, COLUMN_RIGHT, 612, W - COLUMN_RIGHT + 10, 30);
    for (double x = COLUMN_RIGHT + 22; x < W + 10; x += 30) {
        cairo_move_to(cr, x - 5, 526);
        cairo_curve_to(cr, x - 12, 550, x - 12, 585, x - 5, 612);
        cairo_line_to(cr, x + 5, 612);
        cairo_curve_to(cr, x + 12, 585, x + 12, 550, x + 5, 526);
        cairo_close_path(cr);
    }
    cairo_fill(cr);
}

// Stone courses and joints of the arcade's face.
Rgb arcade_stone(int x, int y)
{
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    const int course = y / 34;
    const float offset = (course % 2) ? 0.0f : 31.0f;
    const float joint_y = std::abs(std::fmod(fy, 34.0f) - 17.0f) > 15.5f ? 0.55f : 1.0f;
    const float joint_x = std::abs(std::fmod(fx + offset, 62.0f) - 31.0f) > 29.5f ? 0.6f : 1.0f;
    const float n = fbm(fx * 0.03f, fy * 0.03f, 201u + static_cast<uint32_t>(course), 3);
    const float k = joint_x * joint_y * (0.85f + 0.3f * n);
    return Rgb{0.055f, 0.050f, 0.070f} * k;
}

} // namespace

ArchstairsPictures paint_archstairs()
{
    ArchstairsPictures out;
    Canvas& c = out.picture;

    // Sky and fog above the flight.
    paint_all(c, [](int x, int y) {
        const float fx = static_cast<float>(x), fy = static_cast<float>(y);
        const float t = fy / H;
        Rgb col = mix(Rgb{0.015f, 0.02f, 0.06f}, Rgb{0.10f, 0.11f, 0.20f}, smoothstep(0.0f, 0.5f, t));
        const float n = fbm(fx * 0.004f, fy * 0.008f, 211u, 5);
        return mix(col, Rgb{0.13f, 0.14f, 0.24f}, smoothstep(0.0f, 0.6f, n) * 0.6f);
    });
    stars(c, 213, 300, [](int, int y) { return y < 200; });
    add_glow(c, 380, 95, 35, Rgb{0.22f, 0.25f, 0.38f}, 0.5f);
    fill(c, shape(W, H, [](cairo_t* cr) {
             cairo_arc(cr, 380, 95, 15, 0, 2 * PI);
             cairo_fill(cr);
         }),
         Rgb{0.85f, 0.85f, 0.78f}, 0.85f);
    // Fog glowing at the top of the flight, where a lamp burns.
    add_haze(c, 770, 220, 170, 120, SODIUM * 0.6f, 0.6f);

    // Roofs and towers of the town beyond, seen through the right-hand arch.
    {
        Rng rng(215);
        const Grey town = shape(W, H, [&](cairo_t* cr) {
            double x = 560;
            cairo_move_to(cr, x, H);
            while (x < W + 20) {
                const double w = rng.uniform(25, 60);
                const double top = rng.uniform(300, 390);
                cairo_line_to(cr, x, top);
                if (rng.uniform() < 0.3)
                    cairo_line_to(cr, x + w / 2, top - rng.uniform(15, 35));
                cairo_line_to(cr, x + w, top);
                x += w;
            }
            cairo_line_to(cr, x, H);
            cairo_close_path(cr);
            cairo_fill(cr);
        });
        fill_with(c, town, [](int, int y) {
            return mix(Rgb{0.15f, 0.13f, 0.19f}, Rgb{0.06f, 0.06f, 0.10f}, smoothstep(300.0f, 520.0f, static_cast<float>(y)));
        });
        Rng win(217);
        for (int i = 0; i < 160; ++i) {
            const int x = 800 + win.below(W - 800);
            const int y = 330 + win.below(200);
            const float k = static_cast<float>(win.uniform(0.2, 0.6));
            if (town.at(x, y) > 0.9f && town.at(x, y - 8) > 0.9f)
                for (int dy = 0; dy < 3; ++dy)
                    c.at(x, y + dy) = c.at(x, y + dy) + SODIUM * k;
        }
    }

    // The house fronts along both sides.
    const Grey leftHouse = shape(W, H, [](cairo_t* cr) {
        house_front(cr, LEFT_Z - 4.0, 230.0);
        cairo_fill(cr);
    });
    const Grey rightHouse = shape(W, H, [](cairo_t* cr) {
        house_front(cr, RIGHT_Z + 4.0, 200.0);
        cairo_fill(cr);
    });
    auto house_colour = [](Rgb base) {
        return [base](int x, int y) {
            const float fx = static_cast<float>(x), fy = static_cast<float>(y);
            const float n = fbm(fx * 0.01f, fy * 0.02f, 221u, 4);
            // Further up the flight (nearer the top right) is deeper in fog.
            const float far = smoothstep(300.0f, 760.0f, fx) * smoothstep(520.0f, 150.0f, fy);
            return mix(base * (0.9f + 0.3f * n), Rgb{0.22f, 0.18f, 0.22f}, far * 0.6f);
        };
    };
    fill_with(c, rightHouse, house_colour(Rgb{0.06f, 0.06f, 0.10f}));
    fill_with(c, leftHouse, house_colour(Rgb{0.07f, 0.07f, 0.12f}));
    {
        Rng rng(223);
        const Grey dark = shape(W, H, [&](cairo_t* cr) {
            windows(cr, LEFT_Z - 4.5, 230.0, rng, false);
            cairo_fill(cr);
        });
        Rng again(223);
        const Grey lit = shape(W, H, [&](cairo_t* cr) {
            windows(cr, LEFT_Z - 4.5, 230.0, again, true);
            cairo_fill(cr);
        });
        fill(c, dark, Rgb{0.03f, 0.035f, 0.06f}, 0.8f);
        fill(c, lit, Rgb{0.85f, 0.55f, 0.22f}, 0.85f);
        Rng rng2(227);
        const Grey lit2 = shape(W, H, [&](cairo_t* cr) {
            windows(cr, RIGHT_Z + 4.5, 200.0, rng2, true);
            cairo_fill(cr);
        });
        fill(c, lit2, Rgb{0.8f, 0.5f, 0.2f}, 0.8f);
    }

    // The steps: treads (seen from above below eye height), risers and
    // the lit nosings.
    const std::vector<Step> flight = steps();
    const Grey treads = shape(W, H, [&](cairo_t* cr) {
        for (const Step& s : flight) {
            if (s.level > EYE_Y - 2.0)
                continue;
            const Vec3 p[4] = {{s.x0, s.level, LEFT_Z}, {s.x1, s.level, LEFT_Z}, {s.x1, s.level, RIGHT_Z},
                               {s.x0, s.level, RIGHT_Z}};
            quad(cr, p);
        }
        cairo_fill(cr);
    });
    const Grey risers = shape(W, H, [&](cairo_t* cr) {
        for (const Step& s : flight) {
            const Vec3 p[4] = {{s.x0, s.level - RISE, LEFT_Z}, {s.x0, s.level, LEFT_Z}, {s.x0, s.level, RIGHT_Z},
                               {s.x0, s.level - RISE, RIGHT_Z}};
            quad(cr, p);
        }
        cairo_fill(cr);
    });
    const Grey nosings = shape(W, H, [&](cairo_t* cr) {
        for (const Step& s : flight) {
            const Vec3 p[4] = {{s.x0, s.level - 1.2, LEFT_Z}, {s.x0, s.level, LEFT_Z}, {s.x0, s.level, RIGHT_Z},
                               {s.x0, s.level - 1.2, RIGHT_Z}};
            quad(cr, p);
        }
        cairo_fill(cr);
    });
    auto stone = [](Rgb base, float fogAmount) {
        return [base, fogAmount](int x, int y) {
            const float fx = static_cast<float>(x), fy = static_cast<float>(y);
            const float n = fbm(fx * 0.02f, fy * 0.05f, 231u, 3);
            // Nearer steps (lower on the screen) are darker, far ones foggy.
            const float far = smoothstep(560.0f, 230.0f, fy);
            Rgb col = base * (0.85f + 0.35f * n);
            col = col + SODIUM * (0.10f * smoothstep(450.0f, 250.0f, fy) * smoothstep(450.0f, 760.0f, fx));
            return mix(col, Rgb{0.26f, 0.22f, 0.25f}, far * fogAmount);
        };
    };
    fill_with(c, treads, stone(Rgb{0.16f, 0.15f, 0.19f}, 0.55f));
    fill_with(c, risers, stone(Rgb{0.06f, 0.06f, 0.09f}, 0.5f));
    fill_with(c, nosings, stone(Rgb{0.24f, 0.21f, 0.22f}, 0.4f), 0.8f);

    // Lamps along both sides of the flight.
    const Vec3 lamps[] = {{60, 0, LEFT_Z + 3}, {170, 0, LEFT_Z + 3}, {300, 0, LEFT_Z + 3}, {450, 0, LEFT_Z + 3},
                          {60, 0, RIGHT_Z - 3}};
    for (const Vec3& l : lamps) {
        const double base = stair_level(l.x);
        const Projected foot = at(l.x, base, l.z);
        const Projected head = at(l.x, base + 45.0, l.z);
        const double width = std::max(1.0, 400.0 / foot.depth);
        const Grey lamp = shape(W, H, [&](cairo_t* cr) {
            cairo_set_line_width(cr, width);
            cairo_move_to(cr, foot.x, foot.y);
            cairo_line_to(cr, head.x, head.y);
            cairo_stroke(cr);
            cairo_arc(cr, head.x, head.y - width * 1.5, width * 2.2, 0, 2 * PI);
            cairo_fill(cr);
        });
        fill(c, lamp, Rgb{0.03f, 0.03f, 0.05f});
        const float r = static_cast<float>(width * 3.0);
        const float hx = static_cast<float>(head.x), hy = static_cast<float>(head.y - width * 1.5);
        add_glow(c, hx, hy, r, Rgb{1.0f, 0.62f, 0.25f}, 1.2f);
        add_haze(c, hx, hy, r * 8.0f, r * 7.0f, SODIUM * 0.4f, 0.6f);
    }

    // Mist lying on the flight.
    fog(c, Rgb{0.30f, 0.29f, 0.36f}, [](int x, int y) {
        const float fx = static_cast<float>(x), fy = static_cast<float>(y);
        const float n = fbm(fx * 0.006f, fy * 0.02f, 241u, 4);
        return smoothstep(140.0f, 330.0f, fy) * smoothstep(620.0f, 380.0f, fy) * (0.15f + 0.3f * smoothstep(-0.2f, 0.7f, n));
    });

    // The arcade in front.
    const Grey front = shape(W, H, arcade);
    fill_with(c, front, arcade_stone);
    // Lamp light from the stairs on the inner edges of the arches.
    fill(c, rim(front, 3.0f, 2.0f), SODIUM * 0.45f, 0.7f);
    fill(c, rim(front, -3.0f, 2.0f), Rgb{0.20f, 0.22f, 0.35f}, 0.5f);
    out.mask = front;

    // A lantern hanging in the right-hand arch, in front as well.
    const Grey lantern = shape(W, H, [](cairo_t* cr) {
        cairo_set_line_width(cr, 2);
        cairo_move_to(cr, 930, 40);
        cairo_line_to(cr, 930, 160);
        cairo_stroke(cr);
        cairo_move_to(cr, 914, 176);
        cairo_line_to(cr, 930, 158);
        cairo_line_to(cr, 946, 176);
        cairo_close_path(cr);
        cairo_rectangle(cr, 916, 176, 28, 36);
        cairo_move_to(cr, 916, 212);
        cairo_line_to(cr, 944, 212);
        cairo_line_to(cr, 930, 224);
        cairo_close_path(cr);
        cairo_fill(cr);
    });
    fill(c, lantern, Rgb{0.02f, 0.02f, 0.03f});
    const Grey glass = shape(W, H, [](cairo_t* cr) {
        cairo_rectangle(cr, 920, 180, 20, 28);
        cairo_fill(cr);
    });
    add_glow(c, 930, 194, 60, SODIUM, 0.35f);
    fill(c, glass, Rgb{1.0f, 0.8f, 0.45f});
    unite(out.mask, lantern);

    kuwahara(c, 2);
    brush_texture(c, 251u, 0.06f);
    vignette(c, 0.3f);
    return out;
}

} // namespace scene
