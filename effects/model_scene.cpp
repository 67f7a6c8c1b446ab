// Model scene: the background picture and the swinging MS3D model.
// State: g_effects.modelScene, the background texture and the model, set by
// bb_init. Depends on the texture loader, the model loader and the content
// seam.
#include "effects/model_scene.h"

#include "assets/content_names.h"
#include "assets/model.h"
#include "base/log.h"
#include "effects/content.h"
#include "effects/effects_state.h"
#include "gfx/texture.h"
#include "platform/gl.h"

#include <cmath>
#include <new>

namespace {

constexpr double CAMERA_DISTANCE = -200.0; // z translation of the model

constexpr const char* MODEL_NAME = "mess.ms3d";

} // namespace

int32_t bb_init()
{
    ModelSceneState& state = g_effects.modelScene;
    // The background is not required: one that cannot be loaded stays null
    // and bb_background leaves it out.
    const EmbeddedFile* background = content_file(content::MODEL_BACKGROUND);
    state.background = background ? LoadTGATexture(background->data, GL_LINEAR, background->length) : nullptr;

    state.model = new (std::nothrow) Model();
    const EmbeddedFile* pack = content_file(content::MODEL_PACK);
    if (!state.model || !state.model->Load(pack ? pack->data : nullptr, MODEL_NAME, pack ? pack->length : 0)) {
        diag_log("Couldn't load data/mess.ms3d!\n");
        return 0;
    }
    return 1;
}

void bb(int32_t, int32_t, double t, double)
{
    // Swings between -175 and +175 degrees, unrotated at t = 0.
    const double a = 175 * std::sin(t);

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, 16.0f / 9.0f, 0.1f, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, static_cast<float>(CAMERA_DISTANCE));
    glRotatef(static_cast<float>(a), 1, 0, 0);
    glRotatef(static_cast<float>(a), 0, 1, 0);
    glRotatef(static_cast<float>(a), 0, 0, 1);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    if (Model* model = g_effects.modelScene.model)
        model->Draw();
    glPopAttrib();
}

void bb_background(int32_t, int32_t, double, double)
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    // A 400 x 300 view of the 512 x 512 picture: its top-left part fills the
    // screen and the rest lies outside.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 400, 300, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
    if (const TiledTexture* background = g_effects.modelScene.background)
        DrawTiledTexture(background);
    glPopAttrib();
}
