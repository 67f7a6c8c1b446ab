// Basic routines: solid screens, the depth clear, the sample wipe transitions,
// the two test layers and three small init routines. The state lives in the
// file-scope variables below, set at program start; only the transition init
// hooks reset anything.
#include "effects/basic.h"

#include "assets/content_names.h"
#include "effects/clock_wrap.h"
#include "effects/content.h"
#include "gfx/texture.h"
#include "platform/gl.h"
#include "platform/gl_proc.h"
#include "script/timeline.h"

#include <cmath>
#include <new>

namespace {

// The entry points init_multitexture fetches. No routine calls them; they
// make start-up fail on a driver without ARB multitexture.
using ActiveTextureProc = void (*)(GLenum);
using MultiTexCoord2fProc = void (*)(GLenum, GLfloat, GLfloat);
using ClientActiveTextureProc = void (*)(GLenum);

// Alpha-test reference of the sample transitions, 0 to 1.
float s_transition_threshold = 0.0f;
// Moves the test squares: grows by 300 per transition length while a sample
// transition hook runs.
float s_slide_offset = 0.0f;
// 512x512 mask; only its alpha is used. Null until test_init found one.
TiledTexture* s_wipe_mask = nullptr;
Spinner* s_spinner_a = nullptr;
Spinner* s_spinner_b = nullptr;
ActiveTextureProc s_glActiveTextureARB = nullptr;
MultiTexCoord2fProc s_glMultiTexCoord2fARB = nullptr;
ClientActiveTextureProc s_glClientActiveTextureARB = nullptr;

// Milliseconds to seconds, in single precision as the transitions use it.
constexpr float MS_TO_SECONDS = 0.001f;
// Width of the slide of the test squares over one transition, view units.
constexpr double SLIDE_PER_TRANSITION = 300.0;
constexpr double TWO_PI = 6.283184;

// black and white: one opaque quad over the 1024x768 space.
void fill_screen(double red, double green, double blue)
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1024, 768, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4d(red, green, blue, 1.0);
    glBegin(GL_QUADS);
    glVertex2i(0, 0);
    glVertex2i(1024, 0);
    glVertex2i(1024, 768);
    glVertex2i(0, 768);
    glEnd();
    glPopAttrib();
}

// One step of a sample transition: the slide moves, the mask is drawn in
// black where its alpha passes `alphaFunc` against the threshold, then the
// threshold moves on. A transition length of 0 or less is an instant
// transition: the threshold jumps to 1 and the slide makes its whole 300
// units in that same call, so nothing is ever divided by zero.
void sample_transition_step(double dt, GLenum alphaFunc)
{
    const SceneRecord* scene = GetCurrentScene();
    int32_t length = scene ? scene->transitionLength : 0;
    float s = static_cast<float>(dt);
    bool instant = length <= 0;
    double seconds = length * static_cast<double>(MS_TO_SECONDS);

    if (!instant)
        s_slide_offset = static_cast<float>(s_slide_offset + s * SLIDE_PER_TRANSITION / seconds);
    else if (s_transition_threshold < 1.0f)
        s_slide_offset = static_cast<float>(s_slide_offset + SLIDE_PER_TRANSITION);

    // Without a mask (test_init did not find one) there is nothing to draw.
    if (s_wipe_mask && s_wipe_mask->width > 0 && s_wipe_mask->height > 0) {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glDisable(GL_BLEND);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 1024, 768, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glScalef(1024.0f / static_cast<float>(s_wipe_mask->width), 768.0f / static_cast<float>(s_wipe_mask->height),
                 1.0f);
        glDisable(GL_CULL_FACE);
        glDisable(GL_LIGHTING);
        glEnable(GL_TEXTURE_2D);
        glColor4d(0.0, 0.0, 0.0, 1.0);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(alphaFunc, s_transition_threshold);
        DrawTiledTexture(s_wipe_mask);
        glPopAttrib();
    }

    if (!instant)
        s_transition_threshold = static_cast<float>(s_transition_threshold + s / seconds);
    else
        s_transition_threshold = 1.0f;
    if (s_transition_threshold > 1.0f)
        s_transition_threshold = 1.0f;
}

