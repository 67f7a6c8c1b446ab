// Tree scene: the scrolling tree picture with radial-blur shadows, the fading
// cover, the attractor cloud and the double flash.
// State (file scope, fixed initial values, never reset): the five textures set
// by tree_init, and the scene clocks below. Depends on the picture loader
// (assets/image.h), the tiled textures and the content seam.
#include "effects/tree.h"

#include "assets/content_names.h"
#include "assets/image.h"
#include "base/skip_drawing.h"
#include "effects/clock_wrap.h"
#include "effects/content.h"
#include "effects/picture.h"
#include "platform/gl.h"
#include "script/functable.h"

#include <cmath>

namespace {

TiledTexture* s_tree = nullptr;       // 1024 x 1162, colour
TiledTexture* s_silhouette = nullptr; // 1024 x 1162, white shape
TiledTexture* s_flash1 = nullptr;     // 800 x 640, white shape
TiledTexture* s_flash2 = nullptr;     // 800 x 640, white shape
TiledTexture* s_cover = nullptr;      // 1024 x 640, white shape

double s_first_call_time = -1.0;  // t of the first call of tree; negative: not yet called
double s_scroll = 640.0;        // the tree picture's top edge on the screen, falls to -522
double s_wander_phase = 0.0;     // radians, 1 per second: where the blur centre is
double s_cover_alpha = 1.0;      // opacity of the cover shape
int32_t s_cover_done = 0;        // 1 once the cover has faded out
double s_flash_phase = 0.0;      // radians, 2 pi per second
int32_t s_flash_done = 0;        // 1 once both flashes are over
double s_attractor_clock = 0.0;  // seconds within the 6-second morph cycle

// Clifford attractor parameters a, b, c, d, one key set per second.
constexpr int ATTRACTOR_KEYS = 6;
constexpr double ATTRACTOR_KEY[ATTRACTOR_KEYS][4] = {
    {1.4, 1.6, 1.0, 0.7},  {1.1, 1.0, 1.0, 1.5}, {1.6, 0.6, 1.2, 1.6},
    {1.7, 1.7, 0.06, 1.2}, {1.3, 1.7, 0.5, 1.4}, {1.5, 1.8, 1.6, 0.9},
};
constexpr int ATTRACTOR_POINTS = 99999;

// The named embedded files as a texture: colour only, alpha only (a white
// shape) or both. Null when a named file is missing or does not decode.
} // namespace

int32_t tree_init()
{
    s_tree = load_picture(content::TREE, nullptr, GL_NEAREST);
    if (!s_tree)
        return 0;
    s_silhouette = load_picture(nullptr, content::TREE_SILHOUETTE, GL_LINEAR);
    if (!s_silhouette)
        return 0;
    s_flash1 = load_picture(nullptr, content::TREE_FLASH_1, GL_NEAREST);
    if (!s_flash1)
        return 0;
    s_flash2 = load_picture(nullptr, content::TREE_FLASH_2, GL_NEAREST);
    if (!s_flash2)
        return 0;
    s_cover = load_picture(nullptr, content::TREE_COVER, GL_NEAREST);
    if (!s_cover)
        return 0;
    return 1;
}

