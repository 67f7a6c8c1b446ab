// The shared frame step: scene advance, the transition state machine, time
// steps and the order of routine and hook calls; the virtual frames and the
// preview's seek targets.
#include "core/frame_loop.h"
#include "core/init_runner.h"
#include "core/preview_seek.h"
#include "script/timeline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> s_calls;
std::vector<double> s_dts;
int32_t s_music = 0;

int32_t music_now()
{
    return s_music;
}

void routine_a(int32_t, int32_t, double, double dt)
{
    s_calls.push_back("a");
    s_dts.push_back(dt);
}
void routine_b(int32_t, int32_t, double, double) { s_calls.push_back("b"); }
void pre(int32_t, int32_t, double, double) { s_calls.push_back("pre"); }
void post(int32_t, int32_t, double, double) { s_calls.push_back("post"); }
void pre_init() { s_calls.push_back("pre_init"); }
void post_init() { s_calls.push_back("post_init"); }

Routine s_a[] = {as_routine(&routine_a)};
Routine s_b[] = {as_routine(&routine_b)};

SceneRecord scene(int32_t start, Routine* routines)
{
    SceneRecord r{};
    r.start = start;
    r.routineCount = 1;
    r.routines = routines;
    return r;
}

SceneRecord with_transition(SceneRecord r, int32_t length, bool hooks = true)
{
    r.hasTransition = 1;
    r.transitionLength = length;
    if (hooks) {
        r.prefunc = as_routine(&pre);
        r.postfunc = as_routine(&post);
        r.prefunc_init = as_routine(&pre_init);
        r.postfunc_init = as_routine(&post_init);
    }
    return r;
}

SceneRecord terminator(int32_t start)
{
    SceneRecord r{};
    r.start = start;
    return r;
}

// Runs one frame at music position `m` and returns the calls it made.
std::vector<std::string> frame(FrameLoop& loop, int32_t m, double T = 0.0)
{
    s_calls.clear();
    s_music = m;
    frame_advance(loop, T, &music_now);
    return s_calls;
}

using Calls = std::vector<std::string>;

} // namespace

TEST(FrameLoop, TheIndexMovesAtMostOneRecordPerFrameAndTimeStepsStartAtZero)
{
    std::vector<SceneRecord> timeline{scene(0, s_a), scene(100, s_b), scene(200, s_a), terminator(300)};
    g_timeline = timeline.data();
    FrameLoop loop{};
    frame_loop_start(loop, 5.0);
    s_dts.clear();
    EXPECT_EQ(frame(loop, 0, 5.0), Calls{"a"});
    EXPECT_EQ(s_dts, std::vector<double>{0.0}) << "the first frame's time step is 0";
    // The music jumped past two starts: one record per frame.
    EXPECT_EQ(frame(loop, 250, 5.5), Calls{"b"});
    EXPECT_EQ(g_current_scene, 1);
    EXPECT_EQ(frame(loop, 260, 5.75), Calls{"a"});
    EXPECT_EQ(g_current_scene, 2);
    EXPECT_DOUBLE_EQ(timeline[0].elapsed, 0.0);
    EXPECT_DOUBLE_EQ(timeline[1].elapsed, 0.5);
    EXPECT_DOUBLE_EQ(timeline[2].elapsed, 0.25);

    s_music = 300;
    EXPECT_EQ(frame_advance(loop, 6.0, &music_now), FrameResult::ReachedEnd);
    EXPECT_EQ(frame_advance(loop, 6.1, &music_now), FrameResult::Ended);

    timeline = {terminator(0)}; // only the terminator: nothing is drawn
    g_timeline = timeline.data();
    frame_loop_start(loop, 0.0);
    EXPECT_EQ(frame_advance(loop, 0.0, &music_now), FrameResult::Ended);
}

// A scene from 10,000 to 20,000 ms with 2,000 ms transitions.
TEST(FrameLoop, LeadInThenLeadOutHooksRunAroundTheRoutines)
{
    std::vector<SceneRecord> timeline{with_transition(scene(10000, s_a), 2000), scene(20000, s_b),
                                      terminator(30000)};
    g_timeline = timeline.data();
    FrameLoop loop{};
    frame_loop_start(loop, 0.0);
    EXPECT_EQ(frame(loop, 10500, 0.0), (Calls{"post_init", "a", "post"}));
    EXPECT_EQ(timeline[0].transitionElapsed, 0.0);
    EXPECT_EQ(frame(loop, 15000, 0.1), (Calls{"a", "post"})) << "the hook runs beyond its window";
    EXPECT_DOUBLE_EQ(timeline[0].transitionElapsed, 0.1);
    EXPECT_EQ(frame(loop, 17999, 0.2), (Calls{"a", "post"}));
    EXPECT_EQ(frame(loop, 18000, 0.3), (Calls{"pre_init", "a", "pre"}));
    EXPECT_DOUBLE_EQ(timeline[0].transitionElapsed, 0.1);
    EXPECT_EQ(frame(loop, 19000, 0.4), (Calls{"a", "pre"}));
    // The next scene has no transition: the pre flag stays, its null hooks
    // are not called.
    EXPECT_EQ(frame(loop, 20000, 0.5), (Calls{"b"}));
    EXPECT_EQ(loop.preFlag, 1);
}

