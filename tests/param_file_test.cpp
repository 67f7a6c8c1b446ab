// Parameter files: line reduction, tags, parameter typing, the 127-character
// reads, CR LF line ends and the parser's three messages with line numbers.
#include "params/param.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

namespace {

// Writes `content` as "test.conf" in a scratch directory and loads it into a
// fresh root; messages go to `log`.
ParamManager* load_text(const std::string& content, LogCapture& log)
{
    ScratchDir dir;
    dir.write("test.conf", content);
    auto* root = new ParamManager();
    EXPECT_TRUE(root->Load("test.conf"));
    (void)log;
    return root;
}

} // namespace

TEST(ParamFile, TheFormatExampleBuildsItsTree)
{
    LogCapture log;
    ParamManager* root = load_text("# init routines\n"
                                   "<init1>\n"
                                   "func = music_init   # sound set-up\n"
                                   "</init1>\n"
                                   "<scenes>\n"
                                   "  <black_intro>\n"
                                   "    time_length = 4000\n"
                                   "    <routine>\n"
                                   "      func = black\n"
                                   "    </routine>\n"
                                   "  </black_intro>\n"
                                   "</scenes>\n",
                                   log);
    EXPECT_TRUE(log.lines.empty());
    ASSERT_EQ(root->Children().size(), 2u);
    Param* func = root->Find("init1.func");
    ASSERT_NE(func, nullptr);
    EXPECT_EQ(func->GetKind(), PARAM_TEXT);
    EXPECT_EQ(func->ToString(), "music_init");
    Param* length = root->Find("scenes.black_intro.time_length");
    ASSERT_NE(length, nullptr);
    EXPECT_EQ(length->GetKind(), PARAM_NUMBER);
    EXPECT_EQ(length->GetInt(), 4000);
    EXPECT_EQ(root->GetString("scenes.black_intro.routine.func", ""), "black");
}

TEST(ParamFile, MissingFileIsReportedOnlyByTheResult)
{
    ScratchDir dir;
    LogCapture log;
    ParamManager root;
    EXPECT_FALSE(root.Load("data/absent.conf"));
    EXPECT_TRUE(log.lines.empty());
    EXPECT_TRUE(root.Children().empty());
}

TEST(ParamFile, ValueWordsAreTypedByStreamExtraction)
{
    LogCapture log;
    ParamManager* root = load_text("n1 = 12abc\n"
                                   "n2 = 0x10\n"
                                   "t1 = abc\n"
                                   "t2 = -\n"
                                   "t3 = inf\n"
                                   "t4 =\n"
                                   "a b = c d\n"
                                   "= 5\n"
                                   "eq = b=c\n"
                                   "f = -2.5e1\n",
                                   log);
    EXPECT_TRUE(log.lines.empty());
    struct Expect {
        const char* name;
        ParamKind kind;
        const char* text;
    } expected[] = {
        {"n1", PARAM_NUMBER, "12"}, {"n2", PARAM_NUMBER, "0"}, {"t1", PARAM_TEXT, "abc"},
        {"t2", PARAM_TEXT, "-"},    {"t3", PARAM_TEXT, "inf"}, {"t4", PARAM_TEXT, ""},
        {"a", PARAM_TEXT, "c"},     {"", PARAM_NUMBER, "5"},   {"eq", PARAM_TEXT, "b=c"},
        {"f", PARAM_NUMBER, "-25"},
    };
    ASSERT_EQ(root->Children().size(), std::size(expected));
    for (const Expect& e : expected) {
        Param* p = root->Find(e.name);
        ASSERT_NE(p, nullptr) << e.name;
        EXPECT_EQ(p->GetKind(), e.kind) << e.name;
        EXPECT_EQ(p->ToString(), e.text) << e.name;
    }
}

TEST(ParamFile, LaterAssignmentsWinAndSetNamesAssignTheSetsOwnValue)
{
    LogCapture log;
    ParamManager* root = load_text("<s>\nx = 1\n</s>\n"
                                   "k = 1\nk = word\n"
                                   "s = 9\n",
                                   log);
    Param* k = root->Find("k");
    EXPECT_EQ(k->GetKind(), PARAM_TEXT);
    EXPECT_EQ(k->ToString(), "word");
    EXPECT_EQ(k->GetInt(), 1);
    ASSERT_EQ(root->Children().size(), 2u);
    EXPECT_TRUE(root->Find("s")->IsSet());
    EXPECT_EQ(root->Find("s")->ToString(), "9");
    EXPECT_EQ(root->GetString("s.x", ""), "1");
}

TEST(ParamFile, TagsAreTakenVerbatimAndEveryBeginTagMakesANewSet)
{
    LogCapture log;
    ParamManager* root = load_text("<init1>   # a comment after a tag\n"
                                   "</init1>\n"
                                   "<init1>\nfunc = second\n</init1>\n"
                                   "< spaced >\n</ spaced >\n"
                                   "<>\n</>\n",
                                   log);
    EXPECT_TRUE(log.lines.empty());
    ASSERT_EQ(root->GetSetCount(), 4);
    EXPECT_EQ(root->GetSet("init1"), root->GetSetByIndex(0));
    EXPECT_EQ(root->GetSetByIndex(1)->GetString("func", ""), "second");
    EXPECT_EQ(root->GetSetByIndex(2)->GetName(), " spaced ");
    EXPECT_EQ(root->GetSetByIndex(3)->GetName(), "");
}

