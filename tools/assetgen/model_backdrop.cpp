// The model scene's backdrop. The scene draws the 512 x 512 picture in a
// 400 x 300 view, so only its top-left 400 x 300 pixels show, stretched over
// the 1024 x 640 screen (2.56 times wider, 2.13 times taller). Everything is
// therefore laid out in screen units and squeezed into the picture, and the
// rest of the picture simply continues the scene.
//
// The picture: a deep blue night sky over a skyline, sodium light glowing up
// from the streets into low clouds, a hazy moon, a hazy far skyline and a
// dark near one whose towers frame the middle (where the model swings), a
// few lit windows, and fog rolling over the streets with the glow of street
// lamps in it. Shapes are cairo paths (coverage masks); colour, fog, clouds
// and the brush texture are painted per pixel.
#include "tools/assetgen/model_content.h"
#include "tools/assetgen/model_paint.h"

#include <cairo.h>

#include <algorithm>
#include <numbers>
#include <vector>
#include <cmath>

namespace modelgen {

namespace {

constexpr int SIZE = BACKGROUND_SIZE;
// Screen units per picture pixel.
constexpr double SCALE_X = 1024.0 / 400.0;
constexpr double SCALE_Y = 640.0 / 300.0;
constexpr double HORIZON = 470; // screen y where the streets' glow is strongest

struct Colour {
    double r, g, b;
};

Colour operator*(Colour c, double k)
{
    return {c.r * k, c.g * k, c.b * k};
}
Colour operator+(Colour a, Colour b)
{
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
Colour blend(Colour a, Colour b, double t)
{
    return {mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t)};
}

constexpr Colour SODIUM = {1.0, 0.56, 0.20};

struct Building {
    double x, width, top;
};

// A coverage mask drawn by cairo in screen units.
class Mask {
public:
    Mask()
    {
        surface = cairo_image_surface_create(CAIRO_FORMAT_A8, SIZE, SIZE);
        context = cairo_create(surface);
        cairo_scale(context, 1.0 / SCALE_X, 1.0 / SCALE_Y);
        cairo_set_source_rgba(context, 0, 0, 0, 1);
    }
    ~Mask()
    {
        cairo_destroy(context);
        cairo_surface_destroy(surface);
    }
    Mask(const Mask&) = delete;
    Mask& operator=(const Mask&) = delete;

