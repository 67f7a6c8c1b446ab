// The interface pictures: the loading picture, the twelve window frames of
// the window background, the face mask, the logo and its alpha, the dot and
// the smoke puffs of the ghost figures, the window icon and the cursor.
//
// A night in a city: deep blues, sodium orange, fog and silhouettes, painted
// with the helpers of interface_paint.h (noise, blurs, a Kuwahara filter for
// brush-like patches) and cairo for shapes and text. Each picture is made
// for what the demo does with it:
// - loading: drawn over the whole screen while a half-black band grows over
//   rows 260-340 from the left, so that strip is a calm, evenly lit haze and
//   the title stands above it;
// - window frames: shown stretched to the whole screen, cross-faded at eight
//   frames a second in a loop; every moving thing is a periodic function of
//   the frame number, so frame 11 leads into frame 0 like any neighbours;
// - face mask: black drawn with the mask's grey as alpha over x 256-768,
//   y 128-640, inside a frame of the same black; white at its top, left and
//   right edges so it joins the frame, clear in a head-and-shoulders shape
//   over the figure standing in the window;
// - logo: drawn 1:1 over black; dot and smoke puffs: their grey is alpha.
#include "tools/assetgen/assetgen.h"

#include "assets/content_names.h"
#include "tools/assetgen/interface_paint.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

using namespace paint;

