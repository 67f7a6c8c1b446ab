// Saved states on the shipped demo, through the real GL path (Mesa on the headless platform): a straight run
// steps the demo at 30 frames a second, draws a few frames in every scene and keeps a saved state some frames
// before each; afterwards each saved state is restored, in reverse order (so the routines' state and GL's are
// whatever the later scenes left), the frames to the window are stepped without drawing, and the same frames
// are drawn again. They must be the same bit for bit: a routine whose state is not in the saved state, a clock
// kept outside it, or a frame that depends on GL state a previous frame left would show here. Tolerance: none.
#include "base/arena.h"
#include "core/demo_state.h"
#include "core/frame_loop.h"
#include "core/music.h"
#include "core/session.h"
#include "effects/registration.h"
#include "platform/gl.h"
#include "platform/headless/headless_gl.h"
#include "script/timeline.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

constexpr int32_t FPS = 30;
constexpr int WIDTH = 1024;
constexpr int HEIGHT = 640;
constexpr int DRAWN = 3;     // frames drawn in each window
constexpr int WINDOWS = 7;   // one in every scene of the shipped demo, at these music seconds:
constexpr int32_t WINDOW_SECONDS[WINDOWS] = {2, 21, 51, 70, 93, 125, 160};
// Saved this many frames before a window: mid-scene, away from the seek table's slots; and right at it.
constexpr int32_t SAVED_BEFORE[2] = {37, 0};

int32_t s_music_ms = 0;
int32_t music() { return s_music_ms; }

uint8_t* s_pixels = nullptr;

// FNV-1a of the frame's pixels, read from the back buffer.
uint64_t frame_digest()
{
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, WIDTH, HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, s_pixels);
    uint64_t hash = 1469598103934665603ull;
    for (size_t i = 0; i < static_cast<size_t>(WIDTH) * HEIGHT * 4; ++i)
        hash = (hash ^ s_pixels[i]) * 1099511628211ull;
    return hash;
}

bool step(FrameLoop& loop, int64_t frame, bool draw)
{
    s_music_ms = virtual_music_ms(frame, FPS);
    const double T = virtual_frame_time(frame, FPS);
    glDrawBuffer(GL_BACK);
    return (draw ? frame_advance(loop, T, &music) : frame_skip(loop, T, &music)) == FrameResult::Drawn;
}

} // namespace

TEST(ShippedDemoSnapshots, ARestoredStateDrawsTheFramesOfAStraightRunBitForBit)
{
    ASSERT_EQ(chdir(VIGIL_SOURCE_DIR), 0);
    register_routines();
    std::string error;
    ASSERT_TRUE(headless_gl_open(WIDTH, HEIGHT, &error)) << error;
    s_pixels = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(WIDTH) * HEIGHT * 4));
    InitList* initList = nullptr;
    ASSERT_EQ(session_start(&initList), SessionStart::Built);
    int32_t failed = -1;
    ASSERT_EQ(session_run_inits(initList, false, InitHooks{}, &failed), InitPhase::Done) << failed;
    glViewport(0, 0, WIDTH, HEIGHT);

    // Results in plain arrays: nothing here may take arena memory per frame.
    const size_t stateSize = demo_state_size();
    auto* saved = static_cast<uint8_t*>(std::malloc(stateSize * WINDOWS * 2));
    uint64_t straight[WINDOWS][DRAWN] = {}, again[2][WINDOWS][DRAWN] = {};
    int64_t first[WINDOWS];
    for (int w = 0; w < WINDOWS; ++w)
        first[w] = first_frame_at(WINDOW_SECONDS[w] * 1000, FPS);

    FrameLoop loop{};
    frame_loop_start(loop, 0.0);
    bool ran = true;
    for (int64_t frame = 0, w = 0; w < WINDOWS && ran; ++frame) {
        for (int k = 0; k < 2; ++k)
            if (frame == first[w] - SAVED_BEFORE[k])
                demo_state_save(loop, saved + (static_cast<size_t>(w) * 2 + k) * stateSize);
        const int64_t drawn = frame - first[w];
        ran = step(loop, frame, drawn >= 0);
        if (drawn >= 0)
            straight[w][drawn] = frame_digest();
        if (drawn == DRAWN - 1)
            ++w;
    }
    ASSERT_TRUE(ran) << "the demo ended before its last window";

    for (int k = 0; k < 2; ++k) {
        for (int w = WINDOWS - 1; w >= 0; --w) {
            demo_state_restore(loop, saved + (static_cast<size_t>(w) * 2 + k) * stateSize);
            for (int64_t frame = first[w] - SAVED_BEFORE[k]; frame < first[w]; ++frame)
                step(loop, frame, false);
            for (int i = 0; i < DRAWN; ++i) {
                step(loop, first[w] + i, true);
                again[k][w][i] = frame_digest();
            }
        }
    }
    music_close();
    headless_gl_close();
    std::free(saved);
    std::free(s_pixels);

    for (int k = 0; k < 2; ++k)
        for (int w = 0; w < WINDOWS; ++w)
            for (int i = 0; i < DRAWN; ++i)
                EXPECT_EQ(again[k][w][i], straight[w][i])
                    << "frame " << first[w] + i << " (" << WINDOW_SECONDS[w] << " s) after restoring the state saved "
                    << SAVED_BEFORE[k] << " frames before";
    // The windows show different pictures: a digest of nothing would pass the comparison.
    EXPECT_NE(straight[0][0], straight[3][0]);
    EXPECT_NE(straight[3][0], straight[6][0]);
}