// test and test2: the states and the 400x300 view of the test layers.
void begin_test_layer()
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-200, 200, 150, -150, -1, 1);
}

} // namespace

void black(int32_t, int32_t, double, double)
{
    fill_screen(0.0, 0.0, 0.0);
}

void white(int32_t, int32_t, double, double)
{
    fill_screen(1.0, 1.0, 1.0);
}

void clear_depth(int32_t, int32_t, double, double)
{
    glClear(GL_DEPTH_BUFFER_BIT);
}

void sample_transition_pre(int32_t, int32_t, double, double dt)
{
    // Mask alpha below the threshold is painted black.
    sample_transition_step(dt, GL_LESS);
}

void sample_transition_post(int32_t, int32_t, double, double dt)
{
    // Mask alpha at or above the threshold is still painted black.
    sample_transition_step(dt, GL_GEQUAL);
}

void sample_transition_pre_init()
{
    s_transition_threshold = 0.0f;
}

void sample_transition_post_init()
{
    s_transition_threshold = 0.0f;
    s_slide_offset = 0.0f;
}

int32_t test_init()
{
    s_spinner_a = new (std::nothrow) Spinner{0.0f, 1.0, 0.0, 1.0, 0.5, 0.0};
    if (!s_spinner_a)
        return 0;
    s_spinner_b = new (std::nothrow) Spinner{0.0f, 1.0, 1.0, 0.0, 0.5, 0.0};
    if (!s_spinner_b)
        return 0;
    // A missing or refused mask is not a failure: the transitions then draw
    // nothing.
    const EmbeddedFile* mask = content_file(content::WIPE_MASK);
    s_wipe_mask = mask ? LoadTGATexture(mask->data, GL_NEAREST, mask->length) : nullptr;
    return 1;
}

void test(int32_t, int32_t, double, double dt)
{
    if (!s_spinner_a) // test_init has not run
        return;
    begin_test_layer();
    s_spinner_a->xOffset = -s_slide_offset;
    draw_spinner(s_spinner_a, dt);
    glPopAttrib();
}

void test2(int32_t, int32_t, double, double dt)
{
    if (!s_spinner_b) // test_init has not run
        return;
    begin_test_layer();
    s_spinner_b->xOffset = 300.0f - s_slide_offset;
    draw_spinner(s_spinner_b, dt * 0.1f);
    glPopAttrib();
}

void draw_spinner(Spinner* spinner, double delta)
{
    spinner->phase += delta;
    spinner->phase = wrap_above(spinner->phase, TWO_PI, TWO_PI);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(spinner->xOffset, 0.0f, 0.0f);
    glRotated(std::sin(spinner->phase) * 360.0, 0.0, 0.0, 1.0);
    glColor4d(spinner->red, spinner->green, spinner->blue, spinner->alpha);
    glBegin(GL_QUADS);
    glVertex2d(-50.0, -50.0);
    glVertex2d(50.0, -50.0);
    glVertex2d(50.0, 50.0);
    glVertex2d(-50.0, 50.0);
    glEnd();
}

int32_t cpp_init()
{
    return 1;
}

int32_t init_multitexture()
{
    // The lookup alone cannot fail here (any name yields an address), so
    // the driver must also list the extension.
    if (!gl_has_extension("GL_ARB_multitexture"))
        return 0;
    s_glActiveTextureARB = reinterpret_cast<ActiveTextureProc>(gl_get_proc_address("glActiveTextureARB"));
    s_glMultiTexCoord2fARB = reinterpret_cast<MultiTexCoord2fProc>(gl_get_proc_address("glMultiTexCoord2fARB"));
    s_glClientActiveTextureARB =
        reinterpret_cast<ClientActiveTextureProc>(gl_get_proc_address("glClientActiveTextureARB"));
    return s_glActiveTextureARB && s_glMultiTexCoord2fARB && s_glClientActiveTextureARB ? 1 : 0;
}

float sample_transition_threshold()
{
    return s_transition_threshold;
}

float sample_transition_slide_offset()
{
    return s_slide_offset;
}

const TiledTexture* sample_transition_wipe_mask()
{
    return s_wipe_mask;
}
