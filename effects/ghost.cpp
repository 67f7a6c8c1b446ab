// Ghost scene (see effects/ghost.h). Its state is g_effects.ghost.
#include "effects/ghost.h"

#include "effects/clock_wrap.h"
#include "effects/effects_state.h"
#include "effects/sprites.h"
#include "script/functable.h"

#include <cmath>

int32_t ghost_init()
{
    g_effects.ghost.figure = Figure{0.0, 0.0, 0.0, 0.0};
    g_effects.ghost.figureMade = true;
    return 1;
}

void ghost_test(int32_t, int32_t, double, double dt)
{
    GhostState& state = g_effects.ghost;
    state.stepClock = restart_if_broken(state.stepClock + dt);
    const double n = std::floor(state.stepClock);
    // (1000 - n) mod 3 as a truncating remainder: negative after 1000 steps.
    const int32_t k = static_cast<int32_t>(std::fmod(1000.0 - n, 3.0));
    const double f = state.stepClock - n;

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, 1.6, 1, 1024);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -50);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);

    if (state.figureMade)
        draw_ghost(&state.figure, f, k);
    glPopAttrib();
}
