// Ghost scene (see effects/ghost.h).
#include "effects/ghost.h"
#include "effects/clock_wrap.h"

#include "effects/sprites.h"
#include "script/functable.h"

#include <cmath>
#include <new>

namespace {

Figure* s_ghost = nullptr;  // made by ghost_init
double s_step_clock = 0.0;  // puff steps, one a second

} // namespace

int32_t ghost_init()
{
    Figure* figure = new (std::nothrow) Figure;
    if (!figure)
        return 0;
    figure->x = 0.0;
    figure->y = 0.0;
    figure->z = 0.0;
    figure->heading = 0.0;
    s_ghost = figure;
    return 1;
}

void ghost_test(int32_t, int32_t, double, double dt)
{
    s_step_clock = restart_if_broken(s_step_clock + dt);
    const double n = std::floor(s_step_clock);
    // (1000 - n) mod 3 as a truncating remainder: negative after 1000 steps.
    const int32_t k = static_cast<int32_t>(std::fmod(1000.0 - n, 3.0));
    const double f = s_step_clock - n;

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

    if (s_ghost)
        draw_ghost(s_ghost, f, k);
    glPopAttrib();
}
