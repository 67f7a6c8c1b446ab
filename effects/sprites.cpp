// Sprite and billboard helpers (see effects/sprites.h). Everything is drawn in
// immediate mode and recomputed on every call: one ghost figure is 212
// billboards in 210 GL_QUADS batches, each puff batch preceded by its texture
// bind, and 11 modelview snapshots (one per rotation).
#include "effects/sprites.h"

#include "base/skip_drawing.h"
#include "effects/effects_state.h"
#include "effects/lamps.h"
#include "gfx/program_textures.h"

#include <cmath>

namespace {

// The colour of one run of puffs; the alpha comes from the puff's place.
struct StrandColour {
    double red;
    double green;
    double blue;
};

constexpr StrandColour DARK_SMOKE = {0.1, 0.1, 0.1};
constexpr StrandColour PALE_BACK_SMOKE = {0.3, 0.5, 0.3};
constexpr StrandColour PALE_FRONT_SMOKE = {0.3, 0.3, 0.3};

// Step of the sine argument from one puff to the next along a strand.
constexpr double PUFF_SWAY_STEP = 0.3141592;

// The puff texture of puff i when the textures are turned by k. Callers
// derive k from a truncating remainder, so it may be negative; the index is
// taken modulo 3 into 0..2 whatever the sign of i + k.
int32_t puff_texture_index(int32_t i, int32_t k)
{
    return ((i + k) % FIGURE_PUFF_TEXTURES + FIGURE_PUFF_TEXTURES) % FIGURE_PUFF_TEXTURES;
}

void take_snapshot(float* m)
{
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
}

// Puff i of a strand, u = i + t steps down it: its own GL_QUADS batch with one
// billboard. `sway` is the puff's sine argument. Alphas go to GL unclamped.
void draw_puff(const float* m, const Figure& figure, int32_t i, double t, int32_t k, double sway, double halfSize,
               double alpha, const StrandColour& colour)
{
    const GLuint texture = g_effects.lamps.puffTextures[puff_texture_index(i, k)];
    if (texture == 0)
        return;
    const double u = i + t;
    const double x = figure.x + 2.0 * std::sin(sway) + 0.5 * u;
    const double y = figure.y + 10.0 - u;
    glColor4d(colour.red, colour.green, colour.blue, alpha);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    emit_billboard(m, static_cast<float>(x), static_cast<float>(y), 0.0f, static_cast<float>(halfSize));
    glEnd();
}

void draw_figure(const Figure* figure, double t, int32_t k, const StrandColour& back, const StrandColour& front)
{
    // Pure drawing: nothing here changes any state a later frame reads.
    if (g_skip_drawing)
        return;
    float m[16];

    // Head: the black shadow, then the two red eyes, in one batch.
    glColor4d(0.0, 0.0, 0.0, 1.0);
    glPushMatrix();
    glRotated(figure->heading, 0.0, 1.0, 0.0);
    take_snapshot(m);
    if (g_effects.lamps.dotTexture != 0) {
        glBindTexture(GL_TEXTURE_2D, g_effects.lamps.dotTexture);
        glBegin(GL_QUADS);
        emit_billboard(m, static_cast<float>(figure->x), static_cast<float>(figure->y + 2.0), 0.0f, 25.0f);
        glColor4d(1.0, 0.0, 0.0, 1.0);
        emit_billboard(m, static_cast<float>(figure->x + 1.0), static_cast<float>(figure->y + 3.0), 2.5f, 2.0f);
        emit_billboard(m, static_cast<float>(figure->x - 1.0), static_cast<float>(figure->y + 3.0), 2.5f, 2.0f);
        glEnd();
    }
    glPopMatrix();

    const double w = PUFF_SWAY_STEP * t;

    // Back strands: seven, 36 degrees apart from the heading on, puffs 2 to 24.
    for (int32_t j = 0; j < 7; ++j) {
        glPushMatrix();
        glRotated(figure->heading + 36.0 * j, 0.0, 1.0, 0.0);
        take_snapshot(m);
        double sway = w;
        for (int32_t i = 2; i <= 24; ++i) {
            draw_puff(m, *figure, i, t, k, sway, 1.0 + 0.25 * (i - 2) + 0.25 * t, 1.0 - (i - 2) / 24.0 - t / 24.0,
                      back);
            sway += PUFF_SWAY_STEP;
        }
        glPopMatrix();
    }

    // Front strands: three, at 252, 288 and 324 degrees from the heading.
    // Puffs 5 to 11 are left out so the face shows.
    for (int32_t j = 0; j < 3; ++j) {
        glPushMatrix();
        glRotated(figure->heading + 252.0 + 36.0 * j, 0.0, 1.0, 0.0);
        take_snapshot(m);
        double sway = w;
        for (int32_t i = 2; i <= 4; ++i) {
            draw_puff(m, *figure, i, t, k, sway, 1.0 + 0.25 * (i - 2) + 0.25 * t, 1.0 - 0.25 * (i - 2) - 0.25 * t,
                      front);
            sway += PUFF_SWAY_STEP;
        }
        sway = PUFF_SWAY_STEP * 12 + w;
        for (int32_t i = 12; i <= 24; ++i) {
            draw_puff(m, *figure, i, t, k, sway, 4.0 + 0.25 * (i - 12) + 0.25 * t,
                      1.0 - (i - 12) / 12.0 - t / 12.0, front);
            sway += PUFF_SWAY_STEP;
        }
        glPopMatrix();
    }
}

} // namespace

