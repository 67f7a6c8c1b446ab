// Pictures for the effects (see picture.h).
#include "effects/picture.h"

#include "effects/content.h"
#include "gfx/texture.h"

TiledTexture* load_picture(const char* colourName, const char* alphaName, GLint filter)
{
    const EmbeddedFile* colour = colourName ? content_file(colourName) : nullptr;
    const EmbeddedFile* alpha = alphaName ? content_file(alphaName) : nullptr;
    if ((colourName && !colour) || (alphaName && !alpha))
        return nullptr;
    return LoadTexture(colour ? colour->data : nullptr, colour ? colour->length : 0, alpha ? alpha->data : nullptr,
                       alpha ? alpha->length : 0, filter);
}

void draw_picture(const TiledTexture* texture)
{
    if (texture)
        DrawTiledTexture(texture);
}

void screen_projection()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1024, 640, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void draw_background(const TiledTexture* texture)
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    screen_projection();
    glColor4f(1, 1, 1, 1);
    draw_picture(texture);
    glDisable(GL_TEXTURE_2D);
    glPopAttrib();
}
