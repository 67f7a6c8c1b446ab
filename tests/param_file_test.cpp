// Parameters: the tree (paths, duplicate names, set indexing, value kinds, numbers' text form, large sets) and
// the files (line reduction, tags, typing, 127-character reads, line ends, the three messages, text and file
// parsed alike).
#include "base/arena.h"
#include "params/location.h"
#include "params/param.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// Loads `content` as "test.conf" into a fresh root.
ParamManager* load_text(const std::string& content)
{
    ScratchDir dir;
    dir.write("test.conf", content);
    auto* root = new ParamManager();
    EXPECT_TRUE(root->Load("test.conf"));
    return root;
}

std::string malformed(const char* set, int line)
{
    return "ParamManager: Warning: Ignoring malformed parameter in set " + std::string(set) + " on line " +
           std::to_string(line) + " of test.conf\n";
}

std::string unclosed(const char* set)
{
    return "ParamManager: Warning: Expected an end set tag but didn't find one for set " + std::string(set) +
           " of test.conf\n";
}

std::string mismatched(const char* set, const char* tag)
{
    return "ParamManager: Error: Mismatched end tag for current set (set is " + std::string(set) + ", end tag was " +
           tag + ")\n";
}

// Everything a parse leaves behind, as text: the tree in order (name, kind, value and where each node was
// written) and each diagnostic with the file and line it points at.
struct ParseRecord {
    std::string tree;
    std::vector<std::string> messages;
    bool operator==(const ParseRecord&) const = default;
};

void record_tree(const Param* node, int depth, std::string& out)
{
    SourceLocation at = location_of(node);
    out += std::string(depth, ' ') + (node->IsSet() ? "<" : "") + node->GetName() + " " +
           std::to_string(node->GetKind()) + " " + node->ToString() + " @" + (at.file ? at.file : "?") + ":" +
           std::to_string(at.line) + "\n";
    if (node->IsSet())
        for (const Param* child : static_cast<const ParamSet*>(node)->Children())
            record_tree(child, depth + 1, out);
}

void record_message(const char* text, void* user)
{
    SourceLocation at = diagnostic_location();
    static_cast<ParseRecord*>(user)->messages.push_back((at.file ? at.file : std::string("?")) + ":" +
                                                        std::to_string(at.line) + " " + text);
}

// Parses `content` as data/demo.conf, from a file (Load) or from memory (LoadText), with locations tracked.
ParseRecord parse_record(const std::string& content, bool fromFile)
{
    ScratchDir dir;
    dir.write("data/demo.conf", content);
    ParseRecord record;
    location_tracking(true);
    LogSink previous = diag_set_sink(&record_message, &record);
    auto* root = new ParamManager();
    bool loaded = fromFile ? root->Load("data/demo.conf") : root->LoadText("data/demo.conf", content.data(),
                                                                             content.size());
    diag_set_sink(previous, nullptr);
    record_tree(root, 0, record.tree);
    location_tracking(false);
    EXPECT_TRUE(loaded);
    return record;
}

// The first child of `set` named `name` by walking the children: what an index must agree with.
Param* first_named(const ParamSet* set, const std::string& name)
{
    for (Param* child : set->Children())
        if (child->HasName(name))
            return child;
    return nullptr;
}

} // namespace

// Comments, blanks, tags verbatim, a new set per begin tag, value words typed by stream extraction.
TEST(ParamFile, LinesReduceToTagsAndTypedParameters)
{
    LogCapture log;
    ParamManager* root = load_text("# init routines\n"
                                   "<init1>   # a comment after a tag\n"
                                   "func = music_init   # sound set-up\n"
                                   "</init1>\n"
                                   "<init1>\nfunc = second\n</init1>\n"
                                   "< spaced >\n</ spaced >\n<>\n</>\n"
                                   "<scenes>\n  <intro>\n    time_length = 4000\n  </intro>\n</scenes>\n"
                                   "n1 = 12abc\nn2 = 0x10\nt1 = abc\nt2 = -\nt3 = inf\nt4 =\n"
                                   "a b = c d\n= 5\neq = b=c\nf = -2.5e1\n");
    EXPECT_TRUE(log.lines.empty());
    ASSERT_EQ(root->GetSetCount(), 5);
    EXPECT_EQ(root->GetSet("init1"), root->GetSetByIndex(0));
    EXPECT_EQ(root->GetSetByIndex(1)->GetString("func", ""), "second");
    EXPECT_TRUE(root->GetSetByIndex(2)->GetName() == " spaced " && root->GetSetByIndex(3)->GetName().empty());
    const struct {
        const char* name;
        ParamKind kind;
        const char* text;
    } expected[] = {
        {"init1.func", PARAM_TEXT, "music_init"}, {"scenes.intro.time_length", PARAM_NUMBER, "4000"},
        {"n1", PARAM_NUMBER, "12"}, {"n2", PARAM_NUMBER, "0"}, {"t1", PARAM_TEXT, "abc"}, {"t2", PARAM_TEXT, "-"},
        {"t3", PARAM_TEXT, "inf"},  {"t4", PARAM_TEXT, ""},    {"a", PARAM_TEXT, "c"},    {"", PARAM_NUMBER, "5"},
        {"eq", PARAM_TEXT, "b=c"},  {"f", PARAM_NUMBER, "-25"},
    };
    for (const auto& e : expected) {
        Param* p = root->Find(e.name);
        ASSERT_NE(p, nullptr) << e.name;
        EXPECT_EQ(p->GetKind(), e.kind) << e.name;
        EXPECT_EQ(p->ToString(), e.text) << e.name;
    }
}

