// The GL driver allocates with operator new too (Mesa's shader compiler is
// C++), and the arena is released before the context is destroyed. Catches a
// driver object left in the arena (a crash after the release here, reported
// by AddressSanitizer) and driver churn filling a block that never frees.
#include "base/arena.h"
#include "platform/gl.h"
#include "platform/headless/headless_gl.h"

#include <gtest/gtest.h>

#include <string>

TEST(ArenaGl, TheDriverOutlivesTheArena)
{
    ASSERT_TRUE(arena_create(64 << 20));
    std::string error;
    ASSERT_TRUE(headless_gl_open(256, 256, &error)) << error;
    int32_t usedBefore = g_arena.used;
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, 256, 256, 0, -1, 1);
    for (int variant = 0; variant < 8; ++variant) { // states that make the driver compile other shaders
        (variant & 1 ? glEnable : glDisable)(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, variant & 2 ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
        glShadeModel(variant & 4 ? GL_FLAT : GL_SMOOTH);
        glColor4f(1, variant / 8.0f, 0, 0.5f);
        glRecti(0, 0, 256, 256);
        glFinish();
    }
    int32_t usedByDrawing = g_arena.used - usedBefore;
    arena_release();
    std::vector<uint8_t> pixels = headless_gl_read_rgba(256, 256);
    headless_gl_close();
    EXPECT_EQ(usedByDrawing, 0) << "the program exports no allocator the driver could use";
    EXPECT_GT(pixels[(10 * 256 + 10) * 4], 0) << "the squares were drawn";
}
