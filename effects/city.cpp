// City scene: the opaque background, the layer that fades in over it three
// seconds into the scene, and the white top shape.
// State: g_effects.city, the three textures set by city_init, the start time
// and the fade alpha. Depends on the picture loader (assets/image.h), the
// tiled textures and the content seam.
#include "effects/city.h"

#include "assets/content_names.h"
#include "assets/image.h"
#include "effects/content.h"
#include "effects/effects_state.h"
#include "effects/picture.h"
#include "platform/gl.h"
#include "script/functable.h"

int32_t city_init()
{
    CityState& state = g_effects.city;
    state.background = load_picture(content::CITY_BACKGROUND, nullptr, GL_NEAREST);
    if (!state.background)
        return 0;
    state.lit = load_picture(content::CITY_LIT, content::CITY_LIT_MASK, GL_LINEAR);
    if (!state.lit)
        return 0;
    state.top = load_picture(nullptr, content::CITY_TOP, GL_LINEAR);
    if (!state.top)
        return 0;
    return 1;
}

void city_background(int32_t, int32_t, double, double)
{
    draw_background(g_effects.city.background);
}

void city(int32_t, int32_t, double t, double dt)
{
    CityState& state = g_effects.city;
    // Below 1, not 0: the start time ends as the t of the first call made at
    // or after t = 1 s.
    if (state.startTime < 1)
        state.startTime = t;

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    screen_projection();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    // A five-second fade, once three seconds have passed.
    if (t - state.startTime > 3.0) {
        state.fadeAlpha += 0.2 * dt;
        if (state.fadeAlpha > 1)
            state.fadeAlpha = 1;
        glColor4d(1, 1, 1, state.fadeAlpha);
        draw_picture(state.lit);
    }

    glColor4f(1, 1, 1, 1);
    draw_picture(state.top);
    glPopAttrib(); // switches texturing off again
}
