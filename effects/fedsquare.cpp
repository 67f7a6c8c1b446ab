// Fedsquare scene (see effects/fedsquare.h). Its state is g_effects.fedsquare.
#include "effects/fedsquare.h"

#include "assets/content_names.h"
#include "base/random.h"
#include "effects/clock_wrap.h"
#include "effects/content.h"
#include "effects/effects_state.h"
#include "effects/sprites.h"
#include "gfx/texture.h"
#include "script/functable.h"

#include <cmath>

int32_t fedsquare_init()
{
    FedsquareState& state = g_effects.fedsquare;
    const EmbeddedFile* file = content_file(content::FEDSQUARE);
    state.background = file ? LoadTexture(file->data, file->length, nullptr, 0, GL_NEAREST) : nullptr;
    if (!state.background)
        return 0;
    for (FedsquareCrowdEntry& entry : state.crowd) {
        entry.figure = Figure{0.0, 0.0, 0.0, 0.0};
        const int32_t r1 = demo_rand();
        const int32_t r2 = demo_rand();
        const int32_t r3 = demo_rand();
        entry.x = (r1 / 32767.0 - 0.5) * 512.0;
        entry.bobPhase = r2 / 32767.0 * 6.283184;
        entry.z = r3 / 32767.0 * -384.0 - 128.0;
        entry.unused = 0.0;
    }
    return 1;
}

void fedsquare(int32_t, int32_t, double, double dt)
{
    FedsquareState& state = g_effects.fedsquare;
    state.sink -= 128.0 * dt;
    if (state.sink < 0.0)
        state.sink = 0.0;
    state.puffClock = restart_if_broken(state.puffClock + 5.0 * dt);
    const double n = std::floor(state.puffClock);
    // (100000 - n) mod 3 as a truncating remainder, taken in double so that
    // no step count can overflow an integer.
    const int32_t k = static_cast<int32_t>(std::fmod(100000.0 - n, 3.0));
    const double f = state.puffClock - n;

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1024, 640, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4d(1.0, 1.0, 1.0, 1.0);
    if (state.background)
        DrawTiledTexture(state.background);

    // The crowd, in crowd order with no hiding (depth testing stays off).
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, 1.6, 1, 1024);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);

    const double d = 1.570796 * dt;
    for (FedsquareCrowdEntry& entry : state.crowd) {
        entry.bobPhase += d;
        entry.bobPhase = wrap_above(entry.bobPhase, 6.283184, 6.283184);
        glPushMatrix();
        glTranslated(entry.x, 64.0 * std::sin(entry.bobPhase) + state.sink, entry.z);
        draw_ghost_pale(&entry.figure, f, k);
        glPopMatrix();
    }
    glPopAttrib();
}