// Messages with line numbers (a 200-character line counts as two, CR LF as one character), and what the tree
// keeps after them.
TEST(ParamFile, MessagesAndWhatParsingDoesAfterThem)
{
    const std::string x126(126, 'x'), x127(127, 'x'), v69(69, 'v');
    using Values = std::vector<std::pair<const char*, std::string>>; // "": absent
    const struct {
        std::string text;
        std::vector<std::string> messages;
        Values values; // read after the parse
    } cases[] = {
        {"\n   \t \n# only a comment\n<s>\nno equals here\n</s>\n<t> trailing\n",
         {malformed("s", 5), malformed("root", 7)},
         {{"t", ""}}},
        {x127 + "k = " + v69 + "\nbad\n", {malformed("root", 1), malformed("root", 3)}, {{"k", v69}}},
        {x126 + "\r\nk=1\r\n", {malformed("root", 1)}, {{"k", "1"}}},
        {"<outer>\n<inner>\nx = 1\n", {unclosed("inner"), unclosed("outer")}, {{"outer.inner.x", "1"}}},
        {"<root>\nx = 1\n", {}, {{"root.x", "1"}}},
        {"<outer>\n<inner>\n</wrong>\nafter = 1\n</outer>\nlast = 2\n",
         {mismatched("inner", "wrong"), unclosed("inner")},
         {{"outer.after", "1"}, {"last", "2"}}},
        // A stray top-level end tag ends the file.
        {"first = 1\n</scenes>\nsecond = 2\n<s>\n", {mismatched("root", "scenes")}, {{"first", "1"}, {"second", ""}}},
        // CR LF reads as LF and the last line needs no end.
        {"<scenes>\r\n<a>\r\ntime_length = 127\r\n</a>\r\n</scenes>\r\nlast = end",
         {},
         {{"scenes.a.time_length", "127"}, {"last", "end"}}},
        // A lone CR ends no line but ends a value word; a tag followed by one is no tag.
        {"k = 1\rm = 2\n<s>\r\nx = 1\r</s>\r\n<t>\r",
         {malformed("s", 4), unclosed("s")},
         {{"k", "1"}, {"m", ""}, {"s.x", "1"}, {"s.t", ""}}},
        // A zero byte ends the line it sits on.
        {std::string("k = 1\0junk\nm = 2\n", 17), {}, {{"k", "1"}, {"m", "2"}}},
        // A later assignment wins; a set's name assigns the set's own value.
        {"<s>\nx = 1\n</s>\nk = 1\nk = word\ns = 9\n", {}, {{"k", "word"}, {"s", "9"}, {"s.x", "1"}}},
    };
    for (const auto& c : cases) {
        LogCapture log;
        ParamManager* root = load_text(c.text);
        EXPECT_EQ(log.lines, c.messages) << c.text;
        for (const auto& [key, value] : c.values) {
            Param* p = root->Find(key);
            EXPECT_EQ(p ? p->ToString() : "", value) << c.text << " -> " << key;
        }
    }
}

// A file and the same text in memory give the same tree, locations and diagnostics: line ends, a last line
// without one, zero bytes, long lines, unclosed and mismatched sets, large sets with repeated names.
TEST(ParamFile, TextInMemoryParsesAsTheFileDoes)
{
    std::string many;
    for (int i = 0; i < 400; ++i)
    {
        std::string name = "n";
        name += std::to_string(i % 50);
        if (i % 7 == 3)
            many.append("<").append(name).append(">\nx = 1\n</").append(name).append(">\n");
        else
            many.append(name).append(" = ").append(std::to_string(i)).append("\r\n");
    }
    const std::string texts[] = {
        "",
        "last = end",
        "<scenes>\r\n<a>\r\ntime_length = 127\r\n</a>\r\n</scenes>\r\nlast = end\r",
        "k = 1\rm = 2\n<s>\r\nx = 1\r</s>\r\n<t>\r",
        std::string("k = 1\0junk\nm = 2\n\0<s>\nx = 1\n</s>\0\n<t>\n", 39),
        std::string("a = 1\0", 6) + std::string(150, 'x') + "\nb = 2",
        std::string(200, 'v') + " = 1\n" + std::string(126, ' ') + "\r\nk = 2\n",
        "<outer>\n<inner>\n</wrong>\nafter = 1\n</outer>\nlast = 2\n</scenes>\nnever = 3\n",
        "<a>\n<b>\n<c>\nleaf = 1",
        "<big>\n" + many + "</big>\n" + many,
    };
    for (const std::string& text : texts) {
        ParseRecord fromFile = parse_record(text, true);
        ParseRecord fromText = parse_record(text, false);
        EXPECT_EQ(fromText.tree, fromFile.tree) << text;
        EXPECT_EQ(fromText.messages, fromFile.messages) << text;
    }
    // A zero byte ends the 127-character read it falls in: the rest of that read is skipped, and what a long line
    // holds beyond it reads as the next line.
    LogCapture log;
    const std::string text = std::string("a = 1\0", 6) + std::string(150, 'x') + "\nb = 2";
    ParamManager root;
    EXPECT_TRUE(root.LoadText("test.conf", text.data(), text.size()));
    EXPECT_EQ(log.lines, std::vector<std::string>{malformed("root", 2)});
    EXPECT_TRUE(root.Children().size() == 2u && root.GetString("a", "") == "1" && root.GetString("b", "") == "2");
}

