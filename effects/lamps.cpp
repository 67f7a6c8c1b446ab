// Lamps scene and the figure textures (see effects/lamps.h). Their state is
// g_effects.lamps.
#include "effects/lamps.h"
#include "effects/picture.h"

#include "assets/content_names.h"
#include "assets/image.h"
#include "base/random.h"
#include "effects/clock_wrap.h"
#include "effects/content.h"
#include "effects/effects_state.h"
#include "script/functable.h"
#include "script/timeline.h"

#include <cmath>
#include <cstdio>

namespace {

// The named picture as a mipmapped white texture with its grey level as
// alpha; 0 when the file is missing or does not decode.
GLuint build_figure_texture(const char* name)
{
    const EmbeddedFile* file = content_file(name);
    if (!file)
        return 0;
    int32_t width = 0;
    int32_t height = 0;
    uint8_t* pixels = DecodeImage(file->data, file->length, &width, &height);
    if (!pixels)
        return 0;
    return build_mip_texture(pixels, width, height);
}

// One fog pass: every puff gets its own batch; only the puffs of this pass
// (negative x in the first, x of 0 or more in the second) emit a billboard.
// The first pass also drifts the puffs by s.
void draw_fog(const float* m, bool firstPass, float s)
{
    LampsState& state = g_effects.lamps;
    for (LampsFogPuff& puff : state.fog) {
        const GLuint texture = state.puffTextures[puff.kind];
        glBindTexture(GL_TEXTURE_2D, texture);
        glBegin(GL_QUADS);
        if (firstPass) {
            puff.z += s;
            if (puff.z > 256.0f)
                puff.z -= 1024.0f;
        }
        glColor4d(1.0, 1.0, 1.0, (puff.z + 768.0) * state.fogFade / 1024.0);
        const bool mine = firstPass ? puff.x < 0.0f : puff.x >= 0.0f;
        if (mine && texture != 0) {
            emit_billboard(m, puff.x, puff.y, puff.z, 64.0f);
            puff.passes |= firstPass ? 1 : 2;
        }
        glEnd();
    }
}

} // namespace

int32_t lamps_init()
{
    LampsState& state = g_effects.lamps;
    state.background = load_picture(content::LAMPS_SCENE, content::LAMPS_TRANSITION_MAP, GL_NEAREST);
    state.foreground = load_picture(content::LAMPS_SCENE, content::LAMPS_MASK, GL_NEAREST);
    if (!state.background || !state.foreground)
        return 0;
    state.transitionMap = load_picture(nullptr, content::LAMPS_TRANSITION_MAP, GL_NEAREST);
    if (!state.transitionMap)
        return 0;

    for (int32_t p = 0; p < FIGURE_PUFF_TEXTURES; ++p) {
        char name[64];
        std::snprintf(name, sizeof name, content::SMOKE_PUFF_FORMAT, p);
        state.puffTextures[p] = build_figure_texture(name);
        if (state.puffTextures[p] == 0)
            return 0;
    }
    state.dotTexture = build_figure_texture(content::DOT);
    if (state.dotTexture == 0)
        return 0;

    // Four draws per puff, in this order: kind, x, y, z.
    for (LampsFogPuff& puff : state.fog) {
        puff.kind = demo_rand() % 3;
        puff.x = static_cast<float>(50 - demo_rand() % 100);
        puff.y = static_cast<float>(50 - demo_rand() % 100);
        puff.z = static_cast<float>(256 - demo_rand() % 1024);
    }

    for (int32_t j = 0; j < LAMPS_PROCESSION; ++j)
        state.procession[j] = Figure{0.0, 0.0, -2048.0 + 512.0 * j / 3.0, 0.0};
    state.bigGhost = Figure{0.0, 0.0, 16.0, -80.0};
    return 1;
}

void lamps_background(int32_t, int32_t, double, double)
{
    draw_background(g_effects.lamps.background);
}

