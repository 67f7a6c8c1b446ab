// Script interface: the init list and scene word list built from the three
// files, with every check in its order and its message.
#include "script/script_interface.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <variant>

namespace {

// One expected word: a number or the name of a registered routine.
using Word = std::variant<int64_t, const char*>;

std::vector<ScriptWord> expand(std::initializer_list<Word> words)
{
    std::vector<ScriptWord> out;
    for (const Word& w : words) {
        if (std::holds_alternative<int64_t>(w)) {
            out.push_back(static_cast<ScriptWord>(std::get<int64_t>(w)));
        } else {
            Routine r = FuncTable_Find(std::get<const char*>(w));
            EXPECT_NE(r, nullptr) << std::get<const char*>(w);
            out.push_back(word_of(r));
        }
    }
    return out;
}

std::vector<ScriptWord> scene_words()
{
    return std::vector<ScriptWord>(g_scene_words, g_scene_words + g_scene_word_count);
}

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

// Builds the script from the given files in a scratch directory; returns
// InitScriptInterface's result.
int32_t build(const std::string& init, const std::string& demo, const std::string& config = "")
{
    ScratchDir dir;
    dir.write("data/init.conf", init);
    dir.write("data/demo.conf", demo);
    dir.write("data/config.conf", config);
    return InitScriptInterface();
}

} // namespace

TEST(ScriptInterface, TheExampleGivesItsWordList)
{
    LogCapture log;
    std::string demo = "<scenes>\n<dark>\ntime_length = 3000\n<routine>\nfunc = black\n</routine>\n</dark>\n"
                       "</scenes>\n<order>\n<scene>\nscene_name = dark\n</scene>\n<scene>\nscene_name = dark\n"
                       "<transition>\ntime_length = 500\npostfunc_init = sample_transition_post_init\n"
                       "postfunc = sample_transition_post\n</transition>\n</scene>\n</order>\n";
    ASSERT_EQ(build("", demo), 1);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(scene_words(), expand({0, 1, "black", 0, 0, 3000, 1, "black", 0, 1, 500, 0, 0, "sample_transition_post",
                                     "sample_transition_post_init", 6000, 0, 0, 0}));
}

TEST(ScriptInterface, InitListFollowsNumberedSetsUntilTheFirstGap)
{
    LogCapture log;
    std::string init = "<init1>\nfunc = music_init\n</init1>\n<init2>\nfunc = test_init\n</init2>\n"
                       "<init4>\nfunc = not_registered\n</init4>\n";
    ASSERT_EQ(build(init, "<order>\n</order>\n"), 1);
    ASSERT_NE(g_init_list, nullptr);
    EXPECT_EQ(g_init_list[0], FuncTable_Find("music_init"));
    EXPECT_EQ(g_init_list[1], FuncTable_Find("test_init"));
    EXPECT_EQ(g_init_list[2], nullptr);
    EXPECT_TRUE(log.lines.empty()) << "init4 is never looked at";
    EXPECT_EQ(scene_words(), expand({0, 0, 0, 0}));
}

TEST(ScriptInterface, MissingInitFileGivesAnEmptyInitListAndConfigHasNoEffect)
{
    ScratchDir dir;
    dir.write("data/demo.conf", "<scenes>\n" + scene("a", "1000") + "</scenes>\n<order>\n" + play("a") + "</order>\n");
    dir.write("data/config.conf", "</stray>\n<scenes>\n<a>\n"); // malformed: no effect on the script
    LogCapture log;
    ASSERT_EQ(InitScriptInterface(), 1);
    ASSERT_NE(g_init_list, nullptr);
    EXPECT_EQ(g_init_list[0], nullptr);
    EXPECT_EQ(scene_words(), expand({0, 1, "black", 0, 0, 1000, 0, 0, 0}));
}

TEST(ScriptInterface, StartsAreSumsOfTruncatedLengths)
{
    LogCapture log;
    std::string demo = "<scenes>\n" + scene("a", "1000") + scene("b", "2500", "white") + scene("c", "500.9") +
                       "</scenes>\n<order>\n" + play("a") + play("b") + play("c") + play("a") + "</order>\n";
    ASSERT_EQ(build("", demo), 1);
    EXPECT_EQ(scene_words(), expand({0, 1, "black", 0, 0, 1000, 1, "white", 0, 0, 3500, 1, "black", 0, 0, 4000, 1,
                                     "black", 0, 0, 5000, 0, 0, 0}));

    ASSERT_EQ(build("", "<scenes>\n" + scene("x", "999.9") + "</scenes>\n<order>\n" + play("x") + "</order>\n"), 1);
    EXPECT_EQ(scene_words()[5], 999);
}

TEST(ScriptInterface, OrderIgnoresOtherChildrenAndDefinitionsMayHaveNoRoutines)
{
    LogCapture log;
    std::string demo = "<scenes>\n<empty>\ntime_length = 700\nnote = plain parameters are ignored\n</empty>\n" +
                       scene("a", "100") + "</scenes>\n<order>\nremark = 1\n<other>\n</other>\n" + play("a") +
                       play("empty") + play("a") + "</order>\n";
    ASSERT_EQ(build("", demo), 1);
    // The zero routine count of "empty" ends the timeline for the runtime form.
    EXPECT_EQ(scene_words(), expand({0, 1, "black", 0, 0, 100, 0, 0, 0, 800, 1, "black", 0, 0, 900, 0, 0, 0}));
}

