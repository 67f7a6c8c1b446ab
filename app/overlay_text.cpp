// The preview's bitmap font and text boxes (see app/overlay_text.h).
#include "app/overlay_text.h"

#include "platform/gl.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <string>

namespace {

constexpr int FIRST_GLYPH = 32; // ' '
constexpr int GLYPH_COUNT = 95; // ' ' to '~'
constexpr int GLYPHS_PER_BAND = 8;

// The glyphs as they look: bands of eight characters side by side, seven
// rows each, '#' a lit pixel, one blank between characters.
constexpr const char* FONT_BANDS[] = {
    //       !     "     #     $     %     &     '
    "..... ..#.. .#.#. .#.#. ..#.. ##... .##.. .##..",
    "..... ..#.. .#.#. .#.#. .#### ##..# #..#. ..#..",
    "..... ..#.. .#.#. ##### #.#.. ...#. #.#.. .#...",
    "..... ..#.. ..... .#.#. .###. ..#.. .#... .....",
    "..... ..#.. ..... ##### ..#.# .#... #.#.# .....",
    "..... ..... ..... .#.#. ####. #..## #..#. .....",
    "..... ..#.. ..... .#.#. ..#.. ...## .##.# .....",
    // (     )     *     +     ,     -     .     /
    "...#. .#... ..... ..... ..... ..... ..... .....",
    "..#.. ..#.. ..#.. ..#.. ..... ..... ..... ....#",
    ".#... ...#. #.#.# ..#.. ..... ..... ..... ...#.",
    ".#... ...#. .###. ##### ..... ##### ..... ..#..",
    ".#... ...#. #.#.# ..#.. .##.. ..... ..... .#...",
    "..#.. ..#.. ..#.. ..#.. ..#.. ..... .##.. #....",
    "...#. .#... ..... ..... .#... ..... .##.. .....",
    // 0     1     2     3     4     5     6     7
    ".###. ..#.. .###. ##### ...#. ##### ..##. #####",
    "#...# .##.. #...# ...#. ..##. #.... .#... ....#",
    "#..## ..#.. ....# ..#.. .#.#. ####. #.... ...#.",
    "#.#.# ..#.. ...#. ...#. #..#. ....# ####. ..#..",
    "##..# ..#.. ..#.. ....# ##### ....# #...# .#...",
    "#...# ..#.. .#... #...# ...#. #...# #...# .#...",
    ".###. .###. ##### .###. ...#. .###. .###. .#...",
    // 8     9     :     ;     <     =     >     ?
    ".###. .###. ..... ..... ...#. ..... .#... .###.",
    "#...# #...# .##.. .##.. ..#.. ..... ..#.. #...#",
    "#...# #...# .##.. .##.. .#... ##### ...#. ....#",
    ".###. .#### ..... ..... #.... ..... ....# ...#.",
    "#...# ....# .##.. .##.. .#... ##### ...#. ..#..",
    "#...# ...#. .##.. ..#.. ..#.. ..... ..#.. .....",
    ".###. .##.. ..... .#... ...#. ..... .#... ..#..",
    // @     A     B     C     D     E     F     G
    ".###. .###. ####. .###. ###.. ##### ##### .###.",
    "#...# #...# #...# #...# #..#. #.... #.... #...#",
    "....# #...# #...# #.... #...# #.... #.... #....",
    ".##.# #...# ####. #.... #...# ####. ####. #.###",
    "#.#.# ##### #...# #.... #...# #.... #.... #...#",
    "#.#.# #...# #...# #...# #..#. #.... #.... #...#",
    ".###. #...# ####. .###. ###.. ##### #.... .####",
    // H     I     J     K     L     M     N     O
    "#...# .###. ..### #...# #.... #...# #...# .###.",
    "#...# ..#.. ...#. #..#. #.... ##.## #...# #...#",
    "#...# ..#.. ...#. #.#.. #.... #.#.# ##..# #...#",
    "##### ..#.. ...#. ##... #.... #.#.# #.#.# #...#",
    "#...# ..#.. ...#. #.#.. #.... #...# #..## #...#",
    "#...# ..#.. #..#. #..#. #.... #...# #...# #...#",
    "#...# .###. .##.. #...# ##### #...# #...# .###.",
    // P     Q     R     S     T     U     V     W
    "####. .###. ####. .#### ##### #...# #...# #...#",
    "#...# #...# #...# #.... ..#.. #...# #...# #...#",
    "#...# #...# #...# #.... ..#.. #...# #...# #...#",
    "####. #...# ####. .###. ..#.. #...# #...# #.#.#",
    "#.... #.#.# #.#.. ....# ..#.. #...# #...# #.#.#",
    "#.... #..#. #..#. ....# ..#.. #...# .#.#. #.#.#",
    "#.... .##.# #...# ####. ..#.. .###. ..#.. .#.#.",
    // X     Y     Z     [     \     ]     ^     _
    "#...# #...# ##### .###. ..... .###. ..#.. .....",
    "#...# #...# ....# .#... #.... ...#. .#.#. .....",
    ".#.#. #...# ...#. .#... .#... ...#. #...# .....",
    "..#.. .#.#. ..#.. .#... ..#.. ...#. ..... .....",
    ".#.#. ..#.. .#... .#... ...#. ...#. ..... .....",
    "#...# ..#.. #.... .#... ....# ...#. ..... .....",
    "#...# ..#.. ##### .###. ..... .###. ..... #####",
    // `     a     b     c     d     e     f     g
    ".#... ..... #.... ..... ....# ..... ..##. .....",
    "..#.. ..... #.... ..... ....# ..... .#..# .####",
    "...#. .###. #.##. .###. .##.# .###. .#... #...#",
    "..... ....# ##..# #.... #..## #...# ###.. #...#",
    "..... .#### #...# #.... #...# ##### .#... .####",
    "..... #...# #...# #...# #...# #.... .#... ....#",
    "..... .#### ####. .###. .#### .###. .#... .###.",
    // h     i     j     k     l     m     n     o
    "#.... ..#.. ...#. #.... .##.. ..... ..... .....",
    "#.... ..... ..... #.... ..#.. ..... ..... .....",
    "#.##. .##.. ..##. #..#. ..#.. ##.#. #.##. .###.",
    "##..# ..#.. ...#. #.#.. ..#.. #.#.# ##..# #...#",
    "#...# ..#.. ...#. ##... ..#.. #.#.# #...# #...#",
    "#...# ..#.. #..#. #.#.. ..#.. #...# #...# #...#",
    "#...# .###. .##.. #..#. .###. #...# #...# .###.",
    // p     q     r     s     t     u     v     w
    "..... ..... ..... ..... .#... ..... ..... .....",
    "####. .#### ..... ..... .#... ..... ..... .....",
    "#...# #...# #.##. .###. ###.. #...# #...# #...#",
    "#...# #...# ##..# #.... .#... #...# #...# #...#",
    "####. .#### #.... .###. .#... #...# #...# #.#.#",
    "#.... ....# #.... ....# .#..# #..## .#.#. #.#.#",
    "#.... ....# #.... ####. ..##. .##.# ..#.. .#.#.",
    // x     y     z     {     |     }     ~
    "..... ..... ..... ...#. ..#.. .#... .....",
    "..... #...# ..... ..#.. ..#.. ..#.. .....",
    "#...# #...# ##### ..#.. ..#.. ..#.. .#...",
    ".#.#. #...# ...#. .#... ..#.. ...#. #.#.#",
    "..#.. .#### ..#.. ..#.. ..#.. ..#.. ...#.",
    ".#.#. ....# .#... ..#.. ..#.. ..#.. .....",
    "#...# .###. ##### ...#. ..#.. .#... .....",
};
static_assert(std::size(FONT_BANDS) == (GLYPH_COUNT + GLYPHS_PER_BAND - 1) / GLYPHS_PER_BAND * 7);

// Five column bytes per glyph, bit 0 the top row.
struct GlyphTable {
    uint8_t columns[GLYPH_COUNT][5];
};

// Reads FONT_BANDS at compile time; a malformed band stops the build.
consteval GlyphTable make_glyph_table()
{
    GlyphTable table{};
    for (int glyph = 0; glyph < GLYPH_COUNT; ++glyph) {
        const int band = glyph / GLYPHS_PER_BAND;
        const int inBand = std::min(GLYPH_COUNT - band * GLYPHS_PER_BAND, GLYPHS_PER_BAND);
        for (int row = 0; row < 7; ++row) {
            const char* line = FONT_BANDS[band * 7 + row];
            if (std::char_traits<char>::length(line) != static_cast<size_t>(inBand * 6 - 1))
                throw "a font band row is not as long as its glyphs";
            for (int column = 0; column < 5; ++column) {
                const char pixel = line[glyph % GLYPHS_PER_BAND * 6 + column];
                if (pixel == '#')
                    table.columns[glyph][column] |= static_cast<uint8_t>(1 << row);
                else if (pixel != '.')
                    throw "a glyph holds something other than '.' and '#'";
            }
        }
    }
    return table;
}

constexpr GlyphTable GLYPHS = make_glyph_table();

const uint8_t* glyph_for(char c)
{
    int code = static_cast<unsigned char>(c);
    if (code < FIRST_GLYPH || code >= FIRST_GLYPH + GLYPH_COUNT)
        code = '?';
    return GLYPHS.columns[code - FIRST_GLYPH];
}

void quad(float x0, float y0, float x1, float y1)
{
    glVertex2f(x0, y0);
    glVertex2f(x1, y0);
    glVertex2f(x1, y1);
    glVertex2f(x0, y1);
}

} // namespace

