// Runtime timeline: InitList and SceneRecords from the script's lists.
#include "script/script_interface.h"
#include "script/timeline.h"

#include "core/arena.h"

#include <gtest/gtest.h>

namespace {

Routine R(int i)
{
    static int marks[8];
    return reinterpret_cast<Routine>(&marks[i]);
}

// Points the script's lists at `words` for script_init.
SceneRecord* records_from(std::vector<ScriptWord>& words)
{
    g_scene_words = words.data();
    g_scene_word_count = static_cast<int32_t>(words.size());
    return script_init();
}

} // namespace

TEST(Timeline, InitListCountsTheRoutinesBeforeTheNull)
{
    Routine list[] = {R(0), R(1), R(2), nullptr};
    g_init_list = list;
    InitList* init = script_init_init();
    ASSERT_NE(init, nullptr);
    ASSERT_EQ(init->count, 3);
    EXPECT_EQ(init->routines[0], R(0));
    EXPECT_EQ(init->routines[2], R(2));

    Routine empty[] = {nullptr};
    g_init_list = empty;
    init = script_init_init();
    ASSERT_NE(init, nullptr);
    EXPECT_EQ(init->count, 0);
}

TEST(Timeline, NoScenesGiveOnlyATerminatorAtZero)
{
    std::vector<ScriptWord> words{0, 0, 0, 0};
    SceneRecord* r = records_from(words);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r[0].start, 0);
    EXPECT_EQ(r[0].length, 0);
    EXPECT_EQ(r[0].routineCount, 0);
    EXPECT_EQ(r[0].routines, nullptr);
    EXPECT_EQ(r[0].hasTransition, 0);
}

TEST(Timeline, RecordsCarryStartsLengthsRoutinesAndTransitions)
{
    ScriptWord r0 = word_of(R(0)), r1 = word_of(R(1)), p = word_of(R(2)), q = word_of(R(3));
    // Three scenes of 1000, 2500 and 500 ms; the second has two routines and
    // an 800 ms transition with prefunc P and postfunc_init Q only.
    std::vector<ScriptWord> words{0,    1, r0, 0, 0,             //
                                  1000, 2, r0, r1, 0, 1, 800, p, 0, 0, q, //
                                  3500, 1, r1, 0, 0,             //
                                  4000, 0, 0, 0};
    SceneRecord* r = records_from(words);
    ASSERT_NE(r, nullptr);
    int32_t starts[] = {0, 1000, 3500, 4000};
    int32_t lengths[] = {1000, 2500, 500, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(r[i].start, starts[i]);
        EXPECT_EQ(r[i].length, lengths[i]);
        EXPECT_EQ(r[i].elapsed, 0.0);
        EXPECT_EQ(r[i].extraCount, 0);
        EXPECT_EQ(r[i].extraRoutines, nullptr);
    }
    EXPECT_EQ(r[1].routineCount, 2);
    EXPECT_EQ(r[1].routines[0], R(0));
    EXPECT_EQ(r[1].routines[1], R(1));
    EXPECT_EQ(r[1].hasTransition, 1);
    EXPECT_EQ(r[1].transitionLength, 800);
    EXPECT_EQ(r[1].prefunc, R(2));
    EXPECT_EQ(r[1].postfunc, nullptr);
    EXPECT_EQ(r[1].prefunc_init, nullptr);
    EXPECT_EQ(r[1].postfunc_init, R(3));
    EXPECT_EQ(r[0].hasTransition, 0);
    EXPECT_EQ(r[0].prefunc, nullptr);
    EXPECT_EQ(r[3].routineCount, 0);

    g_timeline = r;
    g_current_scene = 2;
    EXPECT_EQ(GetCurrentScene(), &r[2]);
}

TEST(Timeline, AZeroRoutineCountInTheMiddleBecomesTheTerminator)
{
    ScriptWord r0 = word_of(R(0));
    std::vector<ScriptWord> words{0, 1, r0, 0, 0, 100, 0, 0, 0, 800, 1, r0, 0, 0, 900, 0, 0, 0};
    SceneRecord* r = records_from(words);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r[0].length, 100);
    EXPECT_EQ(r[1].start, 100);
    EXPECT_EQ(r[1].routineCount, 0);
    EXPECT_EQ(r[1].routines, nullptr);
}

TEST(Timeline, ASecondRoutineListIsCarriedThrough)
{
    ScriptWord r0 = word_of(R(0)), r1 = word_of(R(1));
    std::vector<ScriptWord> words{0, 1, r0, 2, r1, r0, 0, 50, 0, 0, 0};
    SceneRecord* r = records_from(words);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r[0].extraCount, 2);
    EXPECT_EQ(r[0].extraRoutines[0], R(1));
    EXPECT_EQ(r[0].extraRoutines[1], R(0));
    EXPECT_EQ(r[1].start, 50);
}

TEST(Timeline, NothingBuiltGivesNull)
{
    g_scene_words = nullptr;
    g_init_list = nullptr;
    EXPECT_EQ(script_init(), nullptr);
    EXPECT_EQ(script_init_init(), nullptr);
}

// With the arena exhausted, the conversions report failure instead of writing
// through a null block. No test-framework call may run while the tiny arena
// serves operator new.
TEST(Timeline, ExhaustedArenaGivesNullNotAWriteThroughNull)
{
    ScriptWord r0 = word_of(R(0));
    std::vector<ScriptWord> words{0, 1, r0, 0, 0, 100, 0, 0, 0};
    Routine list[] = {R(0), nullptr};
    g_scene_words = words.data();
    g_init_list = list;

    ASSERT_TRUE(arena_create(ARENA_UNIT + ARENA_REDZONE));
    SceneRecord* records = script_init();
    InitList* init = script_init_init();
    arena_release();

    EXPECT_EQ(records, nullptr);
    EXPECT_EQ(init, nullptr);
}
