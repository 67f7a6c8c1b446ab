// Text in the GL window for the authors' preview: a built-in 5x7 bitmap font
// of every printable ASCII character (32 to 126; any other byte is drawn as
// '?') drawn as quads with GL 1.1, on a dark box. Coordinates are pixels of
// the 1024x640 picture, y growing downwards. Holds no state.
#pragma once
#include <cstdint>

// Pixels a character takes at `scale` (with its spacing).
constexpr int32_t TEXT_CELL_WIDTH = 6;
constexpr int32_t TEXT_CELL_HEIGHT = 9;

// Draws the lines of the C string `text` (split at '\n'; line feeds at its
// end add no line) from (x, y) on a box of `background` (RGBA), the letters
// in `colour` (RGBA). Allocates nothing, so it may run every frame. Leaves
// every GL state as it found it.
void draw_text_box(const char* text, int32_t x, int32_t y, int32_t scale, const float colour[4],
                   const float background[4]);
