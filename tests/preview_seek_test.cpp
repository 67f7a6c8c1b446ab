// Where the preview's keys seek to, and the virtual frames a seek steps.
#include "core/frame_loop.h"
#include "core/preview_seek.h"

#include <gtest/gtest.h>

namespace {

// Scenes at 0, 10000 and 25000 ms; the terminator at 40000.
struct Timeline {
    SceneRecord records[4]{};
    Timeline()
    {
        const int32_t starts[] = {0, 10000, 25000, 40000};
        for (int i = 0; i < 4; ++i) {
            records[i].start = starts[i];
            records[i].routineCount = i < 3 ? 1 : 0;
        }
    }
};

} // namespace

TEST(PreviewSeek, SceneStartsAndStepsStayWithinThePlayedScenes)
{
    Timeline t;
    const SceneRecord* tl = t.records;
    EXPECT_EQ(scene_index_at(tl, 0), 0);
    EXPECT_EQ(scene_index_at(tl, 9999), 0);
    EXPECT_EQ(scene_index_at(tl, 10000), 1);
    EXPECT_EQ(scene_index_at(tl, 50000), 2); // never the terminator

    EXPECT_EQ(seek_target(tl, 12000, SeekKey::Back), 7000);
    EXPECT_EQ(seek_target(tl, 3000, SeekKey::Back), 0);
    EXPECT_EQ(seek_target(tl, 12000, SeekKey::Forward), 17000);
    EXPECT_EQ(seek_target(tl, 38000, SeekKey::Forward), 39999); // not onto the terminator
    EXPECT_EQ(seek_target(tl, 12000, SeekKey::PreviousScene), 0);
    EXPECT_EQ(seek_target(tl, 5000, SeekKey::PreviousScene), 0);
    EXPECT_EQ(seek_target(tl, 12000, SeekKey::NextScene), 25000);
    EXPECT_EQ(seek_target(tl, 30000, SeekKey::NextScene), 39999); // the last scene has no next
    EXPECT_EQ(seek_target(tl, 30000, SeekKey::Beginning), 0);

    SceneRecord empty[1]{};
    EXPECT_EQ(seek_target(empty, 0, SeekKey::Forward), -1);
}

TEST(PreviewSeek, TheFirstDrawnFrameIsTheFirstWhoseMusicReachesTheTarget)
{
    for (int32_t fps : {1, 7, 30, 48})
        for (int32_t ms : {0, 1, 33, 34, 999, 1000, 170000}) {
            int64_t frame = first_frame_at(ms, fps);
            EXPECT_GE(virtual_music_ms(frame, fps), ms) << fps << " fps, " << ms << " ms";
            if (frame > 0) {
                EXPECT_LT(virtual_music_ms(frame - 1, fps), ms) << fps << " fps, " << ms << " ms";
            }
        }
}