namespace {

constexpr double PI = 3.14159265358979323846;

// Palette of the night.
const Rgb INK = hex(0x03050c);
const Rgb NIGHT = hex(0x0a1430);
const Rgb HAZE = hex(0x2b3a62);
const Rgb DUSK_MAUVE = hex(0x5a4a62);
const Rgb SODIUM = hex(0xff9a3c);
const Rgb SODIUM_DEEP = hex(0xd0601e);
const Rgb WARM_LIGHT = hex(0xffd596);
const Rgb CREAM = hex(0xf6e2bb);

float smoothstep(float e0, float e1, float x)
{
    float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

Rgb scale(Rgb c, float k)
{
    return {c.r * k, c.g * k, c.b * k};
}

// Paints the pixels of [x0, x1) x [y0, y1) (clipped) with `colour` at opacity `a`.
void fill_rect(Canvas& canvas, int x0, int y0, int x1, int y1, Rgb colour, float a = 1.0f)
{
    for (int y = std::max(y0, 0); y < std::min(y1, canvas.height); ++y)
        for (int x = std::max(x0, 0); x < std::min(x1, canvas.width); ++x) {
            float* p = canvas.at(x, y);
            p[0] += (colour.r - p[0]) * a;
            p[1] += (colour.g - p[1]) * a;
            p[2] += (colour.b - p[2]) * a;
        }
}

// Screen blend of a light picture onto `dst`.
void add_light(Canvas& dst, const Canvas& light, float gain)
{
    for (size_t i = 0; i < dst.rgb.size(); ++i)
        dst.rgb[i] = 1.0f - (1.0f - dst.rgb[i]) * (1.0f - std::clamp(light.rgb[i] * gain, 0.0f, 1.0f));
}

// The Kuwahara filter over [x0, x1) x [y0, y1) only: the rest is painted
// already. The crop carries a margin of `radius`, so the result inside is
// what filtering the whole picture would give there.
void kuwahara_region(Canvas& canvas, int x0, int y0, int x1, int y1, int radius)
{
    const int cx0 = std::max(x0 - radius, 0), cy0 = std::max(y0 - radius, 0);
    const int cx1 = std::min(x1 + radius, canvas.width), cy1 = std::min(y1 + radius, canvas.height);
    Canvas crop(cx1 - cx0, cy1 - cy0);
    for (int y = cy0; y < cy1; ++y)
        std::copy_n(canvas.at(cx0, y), size_t(cx1 - cx0) * 3, crop.at(0, y - cy0));
    kuwahara(crop, radius);
    for (int y = y0; y < y1; ++y)
        std::copy_n(crop.at(x0 - cx0, y - cy0), size_t(x1 - x0) * 3, canvas.at(x0, y));
}

// 1 at (cx, cy) falling smoothly to 0 at `radius`.
Grey radial(int width, int height, float cx, float cy, float radius)
{
    Grey g(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float d = std::hypot(float(x) + 0.5f - cx, float(y) + 0.5f - cy) / radius;
            float t = std::max(0.0f, 1.0f - d);
            g.at(x, y) = t * t;
        }
    return g;
}

void add_file(GeneratedFiles& files, const std::string& name, std::vector<uint8_t> bytes)
{
    if (bytes.empty()) {
        std::fprintf(stderr, "vigil-assetgen: could not encode %s\n", name.c_str());
        return;
    }
    files.push_back({name, std::move(bytes)});
}

// ------------------------------------------------------------- skylines ----

struct Building {
    int x0, x1, top;
    int kind; // 0 flat, 1 stepped, 2 spire, 3 antenna, 4 water tank
};

std::vector<Building> make_skyline(Rng& rng, int width, int min_top, int max_top, int min_w, int max_w)
{
    std::vector<Building> row;
    int x = -int(rng.range(0, min_w));
    while (x < width) {
        int w = int(rng.range(min_w, max_w));
        int top = int(rng.range(min_top, max_top));
        double r = rng.uniform();
        int kind = r < 0.45 ? 0 : r < 0.65 ? 1 : r < 0.75 ? 2 : r < 0.88 ? 3 : 4;
        row.push_back({x, x + w, top, kind});
        x += w + (rng.uniform() < 0.25 ? int(rng.range(2, 10)) : 0);
    }
    return row;
}

Grey skyline_mask(int width, int height, const std::vector<Building>& row)
{
    return cairo_mask(width, height, [&](cairo_t* cr) {
        for (const Building& b : row) {
            double w = b.x1 - b.x0;
            cairo_rectangle(cr, b.x0, b.top, w, height - b.top);
            switch (b.kind) {
            case 1:
                cairo_rectangle(cr, b.x0 + w * 0.2, b.top - w * 0.3, w * 0.6, w * 0.3 + 1);
                break;
            case 2:
                cairo_move_to(cr, b.x0 + w * 0.3, b.top + 1);
                cairo_line_to(cr, b.x0 + w * 0.5, b.top - w * 0.9);
                cairo_line_to(cr, b.x0 + w * 0.7, b.top + 1);
                cairo_close_path(cr);
                break;
            case 3:
                cairo_rectangle(cr, b.x0 + w * 0.6, b.top - w * 0.8, 1.5, w * 0.8 + 1);
                break;
            case 4:
                cairo_rectangle(cr, b.x0 + w * 0.15, b.top - 7, 8, 7.5);
                cairo_rectangle(cr, b.x0 + w * 0.15 + 1, b.top - 9, 6, 2);
                break;
            default:
                break;
            }
            cairo_fill(cr);
        }
    });
}

// Lit windows of a row of buildings, painted into `lights` (black elsewhere).
void skyline_windows(Canvas& lights, Rng& rng, const std::vector<Building>& row, int cell_w, int cell_h, int win_w,
                     int win_h, double lit, float brightness)
{
    const Rgb tints[] = {SODIUM, WARM_LIGHT, hex(0xffb35c), hex(0x9fb8ff)};
    for (const Building& b : row) {
        // Whole floors go dark or light together now and then.
        for (int y = b.top + 5; y + win_h < lights.height; y += cell_h) {
            double floor_lit = rng.uniform() < 0.2 ? lit * 2.5 : lit;
            for (int x = b.x0 + 3; x + win_w <= b.x1 - 2; x += cell_w) {
                if (rng.uniform() >= floor_lit)
                    continue;
                Rgb tint = tints[rng.next() % 4];
                float k = brightness * float(rng.range(0.55, 1.0));
                fill_rect(lights, x, y, x + win_w, y + win_h, scale(tint, k));
            }
        }
    }
}

// Red warning lights on the tops of antennas and spires.
void skyline_beacons(Canvas& lights, const std::vector<Building>& row)
{
    for (const Building& b : row) {
        double w = b.x1 - b.x0;
        if (b.kind == 3)
            fill_rect(lights, int(b.x0 + w * 0.6) - 1, int(b.top - w * 0.8) - 1, int(b.x0 + w * 0.6) + 2,
                      int(b.top - w * 0.8) + 1, hex(0xff3020));
        if (b.kind == 2)
            fill_rect(lights, int(b.x0 + w * 0.5) - 1, int(b.top - w * 0.9), int(b.x0 + w * 0.5) + 1,
                      int(b.top - w * 0.9) + 2, hex(0xff3020));
    }
}

// ---------------------------------------------------------- loading.jpg ----

Canvas paint_loading()
{
    const int W = 800, H = 600;
    Rng rng(0x10AD1);
    Canvas c(W, H);
    // Sky: ink at the top, hazy blue, then the sodium glow of the city low
    // down. Rows 260-340 are an even, mid-bright haze: the loading band
    // darkens them by half and must be plain to see.
    vertical_gradient(c, {{0.00f, INK},
                          {0.28f, NIGHT},
                          {0.43f, HAZE},
                          {0.52f, DUSK_MAUVE},
                          {0.62f, hex(0x9a6242)},
                          {0.70f, hex(0x4a3030)},
                          {1.00f, hex(0x120c12)}});
    // Clouds in the upper sky, their undersides lit orange by the city.
    for (int y = 0; y < 250; ++y)
        for (int x = 0; x < W; ++x) {
            float n = fbm(float(x) / 170.0f, float(y) / 38.0f, 5, 11);
            float density = smoothstep(0.48f, 0.72f, n) * (1.0f - float(y) / 250.0f) * 0.8f;
            Rgb cloud = mix(hex(0x070b18), hex(0x3a3048), float(y) / 250.0f);
            float* p = c.at(x, y);
            p[0] += (cloud.r - p[0]) * density;
            p[1] += (cloud.g - p[1]) * density;
            p[2] += (cloud.b - p[2]) * density;
        }
    // A hazy moon, high on the right.
    c.light(radial(W, H, 700, 70, 110), hex(0x5a6a90), 0.5f);
    Grey moon = cairo_mask(W, H, [](cairo_t* cr) {
        cairo_arc(cr, 700, 70, 15, 0, 2 * PI);
        cairo_fill(cr);
    });
    blur(moon, 1.2f);
    c.blend(moon, hex(0xe6e2d4));

    // Three rows of buildings, the farthest lost in the haze.
    std::vector<Building> far = make_skyline(rng, W, 300, 350, 18, 46);
    std::vector<Building> mid = make_skyline(rng, W, 360, 410, 26, 64);
    std::vector<Building> near = make_skyline(rng, W, 420, 480, 34, 90);
    c.blend(skyline_mask(W, H, far), hex(0x3a3d5c), 0.75f);
    Grey mist(W, H);
    for (int y = 300; y < 520; ++y)
        for (int x = 0; x < W; ++x)
            mist.at(x, y) = smoothstep(300, 420, float(y)) * (1.0f - smoothstep(440, 520, float(y))) *
                            (0.35f + 0.5f * fbm(float(x) / 120.0f, float(y) / 20.0f, 4, 23));
    c.blend(mist, hex(0x8a6a6a), 0.45f);
    c.blend(skyline_mask(W, H, mid), hex(0x161b30), 0.92f);
    c.blend(mist, hex(0x7a5a5a), 0.25f);
    c.blend(skyline_mask(W, H, near), hex(0x06070e));

    // Paint: brush-like patches, then a canvas grain.
    kuwahara(c, 3);
    brush_texture(c, 0.14f, 6.0f, 4.0f, 0.35f, 31);

    // Lit windows and street lamps, with their glow.
    Canvas lights(W, H);
    skyline_windows(lights, rng, far, 5, 7, 2, 2, 0.10, 0.35f);
    skyline_windows(lights, rng, mid, 6, 8, 2, 3, 0.10, 0.6f);
    skyline_windows(lights, rng, near, 8, 10, 3, 4, 0.12, 0.95f);
    skyline_beacons(lights, mid);
    skyline_beacons(lights, near);
    for (int i = 0; i < 9; ++i) {
        int x = 30 + i * 95 + int(rng.range(-12, 12));
        fill_rect(lights, x - 1, 566, x + 2, 569, hex(0xffc070));
    }
    Canvas glow = lights;
    blur(glow, 6.0f);
    add_light(c, lights, 1.0f);
    add_light(c, glow, 2.2f);
    // Low fog lit by the street lamps.
    Grey street(W, H);
    for (int y = 500; y < H; ++y)
        for (int x = 0; x < W; ++x)
            street.at(x, y) = smoothstep(500, 600, float(y)) * (0.4f + 0.6f * fbm(float(x) / 90.0f, float(y) / 25.0f, 4, 41));
    c.light(street, SODIUM_DEEP, 0.45f);

    // The title, high above the band, with a sodium glow.
    auto title = [](cairo_t* cr) {
        cairo_select_font_face(cr, "DejaVu Serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, 46);
        cairo_text_extents_t e;
        cairo_text_extents(cr, "This window is for sale", &e);
        cairo_move_to(cr, (800 - e.width) / 2 - e.x_bearing, 168);
        cairo_show_text(cr, "This window is for sale");
    };
    Grey text = cairo_mask(W, H, title);
    Grey halo = text;
    blur(halo, 9.0f);
    c.light(halo, SODIUM, 0.9f);
    c.blend(text, CREAM);
    return c;
}

// ------------------------------------------------------- window frames ----

constexpr int FW = 512, FH = 320;
// The lit window: its glass, the transom across its top, and the figure
// standing behind it (head centre; the face mask's clear head sits there).
constexpr int GLASS_X0 = 160, GLASS_X1 = 352, GLASS_Y0 = 38, GLASS_Y1 = 292;
constexpr int TRANSOM_Y = 92;
constexpr float HEAD_X = 256.0f, HEAD_Y = 150.0f;

// The wall, the stone surrounds, the frames and the two side windows: what
// does not move. Painted once and shared by every frame.
Canvas paint_facade()
{
    Canvas c(FW, FH);
    // Plaster and brick, blue-grey in the night.
    Rng rng(0xFACADE);
    for (int y = 0; y < FH; ++y) {
        int course = y / 9;
        for (int x = 0; x < FW; ++x) {
            int shifted = x + (course % 2) * 12;
            int brick = shifted / 24;
            bool mortar = y % 9 == 0 || shifted % 24 == 0;
            float jitter = float(value_noise(float(brick), float(course), 5) - 0.5f) * 0.25f;
            float grain = fbm(float(x) / 9.0f, float(y) / 9.0f, 3, 7) - 0.5f;
            Rgb base = hex(0x19223a);
            float k = 1.0f + jitter + grain * 0.3f - (mortar ? 0.22f : 0.0f);
            float* p = c.at(x, y);
            p[0] = base.r * k;
            p[1] = base.g * k;
            p[2] = base.b * k;
        }
    }
    // Sodium light from a street lamp down on the left.
    c.light(radial(FW, FH, -40, 360, 420), hex(0xb0622a), 0.55f);
    // Stone surrounds and sills of the three windows.
    const int xs[3][2] = {{0, 106}, {140, 372}, {406, 512}};
    for (const auto& s : xs) {
        fill_rect(c, s[0], 18, s[1], 302, hex(0x343c52));
        fill_rect(c, s[0] - 6, 302, s[1] + 6, 314, hex(0x454c62));
        fill_rect(c, s[0] - 6, 302, s[1] + 6, 304, hex(0x6a6e80));
        fill_rect(c, s[0] - 6, 312, s[1] + 6, 314, hex(0x0c0f18));
    }
    // Wooden frame of the lit window.
    fill_rect(c, 150, 28, 362, 302, hex(0x22170f));
    // Side windows: dark glass holding a dim reflection of the sky.
    const int side[2][2] = {{10, 96}, {416, 502}};
    for (const auto& s : side) {
        fill_rect(c, s[0] - 4, 34, s[1] + 4, 296, hex(0x181410));
        for (int y = 38; y < 292; ++y)
            for (int x = s[0]; x < s[1]; ++x) {
                float t = float(y - 38) / 254.0f;
                Rgb g = mix(hex(0x1c2a4a), hex(0x080c18), t);
                float streak = smoothstep(0.6f, 1.0f, value_noise(float(x + y) / 14.0f, 0.5f, 9)) * 0.08f;
                float* p = c.at(x, y);
                p[0] = g.r + streak;
                p[1] = g.g + streak;
                p[2] = g.b + streak;
            }
        fill_rect(c, s[0], TRANSOM_Y, s[1], TRANSOM_Y + 6, hex(0x181410));
        fill_rect(c, (s[0] + s[1]) / 2 - 2, 38, (s[0] + s[1]) / 2 + 2, 292, hex(0x181410));
    }
    kuwahara(c, 2);
    brush_texture(c, 0.16f, 5.0f, 3.5f, -0.3f, 13);
    return c;
}

// Curtain shape for frame angle `theta`: the inner edge of the left curtain
// at row y (the right one mirrors it around the head).
float curtain_edge(float y, float theta)
{
    float t = (y - float(GLASS_Y0)) / float(GLASS_Y1 - GLASS_Y0);
    // Drawn back a little more at the bottom, where it is tied.
    return float(GLASS_X0) + 30.0f + 10.0f * t * t + 4.0f * std::sin(theta) * t;
}

Grey figure_mask(float sway, float breathe)
{
    return cairo_mask(FW, FH, [sway, breathe](cairo_t* cr) {
        const double hx = HEAD_X + sway, hy = HEAD_Y;
        cairo_save(cr);
        cairo_translate(cr, hx, hy);
        cairo_scale(cr, 21, 27);
        cairo_arc(cr, 0, 0, 1, 0, 2 * PI);
        cairo_restore(cr);
        cairo_fill(cr);
        // Ears, and hair standing off the crown.
        for (int side : {-1, 1}) {
            cairo_save(cr);
            cairo_translate(cr, hx + side * 20.5, hy + 3);
            cairo_scale(cr, 3.5, 7);
            cairo_arc(cr, 0, 0, 1, 0, 2 * PI);
            cairo_restore(cr);
            cairo_fill(cr);
        }
        cairo_save(cr);
        cairo_translate(cr, hx + 2, hy - 17);
        cairo_rotate(cr, 0.15);
        cairo_scale(cr, 20, 12);
        cairo_arc(cr, 0, 0, 1, 0, 2 * PI);
        cairo_restore(cr);
        cairo_fill(cr);
        // Neck and shoulders down past the bottom of the glass.
        const double s = 1.0 + breathe;
        cairo_move_to(cr, hx - 10, hy + 18);
        cairo_line_to(cr, hx - 12, hy + 36);
        cairo_curve_to(cr, hx - 40 * s, hy + 40, hx - 62 * s, hy + 50, hx - 68 * s, hy + 80);
        cairo_line_to(cr, hx - 74 * s, GLASS_Y1 + 2);
        cairo_line_to(cr, hx + 74 * s, GLASS_Y1 + 2);
        cairo_line_to(cr, hx + 68 * s, hy + 80);
        cairo_curve_to(cr, hx + 62 * s, hy + 50, hx + 40 * s, hy + 40, hx + 12, hy + 36);
        cairo_line_to(cr, hx + 10, hy + 18);
        cairo_close_path(cr);
        cairo_fill(cr);
    });
}

Grey sign_mask(bool text)
{
    return cairo_mask(FW, FH, [text](cairo_t* cr) {
        if (!text) {
            cairo_rectangle(cr, 172, 250, 74, 34);
            cairo_fill(cr);
            return;
        }
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr, 13);
        cairo_text_extents_t e;
        cairo_text_extents(cr, "FOR SALE", &e);
        cairo_move_to(cr, 209 - e.width / 2 - e.x_bearing, 272);
        cairo_show_text(cr, "FOR SALE");
        cairo_rectangle(cr, 176, 254, 66, 1.2);
        cairo_rectangle(cr, 176, 279, 66, 1.2);
        cairo_fill(cr);
    });
}

std::vector<Canvas> paint_window_frames()
{
    const Canvas facade = paint_facade();
    const Grey sign = sign_mask(false);
    const Grey sign_text = sign_mask(true);
    // Light the window throws on its frame, sill and the wall around it (not
    // on the glass, where the figure stands dark against the room).
    Grey spill(FW, FH);
    for (int y = GLASS_Y0; y < GLASS_Y1; ++y)
        for (int x = GLASS_X0; x < GLASS_X1; ++x)
            spill.at(x, y) = 1.0f;
    blur(spill, 14.0f);
    for (int y = GLASS_Y0; y < GLASS_Y1; ++y)
        for (int x = GLASS_X0; x < GLASS_X1; ++x)
            spill.at(x, y) = 0.0f;
    // The right-hand neighbour's television, flickering blue through the glass.
    Grey tv(FW, FH);
    for (int y = 150; y < 292; ++y)
        for (int x = 416; x < 502; ++x)
            tv.at(x, y) = smoothstep(150, 260, float(y)) * (x < 457 || x >= 461 ? 1.0f : 0.3f);
    blur(tv, 3.0f);
    // Rain: streaks that fall one full wrap of the frame height per loop.
    struct Drop {
        float x, y, length, alpha;
    };
    std::vector<Drop> drops;
    Rng rng(0xDA1F);
    for (int i = 0; i < 260; ++i)
        drops.push_back({float(rng.range(-40, FW)), float(rng.range(0, FH + 40)), float(rng.range(8, 16)),
                         float(rng.range(0.05, 0.2))});

    std::vector<Canvas> frames;
    for (int k = 0; k < content::WINDOW_FRAMES; ++k) {
        const float theta = float(2.0 * PI * k / content::WINDOW_FRAMES);
        Canvas c = facade;
        const float lamp = 1.0f + 0.05f * std::sin(theta) + 0.025f * std::sin(2.0f * theta + 1.0f);

        // The room: warm light from a ceiling lamp above the figure.
        for (int y = GLASS_Y0; y < GLASS_Y1; ++y) {
            float t = float(y - GLASS_Y0) / float(GLASS_Y1 - GLASS_Y0);
            Rgb wall = mix(hex(0xffcf8a), hex(0xa8501e), t);
            for (int x = GLASS_X0; x < GLASS_X1; ++x) {
                float d = std::hypot((float(x) - HEAD_X) / 120.0f, (float(y) - 50.0f) / 150.0f);
                float k_light = lamp * (0.55f + 0.6f * std::max(0.0f, 1.0f - d));
                float grain = fbm(float(x) / 12.0f, float(y) / 30.0f, 3, 17) - 0.5f;
                float* p = c.at(x, y);
                p[0] = wall.r * k_light * (1.0f + 0.12f * grain);
                p[1] = wall.g * k_light * (1.0f + 0.12f * grain);
                p[2] = wall.b * k_light * (1.0f + 0.12f * grain);
            }
        }
        // Curtains, swaying a little in a draught.
        for (int y = GLASS_Y0; y < GLASS_Y1; ++y) {
            float left = curtain_edge(float(y), theta);
            float right = float(GLASS_X0 + GLASS_X1) - curtain_edge(float(y), theta + 0.7f);
            for (int x = GLASS_X0; x < GLASS_X1; ++x) {
                float fx = float(x) + 0.5f;
                float cover = std::max(1.0f - smoothstep(left - 2.0f, left + 2.0f, fx), smoothstep(right - 2.0f, right + 2.0f, fx));
                if (cover <= 0.0f)
                    continue;
                float folds = 0.7f + 0.3f * std::sin(fx * 0.55f + 1.2f * std::sin(theta) + float(y) * 0.01f);
                Rgb cloth = scale(hex(0xb8401c), folds * lamp);
                const float cloth_rgb[3] = {cloth.r, cloth.g, cloth.b};
                float* p = c.at(x, y);
                for (int i = 0; i < 3; ++i)
                    p[i] += (cloth_rgb[i] - p[i]) * cover * 0.8f;
            }
        }
        // The figure, watching the street; breathing, swaying slightly.
        Grey figure = figure_mask(1.5f * std::sin(theta), 0.015f * std::sin(theta + 0.5f));
        blur(figure, 0.8f);
        c.blend(figure, hex(0x0e0706), 0.96f);
        // Transom and the mullion of the upper panes.
        fill_rect(c, GLASS_X0, TRANSOM_Y, GLASS_X1, TRANSOM_Y + 6, hex(0x22170f));
        fill_rect(c, 253, GLASS_Y0, 259, TRANSOM_Y, hex(0x22170f));
        // Brush-like patches over the room, as over the wall.
        kuwahara_region(c, GLASS_X0, GLASS_Y0, GLASS_X1, GLASS_Y1, 2);
        // Reflections slanting across the glass.
        for (int y = GLASS_Y0; y < GLASS_Y1; ++y)
            for (int x = GLASS_X0; x < GLASS_X1; ++x) {
                float band = std::sin(float(x + y) * 0.045f);
                if (band > 0.93f) {
                    float* p = c.at(x, y);
                    for (int i = 0; i < 3; ++i)
                        p[i] += (1.0f - p[i]) * 0.08f;
                }
            }
        // The card in the window.
        c.blend(sign, hex(0xe8dcc0));
        c.blend(sign_text, hex(0xa8141a));
        // Light on the frame and the wall, the television next door.
        c.light(spill, hex(0xffa050), 0.32f * lamp);
        float flicker = 0.28f + 0.12f * std::sin(2.0f * theta + 0.5f) + 0.07f * std::sin(3.0f * theta + 2.0f);
        c.light(tv, hex(0x6f8cff), flicker);
        // Mist along the street, slowly churning.
        Grey mist(FW, FH);
        for (int y = 180; y < FH; ++y)
            for (int x = 0; x < FW; ++x)
                mist.at(x, y) = smoothstep(180, 320, float(y)) *
                                fbm3(float(x) / 64.0f, float(y) / 24.0f, float(k) / 4.0f, 4, 29, 8, 0, 3);
        c.light(mist, hex(0x8a7a90), 0.5f);
        // Rain, brighter in the lamp light and in front of the window.
        Grey rain(FW, FH);
        for (const Drop& d : drops) {
            float y = std::fmod(d.y + float(k) * float(FH + 40) / float(content::WINDOW_FRAMES), float(FH + 40)) - 20.0f;
            for (int s = 0; s < int(d.length); ++s) {
                int py = int(y) + s;
                int px = int(d.x + float(s) * 0.25f + float(py) * 0.1f);
                if (px >= 0 && px < FW && py >= 0 && py < FH)
                    rain.at(px, py) = std::max(rain.at(px, py), d.alpha * (1.0f - float(s) / d.length * 0.5f));
            }
        }
        c.light(rain, hex(0xd8c8b8), 1.0f);
        frames.push_back(std::move(c));
    }
    return frames;
}

// ------------------------------------------------------------ face mask ----

Grey paint_face_mask()
{
    const int S = 512;
    // Clear where the figure's head and shoulders are (the figure's head is at
    // HEAD_Y in the frames, which the overlay maps to row 2 * (HEAD_Y - 64)).
    Grey clear = cairo_mask(S, S, [](cairo_t* cr) {
        cairo_save(cr);
        cairo_translate(cr, 256, 2 * (HEAD_Y - 64));
        cairo_scale(cr, 100, 126);
        cairo_arc(cr, 0, 0, 1, 0, 2 * PI);
        cairo_restore(cr);
        cairo_fill(cr);
        cairo_save(cr);
        cairo_translate(cr, 256, 540);
        cairo_scale(cr, 196, 230);
        cairo_arc(cr, 0, 0, 1, 0, 2 * PI);
        cairo_restore(cr);
        cairo_fill(cr);
        cairo_rectangle(cr, 214, 250, 84, 100);
        cairo_fill(cr);
    });
    blur(clear, 22.0f);
    Grey mask(S, S);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            // Smoke-like unevenness in the soft edge only.
            float n = fbm(float(x) / 40.0f, float(y) / 40.0f, 4, 53);
            float c = std::clamp(clear.at(x, y) * 1.25f, 0.0f, 1.0f);
            float edge = 4.0f * c * (1.0f - c);
            mask.at(x, y) = std::clamp(1.0f - c + edge * (n - 0.5f) * 0.5f, 0.0f, 1.0f);
        }
    return mask;
}

// ----------------------------------------------------------------- logo ----

struct Logo {
    Canvas colour;
    Grey alpha;
};

Logo paint_logo()
{
    const int W = 800, H = 300;
    const char* TITLE = "This window is for sale";
    Grey text = cairo_mask(W, H, [TITLE](cairo_t* cr) {
        cairo_select_font_face(cr, "DejaVu Serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, 100);
        cairo_text_extents_t e;
        cairo_text_extents(cr, TITLE, &e);
        double size = 100.0 * 700.0 / e.width;
        cairo_set_font_size(cr, size);
        cairo_text_extents(cr, TITLE, &e);
        cairo_move_to(cr, (W - e.width) / 2 - e.x_bearing, 218);
        cairo_show_text(cr, TITLE);
    });
    // A lit window of four panes above the title, and a rule below it.
    Grey panes = cairo_mask(W, H, [](cairo_t* cr) {
        const double x = 372, y = 30, pw = 25, ph = 32, gap = 6;
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j)
                cairo_rectangle(cr, x + i * (pw + gap), y + j * (ph + gap), pw, ph);
        cairo_fill(cr);
        cairo_rectangle(cr, 364, 30 + 2 * ph + gap + 6, 72, 3);
        cairo_fill(cr);
    });
    Grey rule = cairo_mask(W, H, [](cairo_t* cr) {
        cairo_pattern_t* fade = cairo_pattern_create_linear(150, 0, 650, 0);
        cairo_pattern_add_color_stop_rgba(fade, 0.0, 0, 0, 0, 0);
        cairo_pattern_add_color_stop_rgba(fade, 0.5, 0, 0, 0, 1);
        cairo_pattern_add_color_stop_rgba(fade, 1.0, 0, 0, 0, 0);
        cairo_set_source(cr, fade);
        cairo_rectangle(cr, 150, 252, 500, 1.5);
        cairo_fill(cr);
        cairo_pattern_destroy(fade);
    });

    Grey shapes(W, H);
    for (size_t i = 0; i < shapes.v.size(); ++i)
        shapes.v[i] = std::max({text.v[i], panes.v[i], rule.v[i] * 0.8f});
    Grey wide = shapes, near = shapes;
    blur(wide, 14.0f);
    blur(near, 3.5f);

    Logo logo{Canvas(W, H), Grey(W, H)};
    for (size_t i = 0; i < shapes.v.size(); ++i)
        logo.alpha.v[i] = std::clamp(std::max(shapes.v[i], near.v[i] * 0.65f + wide.v[i] * 0.8f), 0.0f, 1.0f);

    // Colour: a sodium glow everywhere, the letters cream at the top turning
    // amber at the foot, with brush marks; the panes warm white.
    Canvas glow(W, H, SODIUM_DEEP);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            float n = fbm(float(x) / 200.0f, float(y) / 60.0f, 3, 61);
            Rgb g = mix(SODIUM_DEEP, SODIUM, n);
            float* p = glow.at(x, y);
            p[0] = g.r;
            p[1] = g.g;
            p[2] = g.b;
        }
    Canvas letters(W, H);
    vertical_gradient(letters, {{0.0f, WARM_LIGHT}, {0.55f, CREAM}, {0.75f, hex(0xffb45a)}, {1.0f, SODIUM_DEEP}});
    brush_texture(letters, 0.22f, 3.0f, 6.0f, 0.1f, 67);
    logo.colour = glow;
    logo.colour.blend(text, letters);
    logo.colour.blend(panes, WARM_LIGHT);
    logo.colour.blend(rule, SODIUM, 1.0f);
    return logo;
}

