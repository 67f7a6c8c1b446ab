// Script interface: the init list and scene word list from the three files, each check in order with its message.
#include "params/param.h"
#include "script/script_interface.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

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
int32_t build(const std::string& init, const std::string& demo, const std::string& config = "")
{
    ScratchDir dir;
    dir.write("data/init.conf", init);
    dir.write("data/demo.conf", demo);
    dir.write("data/config.conf", config);
    return InitScriptInterface();
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
    ASSERT_NE(g_init_list, nullptr);
    EXPECT_TRUE(g_init_list[0] == FuncTable_Find("music_init") && g_init_list[1] == FuncTable_Find("test_init"));
    EXPECT_EQ(g_init_list[2], nullptr);
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
