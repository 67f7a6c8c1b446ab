// The GL driver allocates with operator new too (Mesa's shader compiler is
// C++). The arena is released before the window and its context are
// destroyed, so the driver's objects must stay valid after the release, and
// its churn should not fill a block that never frees. This runs the driver
// through a context's whole life across an arena's lifetime: a driver object
// left in freed memory crashes here (and AddressSanitizer reports it).
#include "core/arena.h"
#include "platform/gl.h"
#include "platform/headless_gl.h"

#include <gtest/gtest.h>

#include <string>

TEST(ArenaGl, TheDriverOutlivesTheArena)
{
    ASSERT_TRUE(arena_create(64 << 20));
    std::string error;
    ASSERT_TRUE(headless_gl_open(256, 256, &error)) << error;
    int32_t usedBefore = g_arena.used;
    // Different states make the driver compile different shaders.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 256, 256, 0, -1, 1);
    for (int variant = 0; variant < 8; ++variant) {
        if (variant & 1)
            glEnable(GL_BLEND);
        else
            glDisable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, variant & 2 ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
        glShadeModel(variant & 4 ? GL_FLAT : GL_SMOOTH);
        glBegin(GL_TRIANGLES);
        glColor4f(1, 0, 0, 0.5f);
        glVertex2f(0, 0);
        glColor4f(0, 1, 0, 0.5f);
        glVertex2f(256, 0);
        glColor4f(0, 0, 1, 0.5f);
        glVertex2f(0, 256);
        glEnd();
        glFinish();
    }
    int32_t usedByDrawing = g_arena.used - usedBefore;
    arena_release();
    std::vector<uint8_t> pixels = headless_gl_read_rgba(256, 256);
    headless_gl_close();

    // Nothing the driver allocates lands in the arena: the program exports no
    // code of its own that the driver could run (compiling shaders takes
    // megabytes, and may happen on the driver's own threads).
    EXPECT_EQ(usedByDrawing, 0);
    const uint8_t* corner = &pixels[(10 * 256 + 10) * 4];
    EXPECT_GT(corner[0] + corner[1] + corner[2], 0) << "the triangles were drawn";
}
