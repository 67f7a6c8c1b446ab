// Saved demo states and the seek table: a seek lands on the state a straight run has before its target, from
// any slot, whatever was stepped before; the filler leaves the caller's state alone; memory stays bounded.
#include "base/random.h"
#include "core/demo_state.h"
#include "core/frame_loop.h"
#include "core/seek.h"
#include "script/timeline.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// The routines' state of this test: it depends on every T, dt, the random sequence and the transition hooks, so
// any part of the saved state that is missing or stale shows in it.
struct FakeRoutines {
    double sum = 0.0;
    uint32_t mixed = 7;
    int32_t hooks = 0;
};
FakeRoutines s_state;

void fake_reset()
{
    s_state = FakeRoutines{};
}

void wander(int32_t, int32_t, double T, double dt)
{
    s_state.sum += T * 0.5 + dt * 3.0 + GetCurrentScene()->elapsed;
    s_state.mixed = s_state.mixed * 31u + static_cast<uint32_t>(demo_rand());
}
void hook()
{
    ++s_state.hooks;
}

Routine s_wander[] = {as_routine(&wander)};

SceneRecord scene(int32_t start, bool transition)
{
    SceneRecord r{};
    r.start = start;
    r.routineCount = 1;
    r.routines = s_wander;
    if (transition) {
        r.hasTransition = 1;
        r.transitionLength = 700;
        r.prefunc_init = as_routine(&hook);
        r.postfunc_init = as_routine(&hook);
    }
    return r;
}

constexpr int32_t FPS = 30;

// A demo of 20 s in four scenes, two with transitions.
struct FakeDemo {
    std::vector<SceneRecord> timeline{scene(0, false), scene(3000, true), scene(9000, true), scene(14500, false),
                                      SceneRecord{20000, 0, 0, 0, 0, 0, nullptr, nullptr, 0, 0, {}, {}, {}, {}}};
    FrameLoop loop{};

    FakeDemo()
    {
        g_timeline = timeline.data();
        demo_state_attach_routines({&s_state, sizeof s_state, &fake_reset});
        demo_state_reset();
        s_state.mixed = 12345; // what an init routine would leave
        frame_loop_start(loop, 0.0);
    }
    ~FakeDemo() { demo_state_attach_routines({}); }

    std::vector<uint8_t> saved() const
    {
        std::vector<uint8_t> bytes(demo_state_size());
        demo_state_save(loop, bytes.data());
        return bytes;
    }
};

int32_t s_music_ms = 0;
int32_t music() { return s_music_ms; }

// The state before each frame of a straight run, the frame at which it ended, and the state after that frame
// last.
std::vector<std::vector<uint8_t>> straight_run(FakeDemo& demo, int64_t& endFrame)
{
    std::vector<std::vector<uint8_t>> before;
    endFrame = -1;
    for (int64_t i = 0; endFrame < 0; ++i) {
        before.push_back(demo.saved());
        s_music_ms = virtual_music_ms(i, FPS);
        if (frame_skip(demo.loop, virtual_frame_time(i, FPS), &music) != FrameResult::Drawn)
            endFrame = i;
    }
    before.push_back(demo.saved());
    return before;
}

} // namespace

TEST(Seek, EverySeekLandsOnTheStraightRunsStateFromAnySlotInAnyOrder)
{
    FakeDemo demo;
    const std::vector<uint8_t> start = demo.saved();
    int64_t endFrame = 0;
    const auto expected = straight_run(demo, endFrame);
    ASSERT_EQ(endFrame, first_frame_at(20000, FPS));

    demo_state_restore(demo.loop, start.data());
    SeekTable table;
    ASSERT_TRUE(seek_table_create(table, demo.loop, FPS));
    EXPECT_EQ(table.interval, SEEK_SLOT_SECONDS * FPS);
    // Forward far (fills slots on the way), back into a filled slot, into the middle of a transition, back to
    // the start, to a slot's own frame, and to the last frame before the end.
    for (int64_t target : {int64_t{400}, int64_t{61}, int64_t{285}, int64_t{0}, int64_t{240}, endFrame - 1, int64_t{2}}) {
        demo.loop.previousT = 99.0; // leftovers of whatever played before the seek
        s_state.sum = -1.0;
        EXPECT_TRUE(seek_table_seek(table, demo.loop, target)) << target;
        EXPECT_EQ(demo.saved(), expected[static_cast<size_t>(target)]) << "seek to frame " << target;
    }
    EXPECT_GE(table.filled, static_cast<int32_t>(400 / table.interval) + 1);

    // Past the end: the state after the frame that ended it, and the seek says so, also the second time.
    for (int64_t target : {endFrame + 50, endFrame + 1, endFrame + 50}) {
        EXPECT_FALSE(seek_table_seek(table, demo.loop, target));
        EXPECT_EQ(demo.saved(), expected.back()) << target;
    }
    seek_table_free(table);
}

TEST(Seek, TheFillerFillsEverySlotAndLeavesTheLiveStateAsItWas)
{
    FakeDemo demo;
    const std::vector<uint8_t> start = demo.saved();
    int64_t endFrame = 0;
    const auto expected = straight_run(demo, endFrame);
    demo_state_restore(demo.loop, start.data());
    SeekTable table;
    ASSERT_TRUE(seek_table_create(table, demo.loop, FPS));

    // The live demo sits at frame 100 while the filler works, with a seek in between that fills slots ahead.
    ASSERT_TRUE(seek_table_seek(table, demo.loop, 100));
    const std::vector<uint8_t> live = demo.saved();
    int32_t turns = 0;
    while (seek_table_fill(table, demo.loop, 7)) {
        ASSERT_EQ(demo.saved(), live) << "turn " << turns;
        if (++turns == 5) {
            ASSERT_TRUE(seek_table_seek(table, demo.loop, 350));
            demo_state_restore(demo.loop, live.data());
        }
        ASSERT_LT(turns, 1000);
    }
    EXPECT_EQ(demo.saved(), live);
    EXPECT_EQ(table.filled, table.capacity);
    for (int32_t slot = 0; slot < table.filled; ++slot) {
        std::vector<uint8_t> bytes(table.slotSize);
        std::memcpy(bytes.data(), table.slots + static_cast<size_t>(slot) * table.slotSize, table.slotSize);
        EXPECT_EQ(bytes, expected[static_cast<size_t>(slot * table.interval)]) << "slot " << slot;
    }
    seek_table_free(table);
}

// A demo as long as a music position can be keeps at most SEEK_MAX_SLOTS slots, spaced further apart.
TEST(Seek, SlotsStayBoundedForTheLongestDemo)
{
    FakeDemo demo;
    demo.timeline.back().start = INT32_MAX;
    SeekTable table;
    ASSERT_TRUE(seek_table_create(table, demo.loop, FPS));
    EXPECT_LE(table.capacity, SEEK_MAX_SLOTS + 1);
    EXPECT_GT(table.interval, SEEK_SLOT_SECONDS * FPS);
    EXPECT_LE(seek_table_bytes(table), static_cast<size_t>(SEEK_MAX_SLOTS + 3) * demo_state_size());
    seek_table_free(table);
}
