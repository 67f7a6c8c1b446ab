// The shared frame step (scene advance, transition states, time steps, call order), the loading band, the
// virtual frames and the preview's seek targets.
#include "core/frame_loop.h"
#include "core/init_runner.h"
#include "core/preview_seek.h"
#include "script/timeline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;
Calls s_calls;
std::vector<double> s_dts;
int32_t s_music = 0;

int32_t music_now() { return s_music; }

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

Routine s_a[] = {as_routine(&routine_a)}, s_b[] = {as_routine(&routine_b)};

SceneRecord scene(int32_t start, Routine* routines = nullptr)
{
    SceneRecord r{};
    r.start = start;
    r.routineCount = routines ? 1 : 0; // no routines: the terminator
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

// Runs one frame at music position `m` and returns the calls it made.
Calls frame(FrameLoop& loop, int32_t m, double T = 0.0)
{
    s_calls.clear();
    s_music = m;
    frame_advance(loop, T, &music_now);
    return s_calls;
}

} // namespace

TEST(FrameLoop, TheIndexMovesAtMostOneRecordPerFrameAndTimeStepsStartAtZero)
{
    std::vector<SceneRecord> timeline{scene(0, s_a), scene(100, s_b), scene(200, s_a), scene(300)};
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
    EXPECT_TRUE(timeline[0].elapsed == 0.0 && timeline[1].elapsed == 0.5 && timeline[2].elapsed == 0.25);

    s_music = 300;
    EXPECT_EQ(frame_advance(loop, 6.0, &music_now), FrameResult::ReachedEnd);
    EXPECT_EQ(frame_advance(loop, 6.1, &music_now), FrameResult::Ended);

    timeline = {scene(0)}; // only the terminator: nothing is drawn
    g_timeline = timeline.data();
    frame_loop_start(loop, 0.0);
    EXPECT_EQ(frame_advance(loop, 0.0, &music_now), FrameResult::Ended);
}

// Lead-in window [start, start + length] opens the post state (postfunc_init once, then postfunc every frame),
// lead-out [end - length, end) the pre state; flags carry over scene changes, null hooks still switch them,
// windows near 2^31 do not wrap.
TEST(FrameLoop, TransitionStatesFollowTheWindowsAndCarryAcrossScenes)
{
    struct Step {
        int32_t music;
        Calls calls;
        double transitionElapsed = -1; // of the first record; -1: not checked
    };
    const struct {
        const char* what;
        std::vector<SceneRecord> timeline;
        std::vector<Step> steps;
        int32_t preFlag, postFlag; // after the last step
    } cases[] = {
        {"lead-in then lead-out, the next scene without a transition",
         {with_transition(scene(10000, s_a), 2000), scene(20000, s_b), scene(30000)},
         {{10500, {"post_init", "a", "post"}, 0.0},
          {15000, {"a", "post"}, 0.1},
          {17999, {"a", "post"}},
          {18000, {"pre_init", "a", "pre"}, 0.1},
          {19000, {"a", "pre"}},
          {20000, {"b"}}},
         1, 0},
        {"overlapping windows switch every frame",
         {with_transition(scene(0, s_a), 600), scene(1000)},
         {{500, {"pre_init", "a", "pre"}},
          {510, {"post_init", "a", "post"}},
          {520, {"pre_init", "a", "pre"}},
          {700, {"a", "pre"}}},
         1, 0},
        {"a missed lead-out window carries the post state into the next scene",
         {with_transition(scene(0, s_a), 10), with_transition(scene(1000, s_b), 10), scene(2000)},
         {{5, {"post_init", "a", "post"}}, {980, {"a", "post"}}, {1050, {"b", "post"}}},
         0, 1},
        {"a lead-out state carries into the next scene, even into its own lead-out window",
         {with_transition(scene(0, s_a), 100), with_transition(scene(1000, s_b), 100), scene(2000)},
         {{950, {"pre_init", "a", "pre"}}, {1200, {"b", "pre"}}, {1950, {"b", "pre"}}},
         1, 0},
        {"null hooks",
         {with_transition(scene(0, s_a), 300, false), scene(1000)},
         {{100, {"a"}, 0.0}, {800, {"a"}}},
         1, 0},
        {"empty windows of a negative length near -2^31",
         {with_transition(scene(1000, s_a), -2147483000), scene(2000, s_b), scene(INT32_MAX - 10)},
         {{1500, {"a"}}},
         0, 0},
        {"a lead-in window reaching past 2^31",
         {with_transition(scene(1000, s_a), INT32_MAX), with_transition(scene(INT32_MAX - 20, s_b), INT32_MAX),
          scene(INT32_MAX - 10)},
         {{1500, {"pre_init", "a", "pre"}}, {1600, {"post_init", "a", "post"}}},
         0, 1},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.what);
        c.timeline[0].transitionElapsed = 7.0;
        g_timeline = c.timeline.data();
        FrameLoop loop{};
        frame_loop_start(loop, 0.0);
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            EXPECT_EQ(frame(loop, step.music, 0.1 * static_cast<double>(i)), step.calls) << step.music;
            if (step.transitionElapsed >= 0) {
                EXPECT_DOUBLE_EQ(c.timeline[0].transitionElapsed, step.transitionElapsed) << step.music;
            }
        }
        EXPECT_TRUE(loop.preFlag == c.preFlag && loop.postFlag == c.postFlag) << loop.preFlag << loop.postFlag;
    }
}

TEST(InitRunner, TheBandGrowsBy800OverTheCountInSinglePrecision)
{
    const float third = static_cast<float>(800.0 / 3);
    EXPECT_TRUE(loading_band_end(4, 1) == 200.0f && loading_band_end(4, 4) == 800.0f);
    EXPECT_TRUE(loading_band_end(3, 1) == third && loading_band_end(3, 2) == third * 2.0f);
    EXPECT_NEAR(loading_band_end(3, 3), 800.0f, 1e-3f);
}

TEST(PreviewSeek, SceneStartsAndStepsStayWithinThePlayedScenes)
{
    const std::vector<SceneRecord> timeline{scene(0, s_a), scene(10000, s_b), scene(25000, s_a), scene(40000)};
    for (auto [ms, index] : {std::pair{0, 0}, {9999, 0}, {10000, 1}, {50000, 2}}) // never the terminator
        EXPECT_EQ(scene_index_at(timeline.data(), ms), index) << ms;
    const struct {
        int32_t from;
        SeekKey key;
        int32_t to;
    } seeks[] = {
        {12000, SeekKey::Back, 7000},          {3000, SeekKey::Back, 0},
        {12000, SeekKey::Forward, 17000},      {38000, SeekKey::Forward, 39999}, // not onto the terminator
        {12000, SeekKey::PreviousScene, 0},    {5000, SeekKey::PreviousScene, 0},
        {12000, SeekKey::NextScene, 25000},    {30000, SeekKey::NextScene, 39999}, // the last scene has no next
        {30000, SeekKey::Beginning, 0},
    };
    for (const auto& s : seeks)
        EXPECT_EQ(seek_target(timeline.data(), s.from, s.key), s.to) << s.from << " key " << static_cast<int>(s.key);
    SceneRecord empty[1]{};
    EXPECT_EQ(seek_target(empty, 0, SeekKey::Forward), -1);
}

// The music position is floored; a seek starts at the first frame whose position reaches the target.
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
