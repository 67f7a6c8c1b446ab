// The script module: the function table (registration, duplicates, the 256-entry limit, exact names), the init
// list and scene word list built from the three files (each check in order with its message), and the runtime
// timeline made from those lists.
#include "base/arena.h"
#include "params/param.h"
#include "script/functable.h"
#include "script/script_interface.h"
#include "script/timeline.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Words = std::vector<ScriptWord>;

// The word of a registered routine (0, which no list expects there, if it is not registered).
ScriptWord fn(const char* name) { return word_of(FuncTable_Find(name)); }

std::vector<ScriptWord> scene_words() { return {g_scene_words, g_scene_words + g_scene_word_count}; }

// A scene definition holding one routine.
std::string scene(const std::string& name, const std::string& length, const std::string& routine = "black")
{
    return "<" + name + ">\ntime_length = " + length + "\n<routine>\nfunc = " + routine + "\n</routine>\n</" +
           name + ">\n";
}

std::string play(const std::string& name, const std::string& extra = "")
{
    return "<scene>\nscene_name = " + name + "\n" + extra + "</scene>\n";
}
std::string order(const std::string& plays) { return "<order>\n" + plays + "</order>\n"; }

// Builds the script from the given files in a scratch directory; InitScriptInterface's result.
int32_t build(const std::string& init, const std::string& demo, const std::string& config = "",
              ScriptErrors errors = ScriptErrors::StopAtFirst)
{
    ScratchDir dir;
    dir.write("data/init.conf", init);
    dir.write("data/demo.conf", demo);
    dir.write("data/config.conf", config);
    return InitScriptInterface(errors);
}

} // namespace

