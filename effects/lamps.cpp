// Lamps scene and the figure textures (see effects/lamps.h).
#include "effects/lamps.h"
#include "effects/picture.h"

#include "assets/content_names.h"
#include "assets/image.h"
#include "base/random.h"
#include "effects/clock_wrap.h"
#include "effects/content.h"
#include "script/functable.h"
#include "script/timeline.h"

#include <cmath>
#include <cstdio>

GLuint g_figure_dot_texture = 0;
GLuint g_figure_puff_textures[FIGURE_PUFF_TEXTURES] = {0, 0, 0};

namespace {

TiledTexture* s_background = nullptr;     // scene picture (its alpha, the transition map, is not used)
TiledTexture* s_foreground = nullptr;     // scene picture cut out by the mask
TiledTexture* s_transition_map = nullptr; // white, the map's grey level as alpha

// Fog puffs: texture, position. z drifts towards the camera and wraps.
int32_t s_fog_kind[LAMPS_FOG_PUFFS];
float s_fog_x[LAMPS_FOG_PUFFS];
float s_fog_y[LAMPS_FOG_PUFFS];
float s_fog_z[LAMPS_FOG_PUFFS];
// Which passes of the last lamps call emitted each puff (bit 0 first, bit 1 second).
int32_t s_fog_passes[LAMPS_FOG_PUFFS];

Figure s_procession[LAMPS_PROCESSION];
Figure s_big_ghost = {0.0, 0.0, 16.0, -80.0};

double s_first_call = -1.0;  // t of the first lamps call; negative until then
double s_puff_clock = 0.0;   // puff steps, 5 a second
double s_fog_fade = 0.0;     // fog opacity factor, 0 to 1
double s_bob_phase = 0.0;    // radians, 3.141592 a second
double s_light_phase = 0.0;  // radians, 1.570796 a second
float s_rise = -100.0f;      // the big ghost's height offset, up to 23
double s_threshold = 0.0;    // alpha reference of the lead-out transition

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
    for (int32_t i = 0; i < LAMPS_FOG_PUFFS; ++i) {
        glBindTexture(GL_TEXTURE_2D, g_figure_puff_textures[s_fog_kind[i]]);
        glBegin(GL_QUADS);
        if (firstPass) {
            s_fog_z[i] += s;
            if (s_fog_z[i] > 256.0f)
                s_fog_z[i] -= 1024.0f;
        }
        glColor4d(1.0, 1.0, 1.0, (s_fog_z[i] + 768.0) * s_fog_fade / 1024.0);
        const bool mine = firstPass ? s_fog_x[i] < 0.0f : s_fog_x[i] >= 0.0f;
        if (mine && g_figure_puff_textures[s_fog_kind[i]] != 0) {
            emit_billboard(m, s_fog_x[i], s_fog_y[i], s_fog_z[i], 64.0f);
            s_fog_passes[i] |= firstPass ? 1 : 2;
        }
        glEnd();
    }
}

} // namespace

int32_t lamps_init()
{
    s_background = load_picture(content::LAMPS_SCENE, content::LAMPS_TRANSITION_MAP, GL_NEAREST);
    s_foreground = load_picture(content::LAMPS_SCENE, content::LAMPS_MASK, GL_NEAREST);
    if (!s_background || !s_foreground)
        return 0;
    s_transition_map = load_picture(nullptr, content::LAMPS_TRANSITION_MAP, GL_NEAREST);
    if (!s_transition_map)
        return 0;

    for (int32_t p = 0; p < FIGURE_PUFF_TEXTURES; ++p) {
        char name[64];
        std::snprintf(name, sizeof name, content::SMOKE_PUFF_FORMAT, p);
        g_figure_puff_textures[p] = build_figure_texture(name);
        if (g_figure_puff_textures[p] == 0)
            return 0;
    }
    g_figure_dot_texture = build_figure_texture(content::DOT);
    if (g_figure_dot_texture == 0)
        return 0;

    // Four draws per puff, in this order: kind, x, y, z.
    for (int32_t i = 0; i < LAMPS_FOG_PUFFS; ++i) {
        s_fog_kind[i] = demo_rand() % 3;
        s_fog_x[i] = static_cast<float>(50 - demo_rand() % 100);
        s_fog_y[i] = static_cast<float>(50 - demo_rand() % 100);
        s_fog_z[i] = static_cast<float>(256 - demo_rand() % 1024);
    }

    for (int32_t j = 0; j < LAMPS_PROCESSION; ++j)
        s_procession[j] = Figure{0.0, 0.0, -2048.0 + 512.0 * j / 3.0, 0.0};
    s_big_ghost = Figure{0.0, 0.0, 16.0, -80.0};
    return 1;
}