// A missing file is reported only by the result; deep nesting does not exhaust the stack.
TEST(ParamFile, MissingFileAndDeepNesting)
{
    {
        ScratchDir dir;
        LogCapture log;
        ParamManager root;
        EXPECT_TRUE(!root.Load("data/absent.conf") && log.lines.empty() && root.Children().empty());
    }
    std::string text;
    const int depth = 200000;
    for (int i = 0; i < depth; ++i)
        text += "<a>\n";
    text += "leaf = 1\n";
    LogCapture log;
    ParamManager* root = load_text(text);
    EXPECT_EQ(log.lines.size(), static_cast<size_t>(depth));
    ParamSet* set = root;
    int levels = 0;
    for (ParamSet* next; (next = set->GetSet("a")); ++levels)
        set = next;
    EXPECT_TRUE(levels == depth && set->GetString("leaf", "") == "1") << levels;
}

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

// Sets large enough to be indexed find what small ones find: the first child of each name, whether added before
// or after the set grew large, through every growth of the index; a repeated key still assigns in place.
TEST(ParamTree, LargeSetsFindTheFirstChildOfEachName)
{
    ParamSet set("s");
    std::map<std::string, std::string> lastValue; // of names first added as parameters
    uint32_t random = 12345;
    for (int i = 0; i < 3000; ++i) {
        random = random * 1664525u + 1013904223u;
        const std::string name = std::string("k").append(std::to_string(random >> 8 & 1023));
        if (random >> 20 & 1 && (random >> 24) % 5 == 0) {
            set.AddSet(name, true)->SetFloat("inner", static_cast<float>(i));
        } else {
            set.SetString(name, std::string("v").append(std::to_string(i)));
            if (!first_named(&set, name)->IsSet())
                lastValue[name] = std::string("v").append(std::to_string(i));
        }
        if (i == 5 || i == 40 || i == 2999) // small, just indexed, large
            for (int k = 0; k < 1024; ++k) {
                const std::string probe = std::string("k").append(std::to_string(k));
                ASSERT_EQ(set.Find(probe), first_named(&set, probe)) << probe << " after " << i + 1;
            }
    }
    size_t parameters = 0;
    for (const Param* child : set.Children())
        parameters += !child->IsSet();
    EXPECT_EQ(parameters, lastValue.size()) << "a repeated key appended a second parameter";
    for (const auto& [name, value] : lastValue)
        EXPECT_EQ(set.GetString(name, ""), value) << name;
    const Param* firstSet = nullptr; // a set that is the first child of its name
    for (const Param* child : set.Children())
        if (child->IsSet() && first_named(&set, child->GetName()) == child && !firstSet)
            firstSet = child;
    ASSERT_NE(firstSet, nullptr);
    const std::string name = firstSet->GetName();
    EXPECT_TRUE(set.GetSet(name) == firstSet && set.AddSet(name, false) == firstSet);
    EXPECT_EQ(set.Find(name + ".inner"), set.GetSet(name)->Find("inner"));
}

// When the index cannot grow for want of memory the set goes on finding its children by walking them.
TEST(ParamTree, AnIndexThatCannotGrowIsDropped)
{
    ParamSet set("s");
    for (const char* name : {"a", "b", "c", "d", "e", "f", "g", "h"})
        set.SetFloat(name, 1.0f); // indexed from the eighth child
    set.AddSet("a", true);        // a ninth child under a known name: the index does not grow
    // Room for one parameter and nothing more: the next new name needs a larger index.
    const size_t one = (sizeof(Param) + ARENA_REDZONE + ARENA_UNIT - 1) / ARENA_UNIT * ARENA_UNIT;
    ASSERT_TRUE(arena_create(static_cast<int32_t>(one)));
    set.SetFloat("i", 2.0f);
    int32_t remaining = g_arena.remaining;
    arena_release();
    ASSERT_EQ(remaining, 0) << "the parameter was allocated, the larger index was not";
    set.SetFloat("j", 3.0f);
    set.SetFloat("a", 4.0f);
    ASSERT_EQ(set.Children().size(), 11u);
    for (const char* name : {"a", "b", "h", "i", "j"})
        EXPECT_EQ(set.Find(name), first_named(&set, name)) << name;
    EXPECT_TRUE(set.GetString("a", "") == "4" && set.GetString("i", "") == "2" && !set.Find("a")->IsSet());
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
}