void emit_billboard(const float* m, float x, float y, float z, float s)
{
    // The matrix's first two rows: the eye's x and y axes in object space.
    const float rx = m[0], ry = m[4], rz = m[8];
    const float ux = m[1], uy = m[5], uz = m[9];
    float v[3];

    glTexCoord2f(0.0f, 0.0f);
    v[0] = x - s * rx - s * ux;
    v[1] = y - s * ry - s * uy;
    v[2] = z - s * rz - s * uz;
    glVertex3fv(v);

    glTexCoord2f(1.0f, 0.0f);
    v[0] = x + s * rx - s * ux;
    v[1] = y + s * ry - s * uy;
    v[2] = z + s * rz - s * uz;
    glVertex3fv(v);

    glTexCoord2f(1.0f, 1.0f);
    v[0] = x + s * rx + s * ux;
    v[1] = y + s * ry + s * uy;
    v[2] = z + s * rz + s * uz;
    glVertex3fv(v);

    glTexCoord2f(0.0f, 1.0f);
    v[0] = x - s * rx + s * ux;
    v[1] = y - s * ry + s * uy;
    v[2] = z - s * rz + s * uz;
    glVertex3fv(v);
}

void draw_light_2d(int32_t x, int32_t y, double s, double phase)
{
    if (g_effects.lamps.dotTexture == 0)
        return;
    glBindTexture(GL_TEXTURE_2D, g_effects.lamps.dotTexture);
    const double sine = std::sin(phase);
    double m = sine * sine - 0.9;
    if (m < 0.0)
        m = 0.0;
    glColor4d(1.0, 0.0, 0.0, 1.0 - 10.0 * m);
    glBegin(GL_QUADS);
    glTexCoord2d(0.0, 0.0);
    glVertex2d(x - s, y - s);
    glTexCoord2d(1.0, 0.0);
    glVertex2d(x + s, y - s);
    glTexCoord2d(1.0, 1.0);
    glVertex2d(x + s, y + s);
    glTexCoord2d(0.0, 1.0);
    glVertex2d(x - s, y + s);
    glEnd();
}

void draw_ghost(const Figure* figure, double t, int32_t k)
{
    draw_figure(figure, t, k, DARK_SMOKE, DARK_SMOKE);
}

void draw_ghost_pale(const Figure* figure, double t, int32_t k)
{
    draw_figure(figure, t, k, PALE_BACK_SMOKE, PALE_FRONT_SMOKE);
}

GLuint build_mip_texture(uint8_t* pixels, int32_t width, int32_t height)
{
    const int64_t count = static_cast<int64_t>(width) * height;
    for (int64_t i = 0; i < count; ++i) {
        uint8_t* p = pixels + i * 4;
        p[3] = p[1];
        p[0] = 255;
        p[1] = 255;
        p[2] = 255;
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    program_textures_made(&name, 1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, name);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 4, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glDisable(GL_TEXTURE_2D);
    return name;
}