TEST(FrameLoop, OverlappingWindowsSwitchStateEveryFrame)
{
    std::vector<SceneRecord> timeline{with_transition(scene(0, s_a), 600), terminator(1000)};
    g_timeline = timeline.data();
    FrameLoop loop{};
    frame_loop_start(loop, 0.0);
    EXPECT_EQ(frame(loop, 500), (Calls{"pre_init", "a", "pre"}));
    EXPECT_EQ(frame(loop, 510), (Calls{"post_init", "a", "post"}));
    EXPECT_EQ(frame(loop, 520), (Calls{"pre_init", "a", "pre"}));
    EXPECT_EQ(frame(loop, 700), (Calls{"a", "pre"})) << "outside the lead-in window the state stays";
}

TEST(FrameLoop, AMissedLeadOutWindowCarriesThePostStateIntoTheNextScene)
{
    std::vector<SceneRecord> timeline{with_transition(scene(0, s_a), 10), with_transition(scene(1000, s_b), 10),
                                      terminator(2000)};
    g_timeline = timeline.data();
    FrameLoop loop{};
    frame_loop_start(loop, 0.0);
    EXPECT_EQ(frame(loop, 5), (Calls{"post_init", "a", "post"}));
    EXPECT_EQ(frame(loop, 980), (Calls{"a", "post"}));
    // The next frame lands after the next start and after its lead-in window.
    EXPECT_EQ(frame(loop, 1050), (Calls{"b", "post"})) << "no post_init: the post flag was already set";
}

// The pre flag set in one scene stays at the change: a next scene entered
// after its lead-in window runs its prefunc from its first frame, and never
// its prefunc_init, not even in its own lead-out window.
TEST(FrameLoop, ALeadOutStateCarriesIntoTheNextScene)
{
    std::vector<SceneRecord> timeline{with_transition(scene(0, s_a), 100), with_transition(scene(1000, s_b), 100),
                                      terminator(2000)};
    g_timeline = timeline.data();
    FrameLoop loop{};
    frame_loop_start(loop, 0.0);
    EXPECT_EQ(frame(loop, 950), (Calls{"pre_init", "a", "pre"}));
    EXPECT_EQ(frame(loop, 1200), (Calls{"b", "pre"}));
    EXPECT_EQ(frame(loop, 1950), (Calls{"b", "pre"}));
}

TEST(FrameLoop, NullHooksStillChangeTheFlagsAndResetTheTransitionClock)
{
    std::vector<SceneRecord> timeline{with_transition(scene(0, s_a), 300, false), terminator(1000)};
    timeline[0].transitionElapsed = 7.0;
    g_timeline = timeline.data();
    FrameLoop loop{};
    frame_loop_start(loop, 0.0);
    EXPECT_EQ(frame(loop, 100), Calls{"a"});
    EXPECT_EQ(loop.postFlag, 1);
    EXPECT_EQ(timeline[0].transitionElapsed, 0.0);
    EXPECT_EQ(frame(loop, 800), Calls{"a"});
    EXPECT_EQ(loop.preFlag, 1);
    EXPECT_EQ(loop.postFlag, 0);
}

// Window edges beyond 32 bits (a built timeline refuses them, hand-made
// records need not) are compared as they are, not wrapped round.
TEST(FrameLoop, TransitionWindowsNearThe32BitLimitsDoNotWrap)
{
    std::vector<SceneRecord> timeline{with_transition(scene(1000, s_a), -2147483000), scene(2000, s_b),
                                      terminator(INT32_MAX - 10)};
    g_timeline = timeline.data();
    FrameLoop loop{};
    frame_loop_start(loop, 0.0);
    EXPECT_EQ(frame(loop, 1500), Calls{"a"}) << "both windows are empty";

    timeline[0] = with_transition(scene(1000, s_a), INT32_MAX);
    timeline[1] = with_transition(scene(INT32_MAX - 20, s_b), INT32_MAX);
    frame_loop_start(loop, 0.0);
    EXPECT_EQ(frame(loop, 1500), (Calls{"pre_init", "a", "pre"}));
    EXPECT_EQ(frame(loop, 1600), (Calls{"post_init", "a", "post"})) << "the lead-in window reaches past 2^31";
}

TEST(InitRunner, TheBandGrowsBy800OverTheCountInSinglePrecision)
{
    EXPECT_EQ(loading_band_end(4, 1), 200.0f);
    EXPECT_EQ(loading_band_end(4, 4), 800.0f);
    float third = static_cast<float>(800.0 / 3);
    EXPECT_EQ(loading_band_end(3, 1), third);
    EXPECT_EQ(loading_band_end(3, 2), third * 2.0f);
    EXPECT_NEAR(loading_band_end(3, 3), 800.0f, 1e-3f);
}

TEST(PreviewSeek, SceneStartsAndStepsStayWithinThePlayedScenes)
{
    const std::vector<SceneRecord> timeline{scene(0, s_a), scene(10000, s_b), scene(25000, s_a), terminator(40000)};
    const SceneRecord* tl = timeline.data();
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

// Virtual frames: the music position is floored, and a seek starts at the
// first frame whose position reaches the target.
TEST(PreviewSeek, TheFirstDrawnFrameIsTheFirstWhoseMusicReachesTheTarget)
{
    EXPECT_EQ(virtual_music_ms(2, 30), 66);
    EXPECT_EQ(virtual_frame_time(3, 30), 0.1);
    for (int32_t fps : {1, 7, 30, 48})
        for (int32_t ms : {0, 1, 33, 34, 67, 999, 1000, 170000}) {
            int64_t frame = first_frame_at(ms, fps);
            EXPECT_GE(virtual_music_ms(frame, fps), ms) << fps << " fps, " << ms << " ms";
            if (frame > 0) {
                EXPECT_LT(virtual_music_ms(frame - 1, fps), ms) << fps << " fps, " << ms << " ms";
            }
        }
}