// Starts are sums of truncated lengths, only "scene" sets of the order play, a transition may have only a length,
// a definition may have no routines (its zero count ends the runtime form).
TEST(ScriptInterface, BuildsTheSceneWordList)
{
    const std::string scenes = "<scenes>\n" + scene("a", "1000") + scene("b", "2500", "white") + scene("c", "500.9") +
                               "<empty>\ntime_length = 700\nnote = plain parameters are ignored\n</empty>\n</scenes>\n";
    const struct {
        std::string order;
        Words words;
    } cases[] = {
        {play("a") + play("b") + play("c") + play("a"),
         {0, 1, fn("black"), 0, 0, 1000, 1, fn("white"), 0, 0, 3500, 1, fn("black"), 0, 0, 4000, 1, fn("black"), 0, 0,
          5000, 0, 0, 0}},
        {"remark = 1\n<other>\n</other>\n" + play("a") + play("empty"),
         {0, 1, fn("black"), 0, 0, 1000, 0, 0, 0, 1700, 0, 0, 0}},
        {play("a", "<transition>\ntime_length = 250\n</transition>\n"),
         {0, 1, fn("black"), 0, 1, 250, 0, 0, 0, 0, 1000, 0, 0, 0}},
        {play("a") + play("a", "<transition>\ntime_length = 500\npostfunc_init = sample_transition_post_init\n"
                               "postfunc = sample_transition_post\n</transition>\n"),
         {0, 1, fn("black"), 0, 0, 1000, 1, fn("black"), 0, 1, 500, 0, 0, fn("sample_transition_post"),
          fn("sample_transition_post_init"), 2000, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        LogCapture log;
        ASSERT_EQ(build("", scenes + order(c.order)), 1) << c.order;
        EXPECT_TRUE(log.lines.empty()) << c.order;
        EXPECT_EQ(scene_words(), c.words) << c.order;
    }
}

// The init list stops at the first gap (init4 unread); no init file: an empty list; config.conf adds no script.
TEST(ScriptInterface, InitListAndTheThreeFiles)
{
    LogCapture log;
    ASSERT_EQ(build("<init1>\nfunc = music_init\n</init1>\n<init2>\nfunc = test_init\n</init2>\n"
                    "<init4>\nfunc = not_registered\n</init4>\n",
                    order(""), "</stray>\n<scenes>\n<a>\n"),
              1);
    for (const std::string& line : log.lines) // only the parser's, about config.conf
        EXPECT_EQ(line.rfind("ParamManager: ", 0), 0u) << line;
    ASSERT_TRUE(g_init_list && g_init_list[0] == FuncTable_Find("music_init") &&
                g_init_list[1] == FuncTable_Find("test_init") && !g_init_list[2]);
    EXPECT_EQ(scene_words(), (Words{0, 0, 0, 0}));

    ScratchDir dir;
    dir.write("data/demo.conf", "<scenes>\n" + scene("a", "1000") + "</scenes>\n" + order(play("a")));
    ASSERT_EQ(InitScriptInterface(), 1);
    EXPECT_TRUE(g_init_list && !g_init_list[0]);
}

// One root for all files: a parameter assigned twice keeps the later value; a set defined twice is two sets and
// the script reads the first (init.conf's scene a, 1000 ms).
TEST(ScriptInterface, ANameInTwoFilesTheLaterParameterAndTheFirstSetWin)
{
    LogCapture log;
    const std::string init = "speed = 1\n<scenes>\n" + scene("a", "1000") + "</scenes>\n";
    const std::string demo = "speed = 2\n<scenes>\n" + scene("a", "2000", "white") + "</scenes>\n" + order(play("a"));
    ASSERT_EQ(build(init, demo, "speed = 3\n"), 1);
    EXPECT_EQ(scene_words(), (Words{0, 1, fn("black"), 0, 0, 1000, 0, 0, 0}));
    EXPECT_EQ(g_param_root->GetString("speed", ""), "3");
    EXPECT_EQ(g_param_root->GetSetCount(), 3); // scenes, scenes, order
}

// Each failure gives 0 and its message, in check order: scene_name, definition, time_length, routines, hooks,
// transition length, the 32-bit range of the timeline and of the transition windows.
TEST(ScriptInterface, EachFailureReportsItsReasonInCheckOrder)
{
    std::string scenes = "<scenes>\n" + scene("a", "1000") + scene("long", "2e9") + scene("a.b", "1000") +
                         "<nolength>\n<routine>\nfunc = black\n</routine>\n</nolength>\n"
                         "<extra>\ntime_length = 5\n<routine>\nfunc = black\n</routine>\n<other>\n</other>\n</extra>\n"
                         "<unknown>\ntime_length = 5\n<routine>\nfunc = 5000\n</routine>\n</unknown>\n"
                         "<nofunc>\ntime_length = 5\n<routine>\n</routine>\n</nofunc>\n"
                         "</scenes>\n";
    auto transition = [](const std::string& length) {
        return play("a") + play("a", "<transition>\ntime_length = " + length + "\n</transition>\n");
    };
    const std::string outside = " ms, which reaches outside the timeline's range of milliseconds!\n";
    struct Case {
        std::string order;
        std::vector<std::string> messages;
    } cases[] = {
        {play("a") + "<scene>\n</scene>\n", {"Error: Couldn't find scene_name tag in order 1!\n"}},
        {play("missing"), {"Error: Couldn't find scene missing in scene list!\n"}},
        // A dot in a set's name makes it unplayable; a dotted scene_name reaches into a definition.
        {play("a.b"), {"Error: Couldn't find scene a.b in scene list!\n"}},
        {play("a.routine"), {"Error: Couldn't find time_length tag in scene a.routine!\n"}},
        {play("nolength"), {"Error: Couldn't find time_length tag in scene nolength!\n"}},
        {play("extra"),
         {"Error: Number of actual routines does not match number of specified routines in scene 'extra'!\n"}},
        {play("unknown"), {"Error: Couldn't find function 5000 in function table!\n"}}, // a number names no routine
        {play("nofunc"), {"Error: No function parameter 'func' was found!\n"}},
        {play("a", "<transition>\nfunc = wipe\nprefunc = black\n</transition>\n"),
         {"Error: Found transition set in order 0 with transition 'wipe' but no transition time length "
          "specified!\n"}},
        {play("a") + play("a", "<transition>\n</transition>\n"),
         {"Error: Found transition set in order 1 with transition '' but no transition time length specified!\n"}},
        // All four hooks are resolved before failing; no missing-length message after a hook failed.
        {play("a", "<transition>\nprefunc = nope1\npostfunc = black\nprefunc_init = nope2\n"
                   "postfunc_init = nope3\n</transition>\n"),
         {"Error: Couldn't find function nope1 in function table!\n",
          "Error: Couldn't find function nope2 in function table!\n",
          "Error: Couldn't find function nope3 in function table!\n"}},
        {play("long") + play("long"),
         {"Error: Scene long in order 1 ends outside the timeline's range of milliseconds!\n"}},
        {transition("2147483520"), {"Error: Transition in order 1 has a time_length of 2147483520" + outside}},
        {transition("-2147483520"), {"Error: Transition in order 1 has a time_length of -2147483520" + outside}},
    };
    for (const Case& c : cases) {
        LogCapture log;
        EXPECT_EQ(build("", scenes + order(c.order)), 0) << c.order;
        EXPECT_EQ(log.lines, c.messages) << c.order;
    }
    LogCapture log;
    EXPECT_EQ(build("", scenes + order(transition("2147481600"))), 1) << "inside the range";
    EXPECT_EQ(build("<init1>\nfunc = nosuch\n</init1>\n", scenes + order("")), 0);
    EXPECT_EQ(build("", "<scenes>\n" + scene("a", "1") + "</scenes>\n"), 0);
    EXPECT_EQ(build("", order(play("a"))), 0);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Error: Couldn't find function nosuch in function table!\n",
                                                   "Error: Couldn't find the order set!\n",
                                                   "Error: Couldn't find the scenes set!\n"}));
    EXPECT_EQ(build("", order("")), 1) << "an order that plays nothing needs no scenes";
}

