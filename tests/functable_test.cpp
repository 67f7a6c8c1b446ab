// Function table: registration by static initialisers, duplicates, the
// 256-entry limit, exact-name look-up and resolution from the tree.
#include "params/param.h"
#include "script/functable.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(FuncTable, StaticInitialisersRegisteredTheTestRoutinesInOrder)
{
    const char* names[] = {"music_init",
                           "test_init",
                           "black",
                           "white",
                           "sample_transition_pre",
                           "sample_transition_pre_init",
                           "sample_transition_post",
                           "sample_transition_post_init"};
    ASSERT_GE(g_funcTable.count, 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_STREQ(g_funcTable.entries[i]->name, names[i]);

    // Each role is called in its own form through the untyped address.
    g_routine_calls = {};
    EXPECT_EQ(call_init_routine(FuncTable_Find("music_init")), 1);
    EXPECT_EQ(call_init_routine(FuncTable_Find("test_init")), 0);
    call_frame_routine(FuncTable_Find("black"), 2.5, 0.02);
    call_hook_routine(FuncTable_Find("sample_transition_post_init"));
    EXPECT_EQ(g_routine_calls.initCalls, 2);
    EXPECT_EQ(g_routine_calls.frameCalls, 1);
    EXPECT_EQ(g_routine_calls.hookCalls, 1);
    EXPECT_EQ(g_routine_calls.lastWord0, 0);
    EXPECT_EQ(g_routine_calls.lastWord1, 0);
    EXPECT_EQ(g_routine_calls.lastT, 2.5);
    EXPECT_EQ(g_routine_calls.lastDt, 0.02);
}

TEST(FuncTable, FindMatchesNamesExactly)
{
    EXPECT_NE(FuncTable_Find("black"), nullptr);
    EXPECT_EQ(FuncTable_Find("Black"), nullptr);
    EXPECT_EQ(FuncTable_Find("black "), nullptr);
    EXPECT_EQ(FuncTable_Find(""), nullptr);
    FuncTable empty{};
    EXPECT_EQ(functable_find(empty, "black"), nullptr);
}

static void impostor() {}

TEST(FuncTable, ADuplicateNameIsRefusedAndTheFirstStaysInForce)
{
    Routine original = FuncTable_Find("black");
    int32_t count = g_funcTable.count;
    static FuncTableEntry duplicate = {"black", as_routine(&impostor)};
    LogCapture log;
    FuncTable_AddFunc(&duplicate);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0], "FuncTable_AddFunc: Function black already exists in function table!\n");
    EXPECT_EQ(g_funcTable.count, count);
    EXPECT_EQ(FuncTable_Find("black"), original);
}

TEST(FuncTable, The257thRegistrationIsRefused)
{
    static FuncTable table{};
    static std::vector<std::string> names;
    static std::vector<FuncTableEntry> entries(257);
    static int marks[257];
    names.clear();
    for (int i = 0; i < 257; ++i)
        names.push_back("routine_" + std::to_string(i));
    LogCapture log;
    for (int i = 0; i < 257; ++i) {
        // Any distinct non-null address will do; the table never calls it.
        entries[i] = {names[i].c_str(), reinterpret_cast<Routine>(&marks[i])};
        functable_add(table, &entries[i]);
    }
    EXPECT_EQ(table.count, 256);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0], "FuncTable_AddFunc: Too many functions in function table!\n");
    EXPECT_EQ(functable_find(table, "routine_0"), reinterpret_cast<Routine>(&marks[0]));
    EXPECT_EQ(functable_find(table, "routine_255"), reinterpret_cast<Routine>(&marks[255]));
    EXPECT_EQ(functable_find(table, "routine_256"), nullptr);
}

TEST(FuncTable, GetFuncResolvesRequiredAndOptionalKeys)
{
    ParamSet set("transition");
    set.SetString("prefunc", "black");
    set.SetString("postfunc", "nonexistent");
    set.SetFloat("number", 5000.0f);
    set.AddSet("inner", false)->SetString("func", "white");

    LogCapture log;
    EXPECT_EQ(FuncTable_GetFunc(&set, "prefunc", false), FuncTable_Find("black"));
    EXPECT_EQ(FuncTable_GetFunc(&set, "inner.func", false), FuncTable_Find("white"));
    EXPECT_EQ(FuncTable_GetFunc(&set, "absent", true), nullptr);
    EXPECT_TRUE(log.lines.empty()) << "an absent optional key is silent";

    EXPECT_EQ(FuncTable_GetFunc(&set, "absent", false), routine_error());
    EXPECT_EQ(FuncTable_GetFunc(&set, "postfunc", true), routine_error());
    EXPECT_EQ(FuncTable_GetFunc(&set, "postfunc", false), routine_error());
    EXPECT_EQ(FuncTable_GetFunc(&set, "number", true), routine_error());
    ASSERT_EQ(log.lines.size(), 4u);
    EXPECT_EQ(log.lines[0], "Error: No function parameter 'absent' was found!\n");
    EXPECT_EQ(log.lines[1], "Error: Couldn't find function nonexistent in function table!\n");
    EXPECT_EQ(log.lines[2], "Error: Couldn't find function nonexistent in function table!\n");
    EXPECT_EQ(log.lines[3], "Error: Couldn't find function 5000 in function table!\n");

    EXPECT_NE(routine_error(), nullptr);
    for (int i = 0; i < g_funcTable.count; ++i)
        EXPECT_NE(g_funcTable.entries[i]->routine, routine_error());
}
