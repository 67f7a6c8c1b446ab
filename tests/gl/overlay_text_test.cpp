// The preview's text boxes through the real GL path: every printable character has a glyph of its own and
// other bytes draw as '?', the box fits its lines, and drawing allocates nothing and restores the GL state.
#include "app/overlay_text.h"
#include "base/arena.h"
#include "tests/gl/gl_fixture.h"

#include <map>
#include <string>

namespace {

const float WHITE[4] = {1, 1, 1, 1};
const float BLUE[4] = {0, 0, 1, 1};

// What a glyph cell of a box drawn at (x0, y0) with `scale` shows, read back from `screen`: bit 5 * r + c set
// for a lit pixel in row r, column c of the 5x7 glyph; -1 when a scaled pixel is not one colour, or when the
// spacing around the glyph (the cell's sixth column, eighth and ninth rows) is not the box's blue.
int64_t glyph_bits(const std::vector<uint8_t>& screen, int x0, int y0, int scale, int row, int column)
{
    const int left = x0 + column * TEXT_CELL_WIDTH * scale;
    const int top = y0 + row * TEXT_CELL_HEIGHT * scale;
    int64_t bits = 0;
    for (int r = 0; r < TEXT_CELL_HEIGHT; ++r)
        for (int c = 0; c < TEXT_CELL_WIDTH; ++c) {
            int lit = 0;
            for (int dy = 0; dy < scale; ++dy)
                for (int dx = 0; dx < scale; ++dx) {
                    const uint8_t* p =
                        &screen[(static_cast<size_t>(top + r * scale + dy) * GL_TEST_WIDTH + left + c * scale + dx) * 4];
                    if (p[0] > 200 && p[1] > 200 && p[2] > 200)
                        ++lit;
                    else if (p[0] > 50 || p[1] > 50 || p[2] < 200)
                        return -1; // neither the letters' white nor the box's blue
                }
            if (lit != 0 && lit != scale * scale)
                return -1;
            if (lit && (r >= 7 || c >= 5))
                return -1;
            if (lit)
                bits |= int64_t{1} << (5 * r + c);
        }
    return bits;
}

std::string shown(char c)
{
    std::string text = "'";
    text.append(1, c).append("' (").append(std::to_string(static_cast<unsigned char>(c))).append(")");
    return text;
}

} // namespace

using OverlayText = GlTest;

TEST_F(OverlayText, EveryPrintableCharacterHasAGlyphOfItsOwnAndOtherBytesDrawAsQuestionMarks)
{
    // The 95 printable characters in lines of 32, then bytes outside them.
    std::string text;
    for (int c = 32; c < 127; ++c) {
        text += static_cast<char>(c);
        if (c % 32 == 31)
            text += '\n';
    }
    const std::string others = "\t\x01\x7f\x80\xff";
    text += "\n" + others;
    const int scale = 2, x0 = 20, y0 = 20;
    draw_text_box(text.c_str(), x0, y0, scale, WHITE, BLUE);
    const std::vector<uint8_t> screen = read_screen();

    std::map<int64_t, char> owners;
    int64_t question = -1;
    for (int c = 32; c < 127; ++c) {
        const int64_t bits = glyph_bits(screen, x0, y0, scale, (c - 32) / 32, (c - 32) % 32);
        ASSERT_GE(bits, 0) << shown(static_cast<char>(c)) << " is not drawn in whole pixels inside its cell";
        if (c == ' ')
            EXPECT_EQ(bits, 0) << "a space draws nothing";
        else
            EXPECT_NE(bits, 0) << shown(static_cast<char>(c)) << " draws nothing";
        auto [owner, added] = owners.emplace(bits, static_cast<char>(c));
        EXPECT_TRUE(added) << shown(static_cast<char>(c)) << " and " << shown(owner->second)
                           << " draw the same bitmap";
        if (c == '?')
            question = bits;
    }
    for (size_t i = 0; i < others.size(); ++i)
        EXPECT_EQ(glyph_bits(screen, x0, y0, scale, 3, static_cast<int>(i)), question) << shown(others[i]);
}

TEST_F(OverlayText, TheBoxFitsItsLinesAndDrawingAllocatesNothingAndRestoresTheState)
{
    glMatrixMode(GL_PROJECTION);
    float projection[16], projectionAfter[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);

    ASSERT_TRUE(arena_create(1 << 20));
    const int32_t used = g_arena.used;
    // Two lines of at most four characters: the line feeds at the end add none.
    draw_text_box("ab\ncdef\n\n", 100, 300, 1, WHITE, BLUE);
    const int32_t usedByDrawing = g_arena.used - used;
    arena_release();
    EXPECT_EQ(usedByDrawing, 0);

    // The box: 4 pixels of padding around 4 x 6 by 2 x 9 pixels, from (96, 296) to (128, 322), exclusive.
    EXPECT_TRUE(pixel_is(96, 296, {0, 0, 255}));
    EXPECT_TRUE(pixel_is(127, 321, {0, 0, 255}));
    EXPECT_TRUE(pixel_is(95, 310, {0, 0, 0}));
    EXPECT_TRUE(pixel_is(128, 310, {0, 0, 0}));
    EXPECT_TRUE(pixel_is(110, 295, {0, 0, 0}));
    EXPECT_TRUE(pixel_is(110, 322, {0, 0, 0}));

    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    glGetFloatv(GL_PROJECTION_MATRIX, projectionAfter);
    GLint matrixMode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    EXPECT_TRUE(colour[0] == 0.25f && colour[1] == 0.5f && colour[2] == 0.75f);
    EXPECT_TRUE(std::equal(projection, projection + 16, projectionAfter));
    EXPECT_EQ(matrixMode, GL_PROJECTION);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}