void draw_text_box(const char* text, int32_t x, int32_t y, int32_t scale, const float colour[4],
                   const float background[4])
{
    // Line feeds at the end add no line; a box always has one.
    size_t end = std::strlen(text);
    while (end > 0 && text[end - 1] == '\n')
        --end;
    size_t rows = 1, columns = 0, lineLength = 0;
    for (size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') {
            ++rows;
            lineLength = 0;
        } else {
            columns = std::max(columns, ++lineLength);
        }
    }

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, 1024, 640, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_ALPHA_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    const float pad = 4.0f * scale;
    glColor4fv(background);
    glBegin(GL_QUADS);
    quad(x - pad, y - pad, x + columns * TEXT_CELL_WIDTH * scale + pad, y + rows * TEXT_CELL_HEIGHT * scale + pad);
    glEnd();

    glColor4fv(colour);
    glBegin(GL_QUADS);
    size_t row = 0, column = 0;
    for (size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') {
            ++row;
            column = 0;
            continue;
        }
        const uint8_t* glyph = glyph_for(text[i]);
        const float left = x + static_cast<float>(column * TEXT_CELL_WIDTH * scale);
        const float top = y + static_cast<float>(row * TEXT_CELL_HEIGHT * scale);
        for (int col = 0; col < 5; ++col)
            for (int bit = 0; bit < 7; ++bit)
                if (glyph[col] & (1 << bit))
                    quad(left + col * scale, top + bit * scale, left + (col + 1) * scale, top + (bit + 1) * scale);
        ++column;
    }
    glEnd();

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}
