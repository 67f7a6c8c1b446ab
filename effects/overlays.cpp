// Backgrounds and overlays: the window background, the face overlay and the
// logo sequence. Each per-frame routine brackets its drawing with a push and
// pop of all attributes and loads its own 2D projection (y down); the
// matrices are left as the routine set them.
#include "effects/overlays.h"

#include "assets/content_names.h"
#include "effects/clock_wrap.h"
#include "effects/content.h"
#include "gfx/texture.h"
#include "platform/gl.h"
#include "script/functable.h"

#include <cmath>
#include <cstdio>
#include <new>

namespace {

// ---- window background ------------------------------------------------------
// WINDOW_FRAMES handles from the arena; a slot stays null when its load failed.
TiledTexture** s_window_frames = nullptr;
// t of the first call of background_window; negative until then.
double s_window_first_call = -1.0;
// Position in the picture loop, in pictures, in [0, 12).
double s_window_phase = 0.0;

// ---- face overlay -----------------------------------------------------------
TiledTexture* s_face_mask = nullptr;
double s_face_phase = 0.0; // radians

// ---- logo sequence ----------------------------------------------------------
TiledTexture* s_logo = nullptr;
int32_t s_logo_state = 0;       // 0 opening from black, 1 logo pulse, 2 closing to black
double s_logo_pulse = 0.0;      // fade angle of the logo, 0 to 3.141592
double s_cover_alpha = 1.0;     // opacity of the black cover

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
    s_window_frames = new (std::nothrow) TiledTexture*[content::WINDOW_FRAMES]();
    if (!s_window_frames)
        return 0;
    for (int i = 0; i < content::WINDOW_FRAMES; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, content::WINDOW_FRAME_FORMAT, i);
        const EmbeddedFile* file = content_file(name);
        if (!file)
            return 0;
        s_window_frames[i] = LoadTexture(file->data, file->length, nullptr, 0, GL_LINEAR);
        if (!s_window_frames[i])
            return 0;
    }
    return 1;
}

int32_t overlay_face_init()
{
    const EmbeddedFile* mask = content_file(content::FACE_MASK);
    if (!mask)
        return 0;
    s_face_mask = LoadTexture(nullptr, 0, mask->data, mask->length, GL_NEAREST);
    return s_face_mask ? 1 : 0;
}

int32_t overlay_logo_init()
{
    const EmbeddedFile* colour = content_file(content::LOGO);
    const EmbeddedFile* alpha = content_file(content::LOGO_ALPHA);
    // Both pictures are needed: without its alpha the logo would show as an
    // opaque rectangle.
    if (!colour || !alpha)
        return 0;
    s_logo = LoadTexture(colour->data, colour->length, alpha->data, alpha->length, GL_NEAREST);
    return s_logo ? 1 : 0;
}

void background_window(int32_t, int32_t, double t, double dt)
{
    if (s_window_first_call < 0.0)
        s_window_first_call = t;
    if (t - s_window_first_call < WINDOW_START_DELAY)
        return;

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    s_window_phase += WINDOW_FRAME_RATE * dt;
    // A negative dt (a clock stepping back) must not take the frame index
    // below 0, nor a broken one past the last picture.
    s_window_phase = wrap_into(s_window_phase, 0.0, WINDOW_LOOP);
    int i = static_cast<int>(std::floor(s_window_phase));
    double f = s_window_phase - i;

    begin_layer(512, 320);
    if (s_window_frames) {
        glColor4d(1.0, 1.0, 1.0, 1.0);
        draw_picture(s_window_frames[i]);
        glColor4d(1.0, 1.0, 1.0, f);
        draw_picture(s_window_frames[(i + 1) % content::WINDOW_FRAMES]);
    }
    glDisable(GL_TEXTURE_2D);
    glPopAttrib();
}

void overlay_face(int32_t, int32_t, double, double dt)
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    s_face_phase += dt;
    s_face_phase = wrap_above(s_face_phase, TWO_PI, FACE_WRAP);
    double a = 0.2 * std::sin(s_face_phase) + 0.2;

    begin_layer(1024, 640);
    glTranslatef(256.0f, 128.0f, 0.0f);
    glColor4d(0.0, 0.0, 0.0, a);
    draw_picture(s_face_mask);
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
    glPushAttrib(GL_ALL_ATTRIB_BITS);

    // The logo's alpha comes from the pulse before it advances.
    double logoAlpha = 0.0;
    if (s_logo_state == 1) {
        logoAlpha = std::sin(s_logo_pulse);
        s_logo_pulse += 0.4 * dt;
        if (s_logo_pulse > PI) {
            s_logo_pulse = PI;
            s_logo_state = 2;
        }
    }
    if (s_logo_state == 0) {
        s_cover_alpha -= 0.15 * dt;
        if (s_cover_alpha < 0.0) {
            s_cover_alpha = 0.0;
            s_logo_state = 1;
        }
    } else if (s_logo_state == 2) {
        s_cover_alpha += 0.05 * dt;
        if (s_cover_alpha > 1.0)
            s_cover_alpha = 1.0;
    }

    begin_layer(1024, 640);
    glTranslatef(112.0f, 170.0f, 0.0f);
    glColor4d(1.0, 1.0, 1.0, logoAlpha);
    draw_picture(s_logo);
    glDisable(GL_TEXTURE_2D);

    if (s_logo_state != 1) {
        glLoadIdentity();
        glColor4d(0.0, 0.0, 0.0, s_cover_alpha);
        glBegin(GL_QUADS);
        glVertex2i(0, 0);
        glVertex2i(1024, 0);
        glVertex2i(1024, 640);
        glVertex2i(0, 640);
        glEnd();
    }
    glPopAttrib();
}

double background_window_phase()
{
    return s_window_phase;
}

double overlay_face_phase()
{
    return s_face_phase;
}

int32_t overlay_logo_state()
{
    return s_logo_state;
}

double overlay_logo_cover_alpha()
{
    return s_cover_alpha;
}
