// The frame step without drawing (frame_skip) on a real GL context: nothing
// reaches the framebuffer, and the scissor box and the scissor test's state
// are those that were in force before, so the frame drawn after a seek is
// clipped (or not) as before it.
#include "core/frame_loop.h"
#include "script/timeline.h"
#include "tests/gl/gl_fixture.h"

#include <array>
#include <vector>

namespace {

int32_t s_music = 0;
int32_t music_now() { return s_music; }

// A routine as the demo's are written: all attributes pushed and popped, a
// white quad over the whole screen.
void paint_white(int32_t, int32_t, double, double)
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glColor3f(1, 1, 1);
    glRecti(0, 0, GL_TEST_WIDTH, GL_TEST_HEIGHT);
    glPopAttrib();
}

Routine s_paint[] = {as_routine(&paint_white)};

struct Scissor {
    std::array<GLint, 4> box{};
    bool enabled = false;
    bool operator==(const Scissor&) const = default;
};

Scissor scissor_now()
{
    Scissor s;
    glGetIntegerv(GL_SCISSOR_BOX, s.box.data());
    s.enabled = glIsEnabled(GL_SCISSOR_TEST) == GL_TRUE;
    return s;
}

std::ostream& operator<<(std::ostream& out, const Scissor& s)
{
    return out << (s.enabled ? "on " : "off ") << s.box[0] << "," << s.box[1] << " " << s.box[2] << "x" << s.box[3];
}

class FrameSkipGl : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        timeline = {SceneRecord{}, SceneRecord{}};
        timeline[0].routineCount = 1;
        timeline[0].routines = s_paint;
        timeline[1].start = 10000; // the terminator
        g_timeline = timeline.data();
        frame_loop_start(loop, 0.0);
    }
    void TearDown() override
    {
        glScissor(0, 0, GL_TEST_WIDTH, GL_TEST_HEIGHT);
        glDisable(GL_SCISSOR_TEST);
        g_timeline = nullptr;
    }

    // Three frames stepped without drawing, as a seek steps them: the
    // scissor state is what it was before, and nothing reached the screen.
    void seek()
    {
        const Scissor before = scissor_now();
        for (int i = 0; i < 3; ++i) {
            s_music = i * 33;
            frame_skip(loop, i / 30.0, &music_now);
        }
        EXPECT_EQ(scissor_now(), before);
        EXPECT_EQ(count_differing(read_screen(), {0, 0, 0}), 0) << "a skipped frame reached the framebuffer";
    }

    std::vector<SceneRecord> timeline;
    FrameLoop loop{};
};

} // namespace

// With the test enabled on a box of its own, a seek leaves both as they were: the frame drawn after it is
// clipped to that box.
TEST_F(FrameSkipGl, ASeekPutsBackAnEnabledScissorBox)
{
    glScissor(100, 200, 300, 150);
    glEnable(GL_SCISSOR_TEST);
    seek();

    frame_advance(loop, 0.1, &music_now);
    std::vector<uint8_t> screen = read_screen();
    EXPECT_EQ(count_differing(screen, {0, 0, 0}), 300 * 150) << "the drawn frame is clipped to the box";
    // (100, 200) from the bottom left is (100, 640 - 200 - 150) from the top.
    EXPECT_TRUE(pixel_is(100, GL_TEST_HEIGHT - 200 - 150, {255, 255, 255}));
    EXPECT_TRUE(pixel_is(99, GL_TEST_HEIGHT - 200 - 150, {0, 0, 0}));
}

// With the test disabled (the box the window's size), a seek leaves it disabled with the same box, so enabling
// it later clips to that box, not to nothing; the frame drawn after the seek covers the screen.
TEST_F(FrameSkipGl, ASeekLeavesADisabledScissorTestDisabledWithItsBox)
{
    glScissor(0, 0, GL_TEST_WIDTH, GL_TEST_HEIGHT);
    glDisable(GL_SCISSOR_TEST);
    seek();

    frame_advance(loop, 0.1, &music_now);
    EXPECT_EQ(count_differing(read_screen(), {255, 255, 255}), 0) << "the drawn frame covers the screen";
}