    cairo_t* cr() { return context; }
    // Coverage in [0, 1] of picture pixel (x, y).
    double at(int x, int y)
    {
        if (!flushed) {
            cairo_surface_flush(surface);
            flushed = true;
        }
        const unsigned char* data = cairo_image_surface_get_data(surface);
        int stride = cairo_image_surface_get_stride(surface);
        return data[y * stride + x] / 255.0;
    }

private:
    cairo_surface_t* surface;
    cairo_t* context;
    bool flushed = false;
};

// A flat-topped block with, now and then, a setback, a spire, a water tank
// or a dome.
void draw_building(cairo_t* cr, const Building& b, Random& random, bool near)
{
    const double bottom = 1200;
    cairo_rectangle(cr, b.x, b.top, b.width, bottom - b.top);
    double roll = random.uniform();
    if (roll < 0.22) { // setback storey
        double inset = b.width * random.range(0.15, 0.3);
        cairo_rectangle(cr, b.x + inset, b.top - random.range(12, 30), b.width - 2 * inset, 40);
    } else if (roll < 0.36) { // spire or antenna
        double cx = b.x + b.width * random.range(0.3, 0.7);
        double h = near ? random.range(40, 90) : random.range(20, 50);
        cairo_move_to(cr, cx - 2.5, b.top + 1);
        cairo_line_to(cr, cx - 0.8, b.top - h);
        cairo_line_to(cr, cx + 0.8, b.top - h);
        cairo_line_to(cr, cx + 2.5, b.top + 1);
        cairo_close_path(cr);
    } else if (roll < 0.48 && near) { // water tank on legs
        double cx = b.x + b.width * random.range(0.25, 0.75);
        cairo_rectangle(cr, cx - 9, b.top - 26, 18, 16);
        cairo_move_to(cr, cx - 11, b.top - 26);
        cairo_line_to(cr, cx, b.top - 34);
        cairo_line_to(cr, cx + 11, b.top - 26);
        cairo_close_path(cr);
        cairo_rectangle(cr, cx - 8, b.top - 11, 2, 12);
        cairo_rectangle(cr, cx + 6, b.top - 11, 2, 12);
    } else if (roll < 0.56) { // dome
        double r = b.width * random.range(0.25, 0.4);
        cairo_new_sub_path(cr);
        cairo_arc(cr, b.x + b.width / 2, b.top + 1, r, std::numbers::pi, 2 * std::numbers::pi);
        cairo_close_path(cr);
    }
    cairo_fill(cr);
}

// Buildings side by side from left to right; `top_at` gives a typical roof
// height for a screen x.
template <typename TopAt>
std::vector<Building> lay_out(Random& random, double minWidth, double maxWidth, TopAt top_at)
{
    std::vector<Building> buildings;
    double x = -30;
    while (x < 1330) {
        double width = random.range(minWidth, maxWidth);
        double top = top_at(x + width / 2) + random.range(-25, 25);
        buildings.push_back({x, width, top});
        x += width * random.range(0.8, 1.0); // neighbours overlap a little
    }
    return buildings;
}

// A lit window's colour: mostly sodium, some paler, a few cold screens.
Colour window_colour(Random& random)
{
    double roll = random.uniform();
    double k = random.range(0.55, 1.0);
    if (roll < 0.62)
        return Colour{1.0, 0.62, 0.26} * k;
    if (roll < 0.9)
        return Colour{0.95, 0.85, 0.58} * k;
    return Colour{0.55, 0.70, 1.0} * (k * 0.8);
}

} // namespace

std::vector<uint8_t> paint_model_background()
{
    Random random(0x6D6F64656C42ull);

    // ---- shapes ----
    Mask far;
    std::vector<Building> farBlocks = lay_out(random, 24, 64, [](double x) { return 372.0 + 30 * std::sin(x / 140); });
    for (const Building& b : farBlocks)
        draw_building(far.cr(), b, random, false);

    Mask near;
    std::vector<Building> nearBlocks = lay_out(random, 55, 130, [](double x) {
        // Tall towers at the sides, low roofs in the middle where the model is.
        double side = std::min(1.0, std::abs(x - 512) / 420);
        return 505 - 300 * side * side;
    });
    for (const Building& b : nearBlocks)
        draw_building(near.cr(), b, random, true);

    // Lit windows, as (screen rectangle, colour).
    struct Window {
        double x, y, w, h;
        Colour colour;
    };
    std::vector<Window> windows;
    for (const Building& b : nearBlocks) {
        double litShare = random.range(0.02, 0.12);
        for (double wy = b.top + 14; wy < 620; wy += 17) {
            for (double wx = b.x + 7; wx + 6 < b.x + b.width - 4; wx += 12) {
                if (random.uniform() < litShare)
                    windows.push_back({wx, wy, 5, 7, window_colour(random)});
            }
        }
    }
    std::vector<Window> farWindows;
    for (const Building& b : farBlocks) {
        for (double wy = b.top + 8; wy < 470; wy += 11) {
            for (double wx = b.x + 4; wx + 4 < b.x + b.width - 2; wx += 8) {
                if (random.uniform() < 0.05)
                    farWindows.push_back({wx, wy, 3, 4, window_colour(random) * 0.55});
            }
        }
    }

    // Stars, in screen units.
    struct Star {
        double x, y, brightness;
    };
    std::vector<Star> stars;
    for (int i = 0; i < 110; ++i)
        stars.push_back({random.range(0, 1310), random.range(0, 330), random.range(0.15, 0.65)});

    // Windows and stars, put into picture-sized layers: a window colours the
    // pixels whose centres it holds and, faintly, their neighbours.
    const size_t area = static_cast<size_t>(SIZE) * SIZE;
    std::vector<Colour> windowLayer(area, Colour{0, 0, 0});
    std::vector<double> windowCover(area, 0.0);
    std::vector<Colour> farWindowLayer(area, Colour{0, 0, 0});
    auto for_pixels = [](double x0, double y0, double x1, double y1, auto&& paint) {
        int px0 = std::max(0, static_cast<int>(std::floor(x0 / SCALE_X - 0.5)));
        int px1 = std::min(SIZE - 1, static_cast<int>(std::ceil(x1 / SCALE_X - 0.5)));
        int py0 = std::max(0, static_cast<int>(std::floor(y0 / SCALE_Y - 0.5)));
        int py1 = std::min(SIZE - 1, static_cast<int>(std::ceil(y1 / SCALE_Y - 0.5)));
        for (int py = py0; py <= py1; ++py)
            for (int px = px0; px <= px1; ++px)
                paint(static_cast<size_t>(py) * SIZE + px, (px + 0.5) * SCALE_X, (py + 0.5) * SCALE_Y);
    };
    for (const Window& w : windows) {
        for_pixels(w.x - 1, w.y - 1, w.x + w.w + 1, w.y + w.h + 1, [&](size_t i, double sx, double sy) {
            bool inside = sx >= w.x && sx < w.x + w.w && sy >= w.y && sy < w.y + w.h;
            double cover = inside ? 1.0 : 0.35;
            if (cover > windowCover[i]) {
                windowCover[i] = cover;
                windowLayer[i] = w.colour;
            }
        });
    }
    for (const Window& w : farWindows) {
        for_pixels(w.x, w.y, w.x + w.w, w.y + w.h, [&](size_t i, double sx, double sy) {
            if (sx >= w.x && sx < w.x + w.w && sy >= w.y && sy < w.y + w.h)
                farWindowLayer[i] = w.colour;
        });
    }
    std::vector<Colour> starLayer(area, Colour{0, 0, 0});
    for (const Star& s : stars) {
        for_pixels(s.x - 2 * SCALE_X, s.y - 2 * SCALE_Y, s.x + 2 * SCALE_X, s.y + 2 * SCALE_Y,
                   [&](size_t i, double sx, double sy) {
                       double dx = (sx - s.x) / SCALE_X, dy = (sy - s.y) / SCALE_Y;
                       starLayer[i] = starLayer[i] + Colour{0.80, 0.85, 1.0} * (s.brightness * std::exp(-(dx * dx + dy * dy) / 0.5));
                   });
    }

    const double moonX = 805, moonY = 118, moonR = 21;

    std::vector<uint8_t> pixels(static_cast<size_t>(SIZE) * SIZE * 3);
    for (int py = 0; py < SIZE; ++py) {
        for (int px = 0; px < SIZE; ++px) {
            const double sx = (px + 0.5) * SCALE_X;
            const double sy = (py + 0.5) * SCALE_Y;
            const size_t index = static_cast<size_t>(py) * SIZE + px;

            // ---- sky ----
            double h = clamp01(sy / HORIZON);
            Colour sky = blend(Colour{0.012, 0.026, 0.085}, Colour{0.050, 0.090, 0.230}, std::pow(h, 1.2));
            sky = blend(sky, Colour{0.20, 0.15, 0.27}, smoothstep(0.6, 1.0, h) * 0.7);
            double glowSpread = 0.55 + 0.75 * fbm(sx / 260, 3.5, 11, 3);
            double glow = std::exp(-std::max(0.0, HORIZON - sy) / 150) * glowSpread;
            sky = sky + SODIUM * (0.42 * glow);

            // The moon behind thin haze.
            double dm = std::hypot(sx - moonX, (sy - moonY) * 1.0);
            double disc = 1 - smoothstep(moonR - 2.5, moonR + 1.5, dm);
            double crater = 0.9 + 0.1 * fbm(sx / 9, sy / 9, 21, 2);
            sky = sky + Colour{0.30, 0.34, 0.48} * (0.55 * std::exp(-dm / 70));
            sky = blend(sky, Colour{0.93, 0.91, 0.80} * crater, disc * 0.92);

            sky = sky + starLayer[index] * (1 - h);

            // Low clouds, stretched wide, lit orange from below and silver
            // near the moon.
            double c = fbm(sx / 330 + 0.4 * fbm(sx / 500, sy / 120, 31, 2), sy / 62, 37, 5);
            double cloud = smoothstep(0.40, 0.68, c) * (1 - smoothstep(330, 470, sy)) * smoothstep(30, 150, sy);
            Colour cloudColour = blend(Colour{0.10, 0.12, 0.22}, Colour{0.58, 0.32, 0.16}, clamp01(glow * 1.1));
            cloudColour = cloudColour + Colour{0.30, 0.33, 0.42} * (0.8 * std::exp(-dm / 110));
            Colour colour = blend(sky, cloudColour, cloud * 0.85);

            // ---- far skyline, hazy, lit from the streets ----
            double farLit = std::exp(-std::max(0.0, 520 - sy) / 110);
            Colour farColour = Colour{0.085, 0.085, 0.17} + SODIUM * (0.20 * farLit);
            colour = blend(colour, farColour, far.at(px, py));
            colour = colour + farWindowLayer[index] * (0.6 * far.at(px, py));

            // Haze between the far and the near skyline.
            double haze = fbm(sx / 210, sy / 38, 41, 4);
            double hazeAmount = smoothstep(0.3, 0.7, haze) * smoothstep(380, 480, sy) * (1 - smoothstep(520, 620, sy));
            colour = blend(colour, Colour{0.42, 0.30, 0.25}, 0.55 * hazeAmount);

            // ---- near skyline, nearly black, a faint warm bounce low down ----
            double nearCover = near.at(px, py);
            Colour nearColour = Colour{0.012, 0.016, 0.038} + SODIUM * (0.05 * smoothstep(420, 640, sy));
            colour = blend(colour, nearColour, nearCover);
            colour = blend(colour, windowLayer[index], windowCover[index] * nearCover);

            // ---- street fog with lamp glows ----
            double fogNoise = fbm(sx / 180 + 3, sy / 45, 53, 5);
            double fog = smoothstep(470, 650, sy) * (0.35 + 0.75 * fogNoise);
            double lamps = 0;
            for (double lx : {90.0, 300.0, 520.0, 735.0, 950.0, 1180.0}) {
                double dx = (sx - lx) / 70, dy = (sy - 610) / 45;
                lamps += std::exp(-(dx * dx + dy * dy));
            }
            Colour fogColour = blend(Colour{0.19, 0.17, 0.25}, Colour{0.62, 0.40, 0.22}, clamp01(0.2 + 0.7 * lamps));
            colour = blend(colour, fogColour, clamp01(fog * 0.8));
            colour = colour + SODIUM * (0.25 * lamps * smoothstep(520, 600, sy));

            // ---- brush texture, grain and vignette ----
            double brush = fbm(sx / 55 + 0.8 * fbm(sx / 90, sy / 90, 61, 2), sy / 14, 67, 3) - 0.5;
            double grain = value_noise(px * 1.7, py * 1.7, 71) - 0.5;
            double shade = 1 + 0.10 * brush + 0.03 * grain;
            double vx = (sx - 512) / 512, vy = (sy - 320) / 320;
            shade *= 1 - 0.32 * smoothstep(0.55, 1.35, std::sqrt(vx * vx + vy * vy));

            uint8_t* out = &pixels[(static_cast<size_t>(py) * SIZE + px) * 3];
            out[0] = to_byte(colour.r * shade);
            out[1] = to_byte(colour.g * shade);
            out[2] = to_byte(colour.b * shade);
        }
    }
    return pixels;
}

} // namespace modelgen