// -------------------------------------------------------- dot and puffs ----

Grey paint_dot()
{
    const int S = 64;
    Grey dot(S, S);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            float r = std::hypot(float(x) + 0.5f - 32.0f, float(y) + 0.5f - 32.0f) / 30.0f;
            float t = std::max(0.0f, 1.0f - r * r);
            dot.at(x, y) = t * t;
        }
    return dot;
}

Grey paint_puff(int index)
{
    const int S = 256;
    Rng rng(0x5A0CE + uint64_t(index) * 7919);
    // A cluster of soft blobs whose outline is pushed about by noise (domain
    // warping), so it billows and frays like smoke, shaded unevenly inside,
    // and fading to black well before the border so no square edge shows.
    struct Blob {
        float x, y, r, weight;
    };
    std::vector<Blob> blobs;
    int count = 6 + 2 * index;
    for (int i = 0; i < count; ++i) {
        float angle = float(rng.range(0, 2 * PI));
        float dist = float(rng.range(0, 44));
        blobs.push_back({128.0f + dist * std::cos(angle), 128.0f + dist * std::sin(angle), float(rng.range(26, 46)),
                         float(rng.range(0.5, 1.0))});
    }
    Grey puff(S, S);
    const uint32_t seed = 71 + uint32_t(index) * 13;
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            float fx = float(x) + 0.5f, fy = float(y) + 0.5f;
            float wx = fx + 56.0f * (fbm(fx / 44.0f, fy / 44.0f, 4, seed) - 0.5f);
            float wy = fy + 56.0f * (fbm(fx / 44.0f, fy / 44.0f, 4, seed + 5) - 0.5f);
            float density = 0.0f;
            for (const Blob& b : blobs) {
                float d2 = ((wx - b.x) * (wx - b.x) + (wy - b.y) * (wy - b.y)) / (b.r * b.r);
                density += b.weight * std::exp(-d2);
            }
            float shade = 0.15f + 0.85f * smoothstep(0.3f, 0.75f, fbm(fx / 22.0f, fy / 22.0f, 4, seed + 9));
            float v = (1.0f - std::exp(-1.5f * density)) * shade;
            float r = std::hypot(fx - 128.0f, fy - 128.0f);
            puff.at(x, y) = v * (1.0f - smoothstep(84.0f, 124.0f, r)) * 0.32f;
        }
    blur(puff, 1.0f);
    return puff;
}

