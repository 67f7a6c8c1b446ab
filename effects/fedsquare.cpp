// Fedsquare scene (see effects/fedsquare.h).
#include "effects/fedsquare.h"

#include "assets/content_names.h"
#include "base/random.h"
#include "effects/clock_wrap.h"
#include "effects/content.h"
#include "effects/sprites.h"
#include "gfx/texture.h"
#include "script/functable.h"

#include <cmath>

namespace {

struct CrowdEntry {
    double x;
    double bobPhase; // radians
    double z;
    double unused;   // set to 0, never read
    Figure figure;
};

TiledTexture* s_background = nullptr;
CrowdEntry s_crowd[FEDSQUARE_CROWD];
double s_sink = 1048.0;    // height the crowd descends from, down to 0
double s_puff_clock = 0.0; // puff steps, 5 a second

} // namespace

int32_t fedsquare_init()
{
    const EmbeddedFile* file = content_file(content::FEDSQUARE);
    s_background = file ? LoadTexture(file->data, file->length, nullptr, 0, GL_NEAREST) : nullptr;
    if (!s_background)
        return 0;
    for (CrowdEntry& entry : s_crowd) {
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
    s_sink -= 128.0 * dt;
    if (s_sink < 0.0)
        s_sink = 0.0;
    s_puff_clock = restart_if_broken(s_puff_clock + 5.0 * dt);
    const double n = std::floor(s_puff_clock);
    // (100000 - n) mod 3 as a truncating remainder, taken in double so that
    // no step count can overflow an integer.
    const int32_t k = static_cast<int32_t>(std::fmod(100000.0 - n, 3.0));
    const double f = s_puff_clock - n;

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
    if (s_background)
        DrawTiledTexture(s_background);

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
    for (CrowdEntry& entry : s_crowd) {
        entry.bobPhase += d;
        entry.bobPhase = wrap_above(entry.bobPhase, 6.283184, 6.283184);
        glPushMatrix();
        glTranslated(entry.x, 64.0 * std::sin(entry.bobPhase) + s_sink, entry.z);
        draw_ghost_pale(&entry.figure, f, k);
        glPopMatrix();
    }
    glPopAttrib();
}