void lamps(int32_t, int32_t, double t, double dt)
{
    LampsState& state = g_effects.lamps;
    // Clocks.
    if (state.firstCall < 0.0)
        state.firstCall = t;
    state.puffClock = restart_if_broken(state.puffClock + 5.0 * dt);
    const double n = std::floor(state.puffClock);
    // (100000 - n) mod 3 as a truncating remainder, taken in double so that
    // no step count can overflow an integer.
    const int32_t k = static_cast<int32_t>(std::fmod(100000.0 - n, 3.0));
    const double f = state.puffClock - n;
    state.fogFade += 0.1 * dt;
    if (state.fogFade > 1.0)
        state.fogFade = 1.0;
    state.bobPhase += 3.141592 * dt;
    if (state.bobPhase > 6.283184)
        state.bobPhase -= 6.283184;
    state.lightPhase += 1.570796 * dt;
    state.lightPhase = wrap_above(state.lightPhase, 6.283184, 6.283184);

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    screen_projection();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);

    // Red lights, in pairs.
    draw_light_2d(189, 535, 3.0, state.lightPhase);
    draw_light_2d(197, 528, 3.0, state.lightPhase);
    draw_light_2d(30, 531, 2.5, state.lightPhase - 0.785398);
    draw_light_2d(36, 531, 2.5, state.lightPhase - 0.785398);
    draw_light_2d(47, 458, 4.0, state.lightPhase + 0.785398);
    draw_light_2d(61, 459, 4.0, state.lightPhase + 0.785398);
    draw_light_2d(56, 507, 3.0, state.lightPhase + 1.570796);
    draw_light_2d(64, 504, 3.0, state.lightPhase + 1.570796);

    // Camera.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, 1.6, 1, 1024);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(-30, 1, 0, 0);
    glTranslatef(0, 50, -200);
    glRotatef(50, 0, 1, 0);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);

    // Fog behind the procession: puffs with negative x.
    for (LampsFogPuff& puff : state.fog)
        puff.passes = 0;
    draw_fog(m, true, static_cast<float>(50.0 * dt));

    // Procession.
    const double d = 150.0 * dt;
    for (int32_t j = 0; j < LAMPS_PROCESSION; ++j) {
        Figure& figure = state.procession[j];
        figure.z += d;
        figure.y = 10.0 * std::sin(1.0471973333 * j + state.bobPhase);
        // A figure that passes the far end starts again 1024 units back,
        // facing ahead.
        const double wrappedZ = wrap_above(figure.z, 256.0, 1024.0);
        if (wrappedZ != figure.z) {
            figure.z = wrappedZ;
            figure.heading = 0.0;
        }
        if (figure.z > -128.0) {
            figure.heading -= 45.0 * dt;
            if (figure.heading < -90.0)
                figure.heading = -90.0;
        }
        glPushMatrix();
        glTranslated(0.0, 0.0, figure.z);
        draw_ghost(&figure, f, k);
        glPopMatrix();
    }

    // Big ghost, once the scene has run for 14.945 s.
    if (t - state.firstCall > 14.945) {
        state.rise += 25.0 * dt;
        if (state.rise > 23.0f)
            state.rise = 23.0f;
        glPushMatrix();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRotatef(-30, 1, 0, 0);
        glTranslatef(0, static_cast<float>(2.0 * std::sin(state.bobPhase) + state.rise), -50);
        glRotatef(50, 0, 1, 0);
        glTranslated(0.0, 0.0, state.bigGhost.z);
        draw_ghost(&state.bigGhost, f, k);
        glPopMatrix();
    }

    // Fog in front: puffs with x of 0 or more.
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    draw_fog(m, false, 0.0f);

    // Foreground.
    screen_projection();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glColor4d(1.0, 1.0, 1.0, 1.0);
    draw_picture(state.foreground);
    glDisable(GL_TEXTURE_2D);
    glPopAttrib();
}

void lamps_transition_pre_init()
{
    g_effects.lamps.threshold = 0.0;
}

void lamps_transition_pre(int32_t, int32_t, double, double dt)
{
    LampsState& state = g_effects.lamps;
    const SceneRecord* scene = GetCurrentScene();

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    screen_projection();
    glColor4d(0.0, 0.0, 0.0, 1.0);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_LESS, static_cast<float>(state.threshold));
    draw_picture(state.transitionMap);
    glDisable(GL_TEXTURE_2D);
    glPopAttrib();

    // A transition of no length is instant: the next frame is black.
    const int32_t length = scene ? scene->transitionLength : 0;
    if (length > 0)
        state.threshold += dt / (length * 0.001);
    else
        state.threshold = 1.0;
    if (state.threshold > 1.0)
        state.threshold = 1.0;
}
