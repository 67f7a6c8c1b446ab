// Backgrounds and overlays: the window background, the face overlay and the
// logo sequence. Each per-frame routine brackets its drawing with a push and
// pop of all attributes and loads its own 2D projection (y down); the
// matrices are left as the routine set them. Their state is g_effects.overlays.
#include "effects/overlays.h"

#include "assets/content_names.h"
#include "effects/clock_wrap.h"
#include "effects/content.h"
#include "effects/effects_state.h"
#include "gfx/texture.h"
#include "platform/gl.h"
#include "script/functable.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr double WINDOW_START_DELAY = 11.596; // seconds after the first call
constexpr double WINDOW_FRAME_RATE = 8.0;     // pictures a second
constexpr double WINDOW_LOOP = 12.0;          // pictures in the loop
constexpr double TWO_PI = 6.283184;
// The face phase wraps 0.02 below zero rather than to zero.
constexpr double FACE_WRAP = 6.303184;
constexpr double PI = 3.141592;

// The states every layer here draws with, and a width x height view with y
// down. Texturing is on for the pictures.
void begin_layer(double width, double height)
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Draws a picture that may be missing (a failed or absent init): nothing then.
void draw_picture(const TiledTexture* picture)
{
    if (picture)
        DrawTiledTexture(picture);
}

} // namespace

int32_t background_window_init()
{
    OverlaysState& state = g_effects.overlays;
    // Each call loads the whole loop afresh: slots after a failed load stay
    // empty.
    for (TiledTexture*& frame : state.windowFrames)
        frame = nullptr;
    for (int i = 0; i < content::WINDOW_FRAMES; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, content::WINDOW_FRAME_FORMAT, i);
        const EmbeddedFile* file = content_file(name);
        if (!file)
            return 0;
        state.windowFrames[i] = LoadTexture(file->data, file->length, nullptr, 0, GL_LINEAR);
        if (!state.windowFrames[i])
            return 0;
    }
    return 1;
}

int32_t overlay_face_init()
{
    const EmbeddedFile* mask = content_file(content::FACE_MASK);
    if (!mask)
        return 0;
    g_effects.overlays.faceMask = LoadTexture(nullptr, 0, mask->data, mask->length, GL_NEAREST);
    return g_effects.overlays.faceMask ? 1 : 0;
}

int32_t overlay_logo_init()
{
    const EmbeddedFile* colour = content_file(content::LOGO);
    const EmbeddedFile* alpha = content_file(content::LOGO_ALPHA);
    // Both pictures are needed: without its alpha the logo would show as an
    // opaque rectangle.
    if (!colour || !alpha)
        return 0;
    g_effects.overlays.logo = LoadTexture(colour->data, colour->length, alpha->data, alpha->length, GL_NEAREST);
    return g_effects.overlays.logo ? 1 : 0;
}

void background_window(int32_t, int32_t, double t, double dt)
{
    OverlaysState& state = g_effects.overlays;
    if (state.windowFirstCall < 0.0)
        state.windowFirstCall = t;
    if (t - state.windowFirstCall < WINDOW_START_DELAY)
        return;

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    state.windowPhase += WINDOW_FRAME_RATE * dt;
    // A negative dt (a clock stepping back) must not take the frame index
    // below 0, nor a broken one past the last picture.
    state.windowPhase = wrap_into(state.windowPhase, 0.0, WINDOW_LOOP);
    int i = static_cast<int>(std::floor(state.windowPhase));
    double f = state.windowPhase - i;

    begin_layer(512, 320);
    glColor4d(1.0, 1.0, 1.0, 1.0);
    draw_picture(state.windowFrames[i]);
    glColor4d(1.0, 1.0, 1.0, f);
    draw_picture(state.windowFrames[(i + 1) % content::WINDOW_FRAMES]);
    glDisable(GL_TEXTURE_2D);
    glPopAttrib();
}

void overlay_face(int32_t, int32_t, double, double dt)
{
    OverlaysState& state = g_effects.overlays;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    state.facePhase += dt;
    state.facePhase = wrap_above(state.facePhase, TWO_PI, FACE_WRAP);
    double a = 0.2 * std::sin(state.facePhase) + 0.2;

    begin_layer(1024, 640);
    glTranslatef(256.0f, 128.0f, 0.0f);
    glColor4d(0.0, 0.0, 0.0, a);
    draw_picture(state.faceMask);
    glDisable(GL_TEXTURE_2D);

    // The frame around the mask: top, left and right bands. The top band
    // overlaps the mask's first row.
    glLoadIdentity();
    glBegin(GL_QUADS);
    glVertex2i(0, 0);
    glVertex2i(1024, 0);
    glVertex2i(1024, 129);
    glVertex2i(0, 129);
    glVertex2i(0, 129);
    glVertex2i(256, 129);
    glVertex2i(256, 640);
    glVertex2i(0, 640);
    glVertex2i(768, 129);
    glVertex2i(1024, 129);
    glVertex2i(1024, 640);
    glVertex2i(768, 640);
    glEnd();
    glPopAttrib();
}

void overlay_logo(int32_t, int32_t, double, double dt)
{
    OverlaysState& state = g_effects.overlays;
    glPushAttrib(GL_ALL_ATTRIB_BITS);

    // The logo's alpha comes from the pulse before it advances.
    double logoAlpha = 0.0;
    if (state.logoState == 1) {
        logoAlpha = std::sin(state.logoPulse);
        state.logoPulse += 0.4 * dt;
        if (state.logoPulse > PI) {
            state.logoPulse = PI;
            state.logoState = 2;
        }
    }
    if (state.logoState == 0) {
        state.coverAlpha -= 0.15 * dt;
        if (state.coverAlpha < 0.0) {
            state.coverAlpha = 0.0;
            state.logoState = 1;
        }
    } else if (state.logoState == 2) {
        state.coverAlpha += 0.05 * dt;
        if (state.coverAlpha > 1.0)
            state.coverAlpha = 1.0;
    }

    begin_layer(1024, 640);
    glTranslatef(112.0f, 170.0f, 0.0f);
    glColor4d(1.0, 1.0, 1.0, logoAlpha);
    draw_picture(state.logo);
    glDisable(GL_TEXTURE_2D);

    if (state.logoState != 1) {
        glLoadIdentity();
        glColor4d(0.0, 0.0, 0.0, state.coverAlpha);
        glBegin(GL_QUADS);
        glVertex2i(0, 0);
        glVertex2i(1024, 0);
        glVertex2i(1024, 640);
        glVertex2i(0, 640);
        glEnd();
    }
    glPopAttrib();
}
