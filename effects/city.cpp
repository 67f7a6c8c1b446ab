// City scene: the opaque background, the layer that fades in over it three
// seconds into the scene, and the white top shape.
// State (file scope, never reset): the three textures set by city_init, the
// start time and the fade alpha. Depends on the picture loader
// (assets/image.h), the tiled textures and the content seam.
#include "effects/city.h"

#include "assets/content_names.h"
#include "assets/image.h"
#include "effects/content.h"
#include "effects/picture.h"
#include "platform/gl.h"
#include "script/functable.h"

namespace {

TiledTexture* s_background = nullptr; // 1024 x 640, colour
TiledTexture* s_lit = nullptr;        // 1024 x 640, colour with its mask
TiledTexture* s_top = nullptr;        // 1024 x 640, white shape

double s_start_time = -1.0; // taken anew on every call until it holds a t of 1 s or more
double s_fade_alpha = 0.0;  // opacity of the fade-in layer

// The named embedded files as a texture: colour only, alpha only (a white
// shape) or both. Null when a named file is missing or does not decode.
} // namespace

int32_t city_init()
{
    s_background = load_picture(content::CITY_BACKGROUND, nullptr, GL_NEAREST);
    if (!s_background)
        return 0;
    s_lit = load_picture(content::CITY_LIT, content::CITY_LIT_MASK, GL_LINEAR);
    if (!s_lit)
        return 0;
    s_top = load_picture(nullptr, content::CITY_TOP, GL_LINEAR);
    if (!s_top)
        return 0;
    return 1;
}

void city_background(int32_t, int32_t, double, double)
{
    draw_background(s_background);
}

void city(int32_t, int32_t, double t, double dt)
{
    // Below 1, not 0: the start time ends as the t of the first call made at
    // or after t = 1 s.
    if (s_start_time < 1)
        s_start_time = t;

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    screen_projection();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    // A five-second fade, once three seconds have passed.
    if (t - s_start_time > 3.0) {
        s_fade_alpha += 0.2 * dt;
        if (s_fade_alpha > 1)
            s_fade_alpha = 1;
        glColor4d(1, 1, 1, s_fade_alpha);
        draw_picture(s_lit);
    }

    glColor4f(1, 1, 1, 1);
    draw_picture(s_top);
    glPopAttrib(); // switches texturing off again
}
