// Tree scene: the scrolling tree picture with radial-blur shadows, the fading
// cover, the attractor cloud and the double flash.
// State: g_effects.tree, the five textures set by tree_init and the scene
// clocks. Depends on the picture loader (assets/image.h), the tiled textures
// and the content seam.
#include "effects/tree.h"

#include "assets/content_names.h"
#include "assets/image.h"
#include "base/skip_drawing.h"
#include "effects/clock_wrap.h"
#include "effects/content.h"
#include "effects/effects_state.h"
#include "effects/picture.h"
#include "platform/gl.h"
#include "script/functable.h"

#include <cmath>

namespace {

// Clifford attractor parameters a, b, c, d, one key set per second.
constexpr int ATTRACTOR_KEYS = 6;
constexpr double ATTRACTOR_KEY[ATTRACTOR_KEYS][4] = {
    {1.4, 1.6, 1.0, 0.7},  {1.1, 1.0, 1.0, 1.5}, {1.6, 0.6, 1.2, 1.6},
    {1.7, 1.7, 0.06, 1.2}, {1.3, 1.7, 0.5, 1.4}, {1.5, 1.8, 1.6, 0.9},
};
constexpr int ATTRACTOR_POINTS = 99999;

} // namespace

int32_t tree_init()
{
    TreeState& state = g_effects.tree;
    state.tree = load_picture(content::TREE, nullptr, GL_NEAREST);
    if (!state.tree)
        return 0;
    state.silhouette = load_picture(nullptr, content::TREE_SILHOUETTE, GL_LINEAR);
    if (!state.silhouette)
        return 0;
    state.flash1 = load_picture(nullptr, content::TREE_FLASH_1, GL_NEAREST);
    if (!state.flash1)
        return 0;
    state.flash2 = load_picture(nullptr, content::TREE_FLASH_2, GL_NEAREST);
    if (!state.flash2)
        return 0;
    state.cover = load_picture(nullptr, content::TREE_COVER, GL_NEAREST);
    if (!state.cover)
        return 0;
    return 1;
}

void tree(int32_t, int32_t, double t, double dt)
{
    TreeState& state = g_effects.tree;
    if (state.firstCallTime < 0)
        state.firstCallTime = t;

    // The picture rises at 96 pixels a second until its bottom edge meets the
    // screen's (1162 - 522 = 640).
    state.scroll -= 96 * dt;
    if (state.scroll < -522)
        state.scroll = -522;

    state.wanderPhase += dt;
    state.wanderPhase = wrap_above(state.wanderPhase, 6.283184, 6.283184);
    const double x0 = 512 + 512 * std::cos(state.wanderPhase);
    const double y0 = 320 + 320 * std::sin(state.wanderPhase);

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    screen_projection();
    glTranslated(0, state.scroll, 0);
    glColor4f(1, 1, 1, 1);
    draw_picture(state.tree);

    // Radial blur: 32 faint black copies of the silhouette, each enlarged a
    // little more about (x0, y0), darken the picture along rays from there.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glLoadIdentity();
    glTranslated(x0, y0, 0);
    for (int copy = 0; copy < 32; ++copy) {
        glScaled(1.003125, 1.003125, 1); // accumulates: copy n is scaled by 1.003125^(n+1)
        glPushMatrix();
        glTranslated(-x0, state.scroll - y0, 0);
        glColor4f(0, 0, 0, 1.0f / 31.0f);
        draw_picture(state.silhouette);
        glPopMatrix();
    }

    // The cover is drawn with the alpha from before this frame's step; it is
    // gone after 10 seconds.
    if (state.coverDone == 0) {
        glEnable(GL_BLEND);
        screen_projection();
        glColor4d(1, 1, 1, state.coverAlpha);
        draw_picture(state.cover);
        state.coverAlpha -= 0.1 * dt;
        if (state.coverAlpha < 0) {
            state.coverAlpha = 0;
            state.coverDone = 1;
        }
    }

    glDisable(GL_TEXTURE_2D);
    glPopAttrib();

    if (t - state.firstCallTime >= 22.264)
        tree_flash(t, dt);
    tree_attractor(t, dt, state.scroll);
}

void tree_flash(double, double dt)
{
    TreeState& state = g_effects.tree;
    if (state.flashDone == 1)
        return;

    // One cycle: the first picture during the first half, the second during
    // the next. The frame that passes the cycle's end removes half cycles, so
    // it still shows the second picture (near alpha 0), and ends the flashes.
    // A phase that is not a number also ends them.
    state.flashPhase += 6.283184 * dt;
    if (!(state.flashPhase <= 6.283184)) {
        state.flashDone = 1;
        state.flashPhase = wrap_above(state.flashPhase, 6.283184, 3.141592);
    }
    const double alpha = std::sin(state.flashPhase) * std::sin(state.flashPhase);
    const TiledTexture* picture = state.flashPhase < 3.141592 ? state.flash1 : state.flash2;

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
    TreeState& state = g_effects.tree;
    // The frame loop's steps are never negative; should one be, the clock
    // still stays within the cycle, and so the key index within the table:
    // a clock just below 0 that rounds up to 6 is wrapped again to 0.
    state.attractorClock = wrap_into(state.attractorClock + dt, 0.0, ATTRACTOR_KEYS);
    return state.attractorClock;
}

void tree_attractor(double, double dt, double offset)
{
    TreeState& state = g_effects.tree;
    tree_attractor_advance(dt);
    const int i = static_cast<int>(std::floor(state.attractorClock));
    const int j = (i + 1) % ATTRACTOR_KEYS;
    const double u = state.attractorClock - i;
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
