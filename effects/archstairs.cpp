// Archstairs scene (see effects/archstairs.h). Its state is g_effects.archstairs.
#include "effects/archstairs.h"
#include "effects/picture.h"

#include "assets/content_names.h"
#include "assets/image.h"
#include "effects/clock_wrap.h"
#include "effects/content.h"
#include "effects/effects_state.h"
#include "effects/sprites.h"
#include "script/functable.h"

#include <cmath>

int32_t archstairs_init()
{
    ArchstairsState& state = g_effects.archstairs;
    state.background = load_picture(content::ARCHSTAIRS_SCENE, nullptr, GL_NEAREST);
    if (!state.background)
        return 0;
    state.foreground = load_picture(content::ARCHSTAIRS_SCENE, content::ARCHSTAIRS_MASK, GL_NEAREST);
    if (!state.foreground)
        return 0;
    for (int32_t j = 0; j < ARCHSTAIRS_WALKERS; ++j) {
        state.walkers[j].x = 1664.0 - (832.0 / 9.0) * j;
        state.walkers[j].z = 0.0;
        state.walkers[j].figure = Figure{0.0, 0.0, 0.0, -45.0};
    }
    return 1;
}

void archstairs_background(int32_t, int32_t, double, double)
{
    draw_background(g_effects.archstairs.background);
}

void archstairs(int32_t, int32_t, double, double dt)
{
    ArchstairsState& state = g_effects.archstairs;
    state.puffClock = restart_if_broken(state.puffClock + 5.0 * dt);
    const double n = std::floor(state.puffClock);
    // (100000 - n) mod 3 as a truncating remainder, taken in double so that
    // no step count can overflow an integer.
    const int32_t k = static_cast<int32_t>(std::fmod(100000.0 - n, 3.0));
    const double f = state.puffClock - n;
    state.bobPhase += 3.141592 * dt;
    state.bobPhase = wrap_above(state.bobPhase, 6.283184, 6.283184);

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
        ArchstairsWalker& walker = state.walkers[j];
        walker.x -= d;
        walker.x = wrap_below(walker.x, -128.0, 704.0);
        walker.y = 30.0 * std::sin(j + state.bobPhase) -
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
    draw_picture(state.foreground);
    glDisable(GL_TEXTURE_2D);
    glPopAttrib();
}
