// Sprite and billboard helpers shared by the scenes with ghost figures: a
// camera-facing quad emitter, the blinking red light, the ghost figure in its
// dark and pale colourings, and the mipmapped white-with-alpha textures that
// the figures are drawn with. The helpers set no projection, blending, depth
// or texturing state (the calling routine does, inside its own attribute
// push); they change the current colour and texture binding and leave them
// changed, and every matrix push is matched by a pop. They draw with the
// figure textures made by lamps_init (g_effects.lamps, effects/lamps.h); a
// figure texture that has not been made is not drawn. No state of their own.
#pragma once
#include "platform/gl.h"

#include <cstdint>

// One ghost figure's placement: x and y in the frame it is drawn in, z (not
// read by the helpers; the scenes translate by it themselves) and the heading
// in degrees about the vertical axis.
struct Figure {
    double x;
    double y;
    double z;
    double heading;

    bool operator==(const Figure&) const = default;
};

// Emits one quad of half-side s centred on (x, y, z) that faces the viewer of
// the modelview matrix m (16 floats as glGetFloatv(GL_MODELVIEW_MATRIX) gives
// them): four glTexCoord2f/glVertex3fv pairs, texture (0, 0) at the corner
// that lies left and down on the screen. The caller opens and closes the
// GL_QUADS batch and sets colour and texture.
void emit_billboard(const float* m, float x, float y, float z, float s);

// One red light with the dot texture as a 2D quad of half-side s around
// (x, y). Opaque, except near |sin(phase)| = 1 where it blinks out: fully
// transparent at sin(phase)^2 = 1.
void draw_light_2d(int32_t x, int32_t y, double s, double phase);

// One ghost figure in the current modelview frame: head (black shadow, two red
// eyes) and ten strands of smoke puffs. t in [0, 1) is the fraction of the
// current puff step, k (-2 to 2) turns the puff textures along the strands.
// draw_ghost has dark grey smoke, draw_ghost_pale greenish back strands and
// grey front strands.
void draw_ghost(const Figure* figure, double t, int32_t k);
void draw_ghost_pale(const Figure* figure, double t, int32_t k);

// Turns width x height RGBA pixels in place into white with the green byte as
// alpha, uploads them with a full mipmap chain (trilinear, clamped, modulated)
// and returns the new texture name. Leaves GL_TEXTURE_2D disabled and the new
// texture bound.
GLuint build_mip_texture(uint8_t* pixels, int32_t width, int32_t height);
