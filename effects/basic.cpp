// Basic routines: solid screens, the depth clear, the sample wipe transitions,
// the two test layers and three small init routines. Their state is
// g_effects.basic.
#include "effects/basic.h"

#include "assets/content_names.h"
#include "effects/clock_wrap.h"
#include "effects/content.h"
#include "effects/effects_state.h"
#include "gfx/texture.h"
#include "platform/gl.h"
#include "platform/gl_proc.h"
#include "script/timeline.h"

#include <cmath>

namespace {

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
    BasicState& state = g_effects.basic;
    const SceneRecord* scene = GetCurrentScene();
    int32_t length = scene ? scene->transitionLength : 0;
    float s = static_cast<float>(dt);
    bool instant = length <= 0;
    double seconds = length * static_cast<double>(MS_TO_SECONDS);

    if (!instant)
        state.slideOffset = static_cast<float>(state.slideOffset + s * SLIDE_PER_TRANSITION / seconds);
    else if (state.transitionThreshold < 1.0f)
        state.slideOffset = static_cast<float>(state.slideOffset + SLIDE_PER_TRANSITION);

    // Without a mask (test_init did not find one) there is nothing to draw.
    if (state.wipeMask && state.wipeMask->width > 0 && state.wipeMask->height > 0) {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glDisable(GL_BLEND);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 1024, 768, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glScalef(1024.0f / static_cast<float>(state.wipeMask->width),
                 768.0f / static_cast<float>(state.wipeMask->height), 1.0f);
        glDisable(GL_CULL_FACE);
        glDisable(GL_LIGHTING);
        glEnable(GL_TEXTURE_2D);
        glColor4d(0.0, 0.0, 0.0, 1.0);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(alphaFunc, state.transitionThreshold);
        DrawTiledTexture(state.wipeMask);
        glPopAttrib();
    }

    if (!instant)
        state.transitionThreshold = static_cast<float>(state.transitionThreshold + s / seconds);
    else
        state.transitionThreshold = 1.0f;
    if (state.transitionThreshold > 1.0f)
        state.transitionThreshold = 1.0f;
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
    g_effects.basic.transitionThreshold = 0.0f;
}

void sample_transition_post_init()
{
    g_effects.basic.transitionThreshold = 0.0f;
    g_effects.basic.slideOffset = 0.0f;
}

int32_t test_init()
{
    BasicState& state = g_effects.basic;
    state.spinnerA = BasicState{}.spinnerA;
    state.spinnerB = BasicState{}.spinnerB;
    state.spinnersMade = true;
    // A missing or refused mask is not a failure: the transitions then draw
    // nothing.
    const EmbeddedFile* mask = content_file(content::WIPE_MASK);
    state.wipeMask = mask ? LoadTGATexture(mask->data, GL_NEAREST, mask->length) : nullptr;
    return 1;
}

void test(int32_t, int32_t, double, double dt)
{
    BasicState& state = g_effects.basic;
    if (!state.spinnersMade) // test_init has not run
        return;
    begin_test_layer();
    state.spinnerA.xOffset = -state.slideOffset;
    draw_spinner(&state.spinnerA, dt);
    glPopAttrib();
}

void test2(int32_t, int32_t, double, double dt)
{
    BasicState& state = g_effects.basic;
    if (!state.spinnersMade) // test_init has not run
        return;
    begin_test_layer();
    state.spinnerB.xOffset = 300.0f - state.slideOffset;
    draw_spinner(&state.spinnerB, dt * 0.1f);
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
    BasicState& state = g_effects.basic;
    state.glActiveTextureARB = reinterpret_cast<ActiveTextureProc>(gl_get_proc_address("glActiveTextureARB"));
    state.glMultiTexCoord2fARB = reinterpret_cast<MultiTexCoord2fProc>(gl_get_proc_address("glMultiTexCoord2fARB"));
    state.glClientActiveTextureARB =
        reinterpret_cast<ClientActiveTextureProc>(gl_get_proc_address("glClientActiveTextureARB"));
    return state.glActiveTextureARB && state.glMultiTexCoord2fARB && state.glClientActiveTextureARB ? 1 : 0;
}
