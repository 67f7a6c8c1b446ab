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

// The init list counts the routines before the null; nothing built or an exhausted arena gives null. No
// test-framework call while the tiny arena serves operator new.
TEST(Timeline, InitListAndTheNullResults)
{
    Routine list[] = {R(0), R(1), R(2), nullptr}, empty[] = {nullptr};
    g_init_list = list;
    InitList* init = script_init_init();
    ASSERT_NE(init, nullptr);
    ASSERT_EQ(init->count, 3);
    EXPECT_TRUE(init->routines[0] == R(0) && init->routines[2] == R(2));
    g_init_list = empty;
    EXPECT_EQ(script_init_init()->count, 0);

    g_scene_words = nullptr;
    g_init_list = nullptr;
    EXPECT_EQ(script_init(), nullptr);
    EXPECT_EQ(script_init_init(), nullptr);

    std::vector<ScriptWord> words{0, 1, word_of(R(0)), 0, 0, 100, 0, 0, 0};
    g_scene_words = words.data();
    g_init_list = list;
    ASSERT_TRUE(arena_create(ARENA_UNIT + ARENA_REDZONE));
    SceneRecord* records = script_init();
    init = script_init_init();
    arena_release();
    EXPECT_EQ(records, nullptr);
    EXPECT_EQ(init, nullptr);
}

// Starts, lengths (next start minus this one), routines, second list, transitions; a zero count ends the records.
TEST(Timeline, RecordsCarryStartsLengthsRoutinesAndTransitions)
{
    ScriptWord r0 = word_of(R(0)), r1 = word_of(R(1)), p = word_of(R(2)), q = word_of(R(3));
    // 1000 ms (second list R1 R0), 2500 ms (two routines, 800 ms transition, prefunc P, postfunc_init Q), 500 ms.
    std::vector<ScriptWord> words{0,    1, r0, 2, r1, r0, 0,                 //
                                  1000, 2, r0, r1, 0, 1, 800, p, 0, 0, q, //
                                  3500, 1, r1, 0, 0,                       //
                                  4000, 0, 0, 0,                           //
                                  4200, 1, r0, 0, 0};                      // after the terminator: not read
    SceneRecord* r = records_from(words);
    ASSERT_NE(r, nullptr);
    const int32_t starts[] = {0, 1000, 3500, 4000}, lengths[] = {1000, 2500, 500, 0}, counts[] = {1, 2, 1, 0};
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(r[i].start == starts[i] && r[i].length == lengths[i] && r[i].routineCount == counts[i] &&
                    r[i].elapsed == 0.0 && r[i].hasTransition == (i == 1))
            << i << ": " << r[i].start << " " << r[i].length << " " << r[i].routineCount;
    EXPECT_TRUE(r[0].extraCount == 2 && r[0].extraRoutines[0] == R(1) && r[0].extraRoutines[1] == R(0));
    EXPECT_TRUE(r[1].extraCount == 0 && r[1].extraRoutines == nullptr);
    EXPECT_TRUE(r[1].routines[0] == R(0) && r[1].routines[1] == R(1) && r[2].routines[0] == R(1));
    EXPECT_EQ(r[1].transitionLength, 800);
    EXPECT_TRUE(r[1].prefunc == R(2) && !r[1].postfunc && !r[1].prefunc_init && r[1].postfunc_init == R(3));
    EXPECT_TRUE(!r[0].prefunc && !r[3].routines);

    std::vector<ScriptWord> none{0, 0, 0, 0};
    r = records_from(none);
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(r[0].start == 0 && r[0].length == 0 && r[0].routineCount == 0 && !r[0].routines);
}