TEST(ScriptInterface, TransitionWithOnlyALengthHasNoHooks)
{
    LogCapture log;
    std::string demo = "<scenes>\n" + scene("a", "1000") + "</scenes>\n<order>\n" +
                       play("a", "<transition>\ntime_length = 250\n</transition>\n") + "</order>\n";
    ASSERT_EQ(build("", demo), 1);
    EXPECT_EQ(scene_words(), expand({0, 1, "black", 0, 1, 250, 0, 0, 0, 0, 1000, 0, 0, 0}));
}

TEST(ScriptInterface, EachFailureReportsItsReasonInCheckOrder)
{
    std::string scenes = "<scenes>\n" + scene("a", "1000") +
                         "<nolength>\n<routine>\nfunc = black\n</routine>\n</nolength>\n"
                         "<extra>\ntime_length = 5\n<routine>\nfunc = black\n</routine>\n<other>\n</other>\n</extra>\n"
                         "<unknown>\ntime_length = 5\n<routine>\nfunc = nosuch\n</routine>\n</unknown>\n"
                         "<nofunc>\ntime_length = 5\n<routine>\n</routine>\n</nofunc>\n"
                         "</scenes>\n";
    struct Case {
        std::string order;
        std::vector<std::string> messages;
    } cases[] = {
        {play("a") + "<scene>\n</scene>\n", {"Error: Couldn't find scene_name tag in order 1!\n"}},
        {play("missing"), {"Error: Couldn't find scene missing in scene list!\n"}},
        {play("nolength"), {"Error: Couldn't find time_length tag in scene nolength!\n"}},
        {play("extra"),
         {"Error: Number of actual routines does not match number of specified routines in scene 'extra'!\n"}},
        {play("unknown"), {"Error: Couldn't find function nosuch in function table!\n"}},
        {play("nofunc"), {"Error: No function parameter 'func' was found!\n"}},
        {play("a", "<transition>\nfunc = wipe\nprefunc = black\n</transition>\n"),
         {"Error: Found transition set in order 0 with transition 'wipe' but no transition time length "
          "specified!\n"}},
        {play("a") + play("a", "<transition>\n</transition>\n"),
         {"Error: Found transition set in order 1 with transition '' but no transition time length specified!\n"}},
        // All four hooks are resolved before the build fails, and the missing
        // length is not reported after a hook failed.
        {play("a", "<transition>\nprefunc = nope1\npostfunc = black\nprefunc_init = nope2\n"
                   "postfunc_init = nope3\n</transition>\n"),
         {"Error: Couldn't find function nope1 in function table!\n",
          "Error: Couldn't find function nope2 in function table!\n",
          "Error: Couldn't find function nope3 in function table!\n"}},
    };
    for (const Case& c : cases) {
        LogCapture log;
        EXPECT_EQ(build("", scenes + "<order>\n" + c.order + "</order>\n"), 0) << c.order;
        EXPECT_EQ(log.lines, c.messages) << c.order;
    }

    LogCapture log;
    EXPECT_EQ(build("<init1>\nfunc = nosuch\n</init1>\n", scenes + "<order>\n</order>\n"), 0);
    EXPECT_EQ(log.lines, std::vector<std::string>{"Error: Couldn't find function nosuch in function table!\n"});
}

TEST(ScriptInterface, MissingOrderOrScenesFailsWithAMessage)
{
    LogCapture log;
    EXPECT_EQ(build("", "<scenes>\n" + scene("a", "1") + "</scenes>\n"), 0);
    EXPECT_EQ(build("", "<order>\n" + play("a") + "</order>\n"), 0);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Error: Couldn't find the order set!\n",
                                                   "Error: Couldn't find the scenes set!\n"}));
    // An order that plays nothing needs no scenes.
    EXPECT_EQ(build("", "<order>\n</order>\n"), 1);
}

TEST(ScriptInterface, ATimelineLongerThan32BitMillisecondsIsRefused)
{
    LogCapture log;
    std::string demo = "<scenes>\n" + scene("long", "2e9") + "</scenes>\n<order>\n" + play("long") + play("long") +
                       "</order>\n";
    EXPECT_EQ(build("", demo), 0);
    EXPECT_EQ(log.lines, std::vector<std::string>{
                             "Error: Scene long in order 1 ends outside the timeline's range of milliseconds!\n"});
}

// The lead-in window ends at the scene's start plus the transition length and
// the lead-out window begins at the next start minus it; a length that takes
// either past 32 bits is refused, naming it. One that stays inside is kept.
TEST(ScriptInterface, ATransitionReachingPast32BitMillisecondsIsRefused)
{
    LogCapture log;
    auto demo = [](const std::string& length) {
        return "<scenes>\n" + scene("a", "1000") + "</scenes>\n<order>\n" + play("a") +
               play("a", "<transition>\ntime_length = " + length + "\n</transition>\n") + "</order>\n";
    };
    EXPECT_EQ(build("", demo("2147483520")), 0);
    EXPECT_EQ(build("", demo("-2147483520")), 0);
    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             "Error: Transition in order 1 has a time_length of 2147483520 ms, which reaches "
                             "outside the timeline's range of milliseconds!\n",
                             "Error: Transition in order 1 has a time_length of -2147483520 ms, which reaches "
                             "outside the timeline's range of milliseconds!\n"}));
    EXPECT_EQ(build("", demo("2147481600")), 1);
}