void tree(int32_t, int32_t, double t, double dt)
{
    if (s_first_call_time < 0)
        s_first_call_time = t;

    // The picture rises at 96 pixels a second until its bottom edge meets the
    // screen's (1162 - 522 = 640).
    s_scroll -= 96 * dt;
    if (s_scroll < -522)
        s_scroll = -522;

    s_wander_phase += dt;
    s_wander_phase = wrap_above(s_wander_phase, 6.283184, 6.283184);
    const double x0 = 512 + 512 * std::cos(s_wander_phase);
    const double y0 = 320 + 320 * std::sin(s_wander_phase);

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    screen_projection();
    glTranslated(0, s_scroll, 0);
    glColor4f(1, 1, 1, 1);
    draw_picture(s_tree);

    // Radial blur: 32 faint black copies of the silhouette, each enlarged a
    // little more about (x0, y0), darken the picture along rays from there.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glLoadIdentity();
    glTranslated(x0, y0, 0);
    for (int copy = 0; copy < 32; ++copy) {
        glScaled(1.003125, 1.003125, 1); // accumulates: copy n is scaled by 1.003125^(n+1)
        glPushMatrix();
        glTranslated(-x0, s_scroll - y0, 0);
        glColor4f(0, 0, 0, 1.0f / 31.0f);
        draw_picture(s_silhouette);
        glPopMatrix();
    }

    // The cover is drawn with the alpha from before this frame's step; it is
    // gone after 10 seconds.
    if (s_cover_done == 0) {
        glEnable(GL_BLEND);
        screen_projection();
        glColor4d(1, 1, 1, s_cover_alpha);
        draw_picture(s_cover);
        s_cover_alpha -= 0.1 * dt;
        if (s_cover_alpha < 0) {
            s_cover_alpha = 0;
            s_cover_done = 1;
        }
    }

    glDisable(GL_TEXTURE_2D);
    glPopAttrib();

    if (t - s_first_call_time >= 22.264)
        tree_flash(t, dt);
    tree_attractor(t, dt, s_scroll);
}

void tree_flash(double, double dt)
{
    if (s_flash_done == 1)
        return;

    // One cycle: the first picture during the first half, the second during
    // the next. The frame that passes the cycle's end removes half cycles, so
    // it still shows the second picture (near alpha 0), and ends the flashes.
    // A phase that is not a number also ends them.
    s_flash_phase += 6.283184 * dt;
    if (!(s_flash_phase <= 6.283184)) {
        s_flash_done = 1;
        s_flash_phase = wrap_above(s_flash_phase, 6.283184, 3.141592);
    }
    const double alpha = std::sin(s_flash_phase) * std::sin(s_flash_phase);
    const TiledTexture* picture = s_flash_phase < 3.141592 ? s_flash1 : s_flash2;

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    screen_projection();
    glTranslated(224, 0, 0); // the 800-pixel pictures end at the right edge
    glColor4d(1, 1, 1, alpha);
    draw_picture(picture);
    glPopAttrib();
}

double tree_attractor_advance(double dt)
{
    // The frame loop's steps are never negative; should one be, the clock
    // still stays within the cycle, and so the key index within the table:
    // a clock just below 0 that rounds up to 6 is wrapped again to 0.
    s_attractor_clock = wrap_into(s_attractor_clock + dt, 0.0, ATTRACTOR_KEYS);
    return s_attractor_clock;
}

void tree_attractor(double, double dt, double offset)
{
    tree_attractor_advance(dt);
    const int i = static_cast<int>(std::floor(s_attractor_clock));
    const int j = (i + 1) % ATTRACTOR_KEYS;
    const double u = s_attractor_clock - i;
    const double a = ATTRACTOR_KEY[i][0] + (ATTRACTOR_KEY[j][0] - ATTRACTOR_KEY[i][0]) * u;
    const double b = ATTRACTOR_KEY[i][1] + (ATTRACTOR_KEY[j][1] - ATTRACTOR_KEY[i][1]) * u;
    const double c = ATTRACTOR_KEY[i][2] + (ATTRACTOR_KEY[j][2] - ATTRACTOR_KEY[i][2]) * u;
    const double d = ATTRACTOR_KEY[i][3] + (ATTRACTOR_KEY[j][3] - ATTRACTOR_KEY[i][3]) * u;
    // The points are only drawn; the clock above is the routine's one state.
    if (g_skip_drawing)
        return;

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    screen_projection();
    glTranslated(0, offset, 0);
    glColor4f(1, 1, 1, 0.02f);
    glPointSize(2);

    // The Clifford map from (0, 0); the starting point itself is not drawn.
    double x = 0;
    double y = 0;
    glBegin(GL_POINTS);
    for (int n = 0; n < ATTRACTOR_POINTS; ++n) {
        const double nextX = c * std::cos(a * x) + std::sin(a * y);
        const double nextY = d * std::cos(b * y) + std::sin(b * x);
        x = nextX;
        y = nextY;
        glVertex2d(640 + 102.4 * x, 906 + 64 * y);
    }
    glEnd();
    glPopAttrib();
}