// Registration by static initialisers in order, exact names, each role called in its own form.
// A script check goes on through every init routine, scene and routine, so one pass reports all it can find; the
// programs stop at the first problem. Either way the build fails. A negative length builds, with a warning.
TEST(ScriptInterface, ACheckReportsEveryProblemTheProgramsStopAtTheFirst)
{
    const std::string init =
        "<init1>\nfunc = nosuch1\n</init1>\n<init2>\nfunc = black\n</init2>\n<init3>\nfunc = nosuch2\n</init3>\n";
    const std::string demo =
        "<scenes>\n" + scene("a", "1000") + scene("b", "1000", "nosuch3") +
        "<c>\ntime_length = 5\n<routine>\nfunc = nosuch4\n</routine>\n<routine>\nfunc = nosuch5\n</routine>\n</c>\n"
        "</scenes>\n" +
        order(play("a") + play("b") + play("missing") + play("c"));
    auto unknown = [](const char* name) {
        return std::string("Error: Couldn't find function ") + name + " in function table!\n";
    };
    LogCapture all;
    EXPECT_EQ(build(init, demo, "", ScriptErrors::ReportAll), 0);
    EXPECT_EQ(all.lines, (std::vector<std::string>{unknown("nosuch1"), unknown("nosuch2"), unknown("nosuch3"),
                                                   "Error: Couldn't find scene missing in scene list!\n",
                                                   unknown("nosuch4"), unknown("nosuch5")}));
    LogCapture first;
    EXPECT_EQ(build(init, demo), 0);
    EXPECT_EQ(first.lines, std::vector<std::string>{unknown("nosuch1")});

    LogCapture warned;
    EXPECT_EQ(build("", "<scenes>\n" + scene("a", "1000") + scene("back", "-400") + "</scenes>\n" +
                            order(play("a") + play("back") + play("a"))),
              1);
    EXPECT_EQ(warned.lines, std::vector<std::string>{"Warning: Scene back in order 1 has a negative time_length of "
                                                     "-400 ms: the next scene starts 400 ms into its own animation!\n"});
    EXPECT_EQ(g_scene_words[g_scene_word_count - 4], 1600) << "the end: the lengths' sum, as before";
}

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
    ASSERT_TRUE(init && init->count == 3 && init->routines[0] == R(0) && init->routines[2] == R(2));
    g_init_list = empty;
    EXPECT_EQ(script_init_init()->count, 0);

    g_scene_words = nullptr;
    g_init_list = nullptr;
    EXPECT_TRUE(!script_init() && !script_init_init());

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
    ASSERT_TRUE(r && r[0].start == 0 && r[0].length == 0 && r[0].routineCount == 0 && !r[0].routines);
}