TEST(ParamFile, MalformedLinesWarnWithTheirLineNumbers)
{
    LogCapture log;
    ParamManager* root = load_text("\n"
                                   "   \t \n"
                                   "# only a comment\n"
                                   "<s>\n"
                                   "no equals here\n"
                                   "</s>\n"
                                   "<t> trailing\n",
                                   log);
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0], "ParamManager: Warning: Ignoring malformed parameter in set s on line 5 of test.conf\n");
    EXPECT_EQ(log.lines[1],
              "ParamManager: Warning: Ignoring malformed parameter in set root on line 7 of test.conf\n");
    EXPECT_EQ(root->GetSetCount(), 1);
}

TEST(ParamFile, LongLinesAreReadIn127CharacterPieces)
{
    // 200 characters: a piece of 127 ("x...x" with no "=") and one of 73
    // holding the assignment; the next line's warning shows the count moved
    // by two.
    std::string first(127, 'x');
    std::string second = "k = " + std::string(69, 'v');
    ASSERT_EQ(first.size() + second.size(), 200u);
    LogCapture log;
    ParamManager* root = load_text(first + second + "\nbad\n", log);
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0], "ParamManager: Warning: Ignoring malformed parameter in set root on line 1 of test.conf\n");
    EXPECT_EQ(log.lines[1], "ParamManager: Warning: Ignoring malformed parameter in set root on line 3 of test.conf\n");
    EXPECT_EQ(root->GetString("k", ""), std::string(69, 'v'));
}

TEST(ParamFile, WindowsLineEndsParseLikeUnixOnesAndTheLastLineNeedsNoEnd)
{
    std::string unixText = "<scenes>\n<a>\ntime_length = 127\n</a>\n</scenes>\nlast = end";
    std::string windowsText = "<scenes>\r\n<a>\r\ntime_length = 127\r\n</a>\r\n</scenes>\r\nlast = end";
    LogCapture log;
    ParamManager* unixRoot = load_text(unixText, log);
    ParamManager* windowsRoot = load_text(windowsText, log);
    EXPECT_TRUE(log.lines.empty());
    for (ParamManager* root : {unixRoot, windowsRoot}) {
        EXPECT_EQ(root->GetString("scenes.a.time_length", ""), "127");
        EXPECT_EQ(root->GetString("last", ""), "end");
    }
    // A CR LF counts as one character of the 127: 126 x's, CR LF, then "k=1"
    // is line 2, not a continuation.
    ParamManager* edge = load_text(std::string(126, 'x') + "\r\nk=1\r\n", log);
    EXPECT_EQ(edge->GetString("k", ""), "1");
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0], "ParamManager: Warning: Ignoring malformed parameter in set root on line 1 of test.conf\n");
}

TEST(ParamFile, UnclosedSetsWarnInnermostFirstAndTheRootNever)
{
    LogCapture log;
    load_text("<outer>\n<inner>\nx = 1\n", log);
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0], "ParamManager: Warning: Expected an end set tag but didn't find one for set inner of test.conf\n");
    EXPECT_EQ(log.lines[1], "ParamManager: Warning: Expected an end set tag but didn't find one for set outer of test.conf\n");

    // A nested set that happens to be named "root" is not warned about.
    LogCapture quiet;
    load_text("<root>\nx = 1\n", quiet);
    EXPECT_TRUE(quiet.lines.empty());
}

TEST(ParamFile, MismatchedEndTagClosesTheSetAndItsParentGoesOn)
{
    LogCapture log;
    ParamManager* root = load_text("<outer>\n<inner>\n</wrong>\nafter = 1\n</outer>\nlast = 2\n", log);
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0],
              "ParamManager: Error: Mismatched end tag for current set (set is inner, end tag was wrong)\n");
    EXPECT_EQ(log.lines[1], "ParamManager: Warning: Expected an end set tag but didn't find one for set inner of test.conf\n");
    EXPECT_EQ(root->GetString("outer.after", ""), "1");
    EXPECT_EQ(root->GetString("last", ""), "2");
}

TEST(ParamFile, StrayTopLevelEndTagStopsTheFile)
{
    LogCapture log;
    ParamManager* root = load_text("first = 1\n</scenes>\nsecond = 2\n<s>\n", log);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0],
              "ParamManager: Error: Mismatched end tag for current set (set is root, end tag was scenes)\n");
    EXPECT_NE(root->Find("first"), nullptr);
    EXPECT_EQ(root->Find("second"), nullptr);
    EXPECT_EQ(root->GetSetCount(), 0);
}

TEST(ParamFile, DeepNestingDoesNotExhaustTheStack)
{
    std::string text;
    const int depth = 200000;
    for (int i = 0; i < depth; ++i)
        text += "<a>\n";
    text += "leaf = 1\n";
    LogCapture log;
    ParamManager* root = load_text(text, log);
    EXPECT_EQ(log.lines.size(), static_cast<size_t>(depth));
    ParamSet* set = root;
    int levels = 0;
    while (ParamSet* next = set->GetSet("a")) {
        set = next;
        ++levels;
    }
    EXPECT_EQ(levels, depth);
    EXPECT_EQ(set->GetString("leaf", ""), "1");
}

TEST(ParamFile, AZeroByteEndsTheLineItSitsOn)
{
    LogCapture log;
    ParamManager* root = load_text(std::string("k = 1\0junk\nm = 2\n", 17), log);
    EXPECT_EQ(root->GetString("k", ""), "1");
    EXPECT_EQ(root->GetString("m", ""), "2");
    EXPECT_TRUE(log.lines.empty());
}