// ------------------------------------------------------- icon and cursor ----

// The window icon: a lit four-pane window in a night-blue wall.
std::vector<uint8_t> make_icon()
{
    const uint32_t colours[16] = {0x04060e, 0x0a1026, 0x121c3c, 0x1e2c54, 0x3a4260, 0x5a6078, 0x1a120c,
                                  0xfff0c0, 0xffd07a, 0xffa048, 0xd86a22, 0x8a3a18, 0xe8e4d8, 0x2a2030,
                                  0xff3020, 0x000000};
    std::vector<uint8_t> palette;
    for (uint32_t c : colours) {
        palette.push_back(uint8_t(c >> 16));
        palette.push_back(uint8_t(c >> 8));
        palette.push_back(uint8_t(c));
    }
    std::vector<uint8_t> px(32 * 32);
    auto set = [&](int x0, int y0, int x1, int y1, uint8_t index) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                px[size_t(y) * 32 + size_t(x)] = index;
    };
    for (int y = 0; y < 32; ++y)
        set(0, y, 32, y + 1, uint8_t(y < 8 ? 0 : y < 18 ? 1 : y < 26 ? 2 : 3));
    px[2 * 32 + 4] = 12;  // stars
    px[5 * 32 + 27] = 12;
    set(5, 4, 27, 28, 5);  // stone surround
    set(7, 6, 25, 27, 6);  // frame
    // Panes: warm white at the top turning orange below.
    for (int y = 8; y < 25; ++y) {
        uint8_t shade = uint8_t(y < 11 ? 7 : y < 15 ? 8 : y < 20 ? 9 : 10);
        set(9, y, 15, y + 1, shade);
        set(17, y, 23, y + 1, shade);
    }
    set(9, 15, 23, 17, 6); // transom
    set(11, 18, 14, 21, 13); // a figure in the lower left pane
    set(12, 21, 13, 22, 13);
    set(10, 22, 15, 25, 13);
    set(4, 27, 28, 29, 4); // sill
    return gif_indexed(32, 32, px, palette);
}

