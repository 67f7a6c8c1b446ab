// Text in the GL window for the authors' preview: a built-in 5x7 bitmap font
// (digits, capital letters and common punctuation; small letters are drawn as
// capitals, anything else as '?') drawn as quads with GL 1.1, on a dark box.
// Coordinates are pixels of the 1024x640 picture, y growing downwards.
#pragma once
#include <cstdint>
#include <string>

// Pixels a character takes at `scale` (with its spacing).
constexpr int32_t TEXT_CELL_WIDTH = 6;
constexpr int32_t TEXT_CELL_HEIGHT = 9;

// Draws the lines of `text` (split at '\n') from (x, y) on a box of
// `background` (RGBA), the letters in `colour` (RGBA). Leaves every GL state
// as it found it.
void draw_text_box(const std::string& text, int32_t x, int32_t y, int32_t scale, const float colour[4],
                   const float background[4]);
