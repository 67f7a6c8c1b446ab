// Diagnostics: the log sink's text, and script messages pointing at their file and line.
#include "params/location.h"
#include "params/param.h"
#include "script/script_interface.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

namespace {

struct Located {
    std::string text, where;
};

void locate(const char* text, void* user)
{
    SourceLocation at = diagnostic_location();
    std::string where = at.file ? std::string(at.file) + ":" + std::to_string(at.line) : "";
    static_cast<std::vector<Located>*>(user)->push_back({text, where});
}

std::vector<Located> check(const std::string& init, const std::string& demo)
{
    ScratchDir dir;
    dir.write("data/init.conf", init);
    dir.write("data/demo.conf", demo);
    std::vector<Located> lines;
    location_tracking(true);
    LogSink previous = diag_set_sink(&locate, &lines);
    InitScriptInterface();
    diag_set_sink(previous, nullptr);
    location_tracking(false);
    return lines;
}

} // namespace

// With tracking on, messages point at their lines (an unclosed set at its opening line); off, nothing is recorded.
TEST(Locations, ParserAndBuilderMessagesPointAtTheirLines)
{
    std::vector<Located> lines = check("<init1>\nfunc = no_such_init\n</init1>\n", "");
    ASSERT_TRUE(lines.size() == 1u && lines[0].where == "data/init.conf:2");

    lines = check("", "<scenes>\n<a>\ntime_length = 100\noops\n<routine>\nfunc = black\n</routine>\n</a>\n"
                      "</scenes>\n<order>\n<scene>\nscene_name = missing\n</scene>\n</order>\n<open>\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].text, "ParamManager: Warning: Expected an end set tag but didn't find one for set open of "
                             "data/demo.conf\n");
    EXPECT_EQ(lines[2].text, "Error: Couldn't find scene missing in scene list!\n");
    EXPECT_EQ(lines[0].where + " " + lines[1].where + " " + lines[2].where,
              "data/demo.conf:4 data/demo.conf:15 data/demo.conf:12");

    ScratchDir dir;
    dir.write("data/demo.conf", "<order>\n<scene>\n</scene>\n</order>\n");
    LogCapture log;
    EXPECT_EQ(InitScriptInterface(), 0);
    EXPECT_TRUE(!location_of(g_param_root->GetSet("order")).file && !g_diag_subject && !g_parse_position.file);
}

// Formatted text of any length reaches the sink; without one it is dropped.
TEST(DiagLog, SinkReceivesTheFormattedTextAndDetachingStopsIt)
{
    std::vector<std::string> lines;
    {
        LogCapture capture;
        diag_log("Error: Couldn't find scene %s on line %i!\n", std::string(2000, 'x').c_str(), 12);
        lines = capture.lines;
    }
    diag_log("nobody listens %d\n", 1);
    const std::string expected = "Error: Couldn't find scene " + std::string(2000, 'x') + " on line 12!\n";
    EXPECT_EQ(lines, std::vector<std::string>{expected});
}