// The arrow, tip at (0, 0): 'X' black outline, '.' white fill, ' ' not shown.
const char* const ARROW[] = {
    "X",
    "XX",
    "X.X",
    "X..X",
    "X...X",
    "X....X",
    "X.....X",
    "X......X",
    "X.......X",
    "X........X",
    "X.........X",
    "X......XXXXX",
    "X...X..X",
    "X..XX..X",
    "X.X  X..X",
    "XX   X..X",
    "X     X..X",
    "      X..X",
    "       XX",
};

std::vector<uint8_t> make_cursor(bool mask)
{
    std::vector<uint8_t> px(32 * 32, 0);
    for (size_t y = 0; y < sizeof ARROW / sizeof ARROW[0]; ++y)
        for (size_t x = 0; ARROW[y][x]; ++x) {
            char c = ARROW[y][x];
            if (c == ' ')
                continue;
            px[y * 32 + x] = uint8_t(mask ? 1 : c == '.' ? 1 : 0);
        }
    return gif_indexed(32, 32, px, {0, 0, 0, 255, 255, 255});
}

} // namespace

void generate_interface_pictures(GeneratedFiles& files)
{
    add_file(files, content::LOADING, jpeg_colour(paint_loading(), 90));

    std::vector<Canvas> frames = paint_window_frames();
    std::vector<const Canvas*> all;
    for (const Canvas& f : frames)
        all.push_back(&f);
    const std::vector<uint8_t> palette = median_cut_palette(all, 256);
    for (size_t k = 0; k < frames.size(); ++k) {
        char name[64];
        std::snprintf(name, sizeof name, content::WINDOW_FRAME_FORMAT, int(k));
        add_file(files, name, gif_indexed(FW, FH, map_to_palette(frames[k], palette, 0.5f), palette));
    }

    add_file(files, content::FACE_MASK, jpeg_grey(paint_face_mask(), 90));

    Logo logo = paint_logo();
    add_file(files, content::LOGO, jpeg_colour(logo.colour, 92));
    add_file(files, content::LOGO_ALPHA, gif_grey(logo.alpha));

    add_file(files, content::DOT, jpeg_grey(paint_dot(), 100));
    for (int i = 0; i < content::SMOKE_PUFFS; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, content::SMOKE_PUFF_FORMAT, i);
        add_file(files, name, gif_grey(paint_puff(i)));
    }

    add_file(files, content::ICON, make_icon());
    add_file(files, content::CURSOR, make_cursor(false));
    add_file(files, content::CURSOR_MASK, make_cursor(true));
}
