// Init-routine runner and loading screen.
#include "core/init_runner.h"

#include "assets/content_names.h"
#include "assets/embedded.h"
#include "gfx/texture.h"
#include "platform/gl.h"

static int32_t s_loading_ready = 0;
static int32_t s_next_init = 0;
static TiledTexture* s_loading_picture = nullptr;

int32_t run_next_init(InitList* list)
{
    if (!s_loading_ready) {
        if (!loading_screen_init())
            return -1;
        s_loading_ready = 1;
    }
    if (s_next_init >= list->count)
        return s_next_init;
    if (!call_init_routine(list->routines[s_next_init]))
        return -1;
    ++s_next_init;
    draw_loading_progress(list->count, s_next_init);
    return s_next_init;
}

void init_runner_reset()
{
    s_loading_ready = 0;
    s_next_init = 0;
    s_loading_picture = nullptr;
}

int32_t loading_screen_init()
{
    if (const EmbeddedFile* picture = embedded_find(content::LOADING))
        s_loading_picture = LoadTexture(picture->data, picture->length, nullptr, 0, GL_LINEAR);
    return 1;
}

float loading_band_end(int32_t total, int32_t done)
{
    if (total <= 0)
        return 800.0f;
    float step = static_cast<float>(800.0 / total);
    return step * static_cast<float>(done);
}

void draw_loading_progress(int32_t total, int32_t done)
{
    float w = loading_band_end(total, done);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glShadeModel(GL_FLAT);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 800, 600, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(1, 1, 1, 1);
    // Without its picture the screen is black with the band alone.
    if (s_loading_picture) {
        glEnable(GL_TEXTURE_2D);
        DrawTiledTexture(s_loading_picture);
        glDisable(GL_TEXTURE_2D);
    }
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glColor4f(0, 0, 0, 0.5f);
    glBegin(GL_QUADS);
    glVertex2f(0, 260);
    glVertex2f(w, 260);
    glVertex2f(w, 340);
    glVertex2f(0, 340);
    glEnd();
    glPopAttrib();
}