void lamps_background(int32_t, int32_t, double, double)
{
    draw_background(s_background);
}

void lamps(int32_t, int32_t, double t, double dt)
{
    // Clocks.
    if (s_first_call < 0.0)
        s_first_call = t;
    s_puff_clock = restart_if_broken(s_puff_clock + 5.0 * dt);
    const double n = std::floor(s_puff_clock);
    // (100000 - n) mod 3 as a truncating remainder, taken in double so that
    // no step count can overflow an integer.
    const int32_t k = static_cast<int32_t>(std::fmod(100000.0 - n, 3.0));
    const double f = s_puff_clock - n;
    s_fog_fade += 0.1 * dt;
    if (s_fog_fade > 1.0)
        s_fog_fade = 1.0;
    s_bob_phase += 3.141592 * dt;
    if (s_bob_phase > 6.283184)
        s_bob_phase -= 6.283184;
    s_light_phase += 1.570796 * dt;
    s_light_phase = wrap_above(s_light_phase, 6.283184, 6.283184);

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    screen_projection();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);

    // Red lights, in pairs.
    draw_light_2d(189, 535, 3.0, s_light_phase);
    draw_light_2d(197, 528, 3.0, s_light_phase);
    draw_light_2d(30, 531, 2.5, s_light_phase - 0.785398);
    draw_light_2d(36, 531, 2.5, s_light_phase - 0.785398);
    draw_light_2d(47, 458, 4.0, s_light_phase + 0.785398);
    draw_light_2d(61, 459, 4.0, s_light_phase + 0.785398);
    draw_light_2d(56, 507, 3.0, s_light_phase + 1.570796);
    draw_light_2d(64, 504, 3.0, s_light_phase + 1.570796);

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
    for (int32_t& passes : s_fog_passes)
        passes = 0;
    draw_fog(m, true, static_cast<float>(50.0 * dt));

    // Procession.
    const double d = 150.0 * dt;
    for (int32_t j = 0; j < LAMPS_PROCESSION; ++j) {
        Figure& figure = s_procession[j];
        figure.z += d;
        figure.y = 10.0 * std::sin(1.0471973333 * j + s_bob_phase);
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
    if (t - s_first_call > 14.945) {
        s_rise += 25.0 * dt;
        if (s_rise > 23.0f)
            s_rise = 23.0f;
        glPushMatrix();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRotatef(-30, 1, 0, 0);
        glTranslatef(0, static_cast<float>(2.0 * std::sin(s_bob_phase) + s_rise), -50);
        glRotatef(50, 0, 1, 0);
        glTranslated(0.0, 0.0, s_big_ghost.z);
        draw_ghost(&s_big_ghost, f, k);
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
    draw_picture(s_foreground);
    glDisable(GL_TEXTURE_2D);
    glPopAttrib();
}

void lamps_transition_pre_init()
{
    s_threshold = 0.0;
}

void lamps_transition_pre(int32_t, int32_t, double, double dt)
{
    const SceneRecord* scene = GetCurrentScene();

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    screen_projection();
    glColor4d(0.0, 0.0, 0.0, 1.0);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_LESS, static_cast<float>(s_threshold));
    draw_picture(s_transition_map);
    glDisable(GL_TEXTURE_2D);
    glPopAttrib();

    // A transition of no length is instant: the next frame is black.
    const int32_t length = scene ? scene->transitionLength : 0;
    if (length > 0)
        s_threshold += dt / (length * 0.001);
    else
        s_threshold = 1.0;
    if (s_threshold > 1.0)
        s_threshold = 1.0;
}

LampsFogPuff lamps_fog_puff(int32_t i)
{
    return LampsFogPuff{s_fog_kind[i], s_fog_x[i], s_fog_y[i], s_fog_z[i], s_fog_passes[i]};
}

const Figure* lamps_figure(int32_t j)
{
    return j == LAMPS_PROCESSION ? &s_big_ghost : &s_procession[j];
}

float lamps_big_ghost_rise()
{
    return s_rise;
}
