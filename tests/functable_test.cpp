// Function table: registration, duplicates, the 256-entry limit, exact-name look-up. (Resolution from the tree
// and its messages: the script interface's tests.)
#include "script/functable.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Registration by static initialisers in order, exact names, each role called in its own form.
TEST(FuncTable, RegisteredRoutinesAreFoundByExactNameAndCalledInTheirForm)
{
    const char* names[] = {"music_init", "test_init", "black", "white", "sample_transition_post",
                           "sample_transition_post_init"};
    ASSERT_GE(g_funcTable.count, 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_STREQ(g_funcTable.entries[i]->name, names[i]);
    for (const char* other : {"Black", "black ", "blac", "blacks", ""})
        EXPECT_EQ(FuncTable_Find(other), nullptr) << other;
    FuncTable empty{};
    EXPECT_EQ(functable_find(empty, "black"), nullptr);

    g_routine_calls = {};
    EXPECT_EQ(call_init_routine(FuncTable_Find("music_init")), 1);
    EXPECT_EQ(call_init_routine(FuncTable_Find("test_init")), 0);
    call_frame_routine(FuncTable_Find("black"), 2.5, 0.02);
    call_hook_routine(FuncTable_Find("sample_transition_post_init"));
    const RoutineCalls& c = g_routine_calls;
    EXPECT_TRUE(c.initCalls == 2 && c.frameCalls == 1 && c.hookCalls == 1 && c.lastT == 2.5 && c.lastDt == 0.02);
}

static void impostor() {}

// A duplicate name and the 257th entry are refused with their messages; existing entries stay in force.
TEST(FuncTable, DuplicatesAndThe257thRegistrationAreRefused)
{
    Routine original = FuncTable_Find("black");
    int32_t count = g_funcTable.count;
    static FuncTableEntry duplicate = {"black", as_routine(&impostor)};
    LogCapture log;
    FuncTable_AddFunc(&duplicate);
    EXPECT_TRUE(g_funcTable.count == count && FuncTable_Find("black") == original);

    static FuncTable table{};
    static std::vector<std::string> names;
    static std::vector<FuncTableEntry> entries(257);
    static int marks[257];
    for (int i = 0; i < 257; ++i)
        names.push_back("routine_" + std::to_string(i));
    for (int i = 0; i < 257; ++i) // the names vector no longer grows: its strings stay put
        functable_add(table, &(entries[i] = {names[i].c_str(), reinterpret_cast<Routine>(&marks[i])}));
    EXPECT_EQ(table.count, 256);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"FuncTable_AddFunc: Function black already exists in function "
                                                   "table!\n",
                                                   "FuncTable_AddFunc: Too many functions in function table!\n"}));
    EXPECT_EQ(functable_find(table, "routine_255"), reinterpret_cast<Routine>(&marks[255]));
    EXPECT_EQ(functable_find(table, "routine_256"), nullptr);
}
