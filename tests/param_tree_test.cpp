// Parameter tree: paths, duplicate names, set indexing, value kinds, the text form of numbers.
#include "params/param.h"

#include "core/arena.h"

#include <gtest/gtest.h>

// Paths descend through the first child of each name (a parameter shadows a later set); same-named sets indexed.
TEST(ParamTree, PathsFindTheFirstOfEachNameAndSetsAreIndexed)
{
    ParamSet root("root");
    root.SetFloat("p", 1.0f);
    ParamSet* a = root.AddSet("a", true);
    ParamSet* b = a->AddSet("b", false);
    b->SetFloat("c", 3.0f);
    ParamSet* a2 = root.AddSet("a", true);
    EXPECT_EQ(root.Find("a.b.c"), b->Find("c"));
    EXPECT_EQ(root.GetString("a.b.c", "none"), "3");
    for (const char* absent : {"", "a.x", "a.", "A", "p.x"})
        EXPECT_EQ(root.Find(absent), nullptr) << absent;
    EXPECT_EQ(root.GetString("nothing", "fallback"), "fallback");
    EXPECT_EQ(root.GetSet("a.b.c"), nullptr) << "a parameter is not a set";
    EXPECT_EQ(root.GetSet("a"), a);
    EXPECT_EQ(root.AddSet("a", false), a) << "without forceNew the existing set is returned";
    EXPECT_TRUE(root.GetSetCount() == 2 && root.GetSetByIndex(1) == a2);
    EXPECT_TRUE(!root.GetSetByIndex(2) && !root.GetSetByIndex(0xFFFFFFFFu));

    ParamSet shadow("s");
    shadow.SetFloat("p", 1.0f);
    shadow.AddSet("p", true)->SetFloat("x", 2.0f);
    EXPECT_EQ(shadow.Find("p.x"), nullptr);
}

// Reassignment keeps one child; an unresolved path lands here under the whole name. (A set's own name: the
// parameter file's test.)
TEST(ParamTree, AssignmentsUpdateInPlaceOrAppendUnderTheWholeName)
{
    ParamSet root("root");
    ParamSet* child = root.AddSet("child", false);
    child->SetString("v", "black");
    root.SetFloat("child.v", 4.0f);
    Param* v = child->Find("v");
    EXPECT_TRUE(v->GetKind() == PARAM_NUMBER && v->ToString() == "4");
    root.SetString("child.v", "x");
    EXPECT_TRUE(v->GetInt() == 4 && v->ToString() == "x" && child->Children().size() == 1u);

    root.SetFloat("missing.v", 7.0f);
    root.SetFloat("child.w", 8.0f);
    ASSERT_EQ(root.Children().size(), 3u);
    EXPECT_TRUE(root.Children()[1]->GetName() == "missing.v" && root.Children()[2]->GetName() == "child.w");
    EXPECT_EQ(root.Find("missing.v"), nullptr) << "the dotted name is read as a path";

}

TEST(ParamTree, NumbersFormatWithSixSignificantDigitsAndTruncateTowardZero)
{
    Param p("n");
    struct Case {
        float value;
        const char* text;
        int32_t integer;
    } cases[] = {
        {5000.0f, "5000", 5000},   {0.25f, "0.25", 0},        {2.999f, "2.999", 2},
        {-0.5f, "-0.5", 0},        {-2.5f, "-2.5", -2},        {1234567.0f, "1.23457e+06", 1234567},
        {999.9f, "999.9", 999},    {0.0f, "0", 0},
        {3e38f, "3e+38", INT32_MAX}, {-3e38f, "-3e+38", INT32_MIN}, // saturated, not undefined
    };
    for (const Case& c : cases) {
        p.SetFloat(c.value);
        EXPECT_EQ(p.ToString(), c.text) << c.value;
        EXPECT_EQ(p.GetInt(), c.integer) << c.value;
    }
}

// With the arena exhausted the setters assign nothing and no null child is stored.
TEST(ParamTree, ExhaustedArenaStoresNoNullChild)
{
    ParamSet set("s");
    set.SetFloat("kept", 1.0f);
    set.AddSet("first", true);

    // Too small for any Param; short names need no allocation of their own.
    ASSERT_TRUE(arena_create(ARENA_UNIT));
    ParamSet* added = set.AddSet("second", true);
    set.SetFloat("x", 2.0f);
    set.SetString("kept", "text"); // an existing parameter still takes a value
    size_t children = set.Children().size();
    int32_t remaining = g_arena.remaining;
    arena_release();

    EXPECT_TRUE(added == nullptr && children == 2u && set.Find("x") == nullptr);
    EXPECT_EQ(remaining, ARENA_UNIT) << "nothing fitted, so nothing was handed out";
    EXPECT_EQ(set.GetString("kept", ""), "text");
    for (Param* child : set.Children())
        EXPECT_NE(child, nullptr);
}
