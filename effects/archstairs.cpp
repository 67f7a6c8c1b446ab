// Archstairs scene (see effects/archstairs.h).
#include "effects/archstairs.h"
#include "effects/picture.h"

#include "assets/content_names.h"
#include "assets/image.h"
#include "effects/clock_wrap.h"
#include "effects/content.h"
#include "effects/sprites.h"
#include "script/functable.h"

#include <cmath>

namespace {

struct Walker {
    double x; // path position; y is recomputed before every use
    double y;
    double z;
    Figure figure;
};

TiledTexture* s_background = nullptr;
TiledTexture* s_foreground = nullptr; // the scene picture cut out by the mask
Walker s_walkers[ARCHSTAIRS_WALKERS];
double s_puff_clock = 0.0; // puff steps, 5 a second
double s_bob_phase = 0.0;  // radians, 3.141592 a second

} // namespace

int32_t archstairs_init()
{
    s_background = load_picture(content::ARCHSTAIRS_SCENE, nullptr, GL_NEAREST);
    if (!s_background)
        return 0;
    s_foreground = load_picture(content::ARCHSTAIRS_SCENE, content::ARCHSTAIRS_MASK, GL_NEAREST);
    if (!s_foreground)
        return 0;
    for (int32_t j = 0; j < ARCHSTAIRS_WALKERS; ++j) {
        s_walkers[j].x = 1664.0 - (832.0 / 9.0) * j;
        s_walkers[j].z = 0.0;
        s_walkers[j].figure = Figure{0.0, 0.0, 0.0, -45.0};
    }
    return 1;
}

void archstairs_background(int32_t, int32_t, double, double)
{
    draw_background(s_background);
}

void archstairs(int32_t, int32_t, double, double dt)
{
    s_puff_clock = restart_if_broken(s_puff_clock + 5.0 * dt);
    const double n = std::floor(s_puff_clock);
    // (100000 - n) mod 3 as a truncating remainder, taken in double so that
    // no step count can overflow an integer.
    const int32_t k = static_cast<int32_t>(std::fmod(100000.0 - n, 3.0));
    const double f = s_puff_clock - n;
    s_bob_phase += 3.141592 * dt;
    s_bob_phase = wrap_above(s_bob_phase, 6.283184, 6.283184);

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, 1.6, 1, 1024);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslated(-23.75, -28.75, -97.5);
    glRotated(60, 0, 1, 0);

    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);

    const double d = 64.0 * dt;
    for (int32_t j = 0; j < ARCHSTAIRS_WALKERS; ++j) {
        Walker& walker = s_walkers[j];
        walker.x -= d;
        walker.x = wrap_below(walker.x, -128.0, 704.0);
        walker.y = 30.0 * std::sin(j + s_bob_phase) -
                   176.0 * std::cos(((walker.x + 128.0) / 832.0) * 3.141592 * 0.5 + 1.570796);
        glPushMatrix();
        glTranslated(walker.x, walker.y, walker.z);
        draw_ghost_pale(&walker.figure, f, k);
        glPopMatrix();
    }

    // Foreground: blending lets the mask cut it out over the walkers.
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    screen_projection();
    glColor4d(1.0, 1.0, 1.0, 1.0);
    draw_picture(s_foreground);
    glDisable(GL_TEXTURE_2D);
    glPopAttrib();
}

double archstairs_walker_x(int32_t j)
{
    return s_walkers[j].x;
}
