// Pictures for the effects: loading an embedded picture pair by name into a
// texture, drawing a texture only when it was loaded, the full-screen 2D
// projection the scenes draw their pictures in, and a scene's background.
#pragma once
#include "gfx/tiled_texture.h"

// The colour and/or alpha file of those names as one texture; null when a
// named file is missing or does not decode.
TiledTexture* load_picture(const char* colourName, const char* alphaName, GLint filter);
// Draws the texture; a texture never loaded (a routine run without its init
// routine) is left out.
void draw_picture(const TiledTexture* texture);
// glOrtho(0, 1024, 640, 0, -1, 1) with an identity modelview.
void screen_projection();
// A scene's background: the texture over the whole screen in the screen
// projection, opaque and untinted, with the caller's GL state kept.
void draw_background(const TiledTexture* texture);
