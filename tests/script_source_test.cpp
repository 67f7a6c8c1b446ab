// The preview's script source: the files read once with their stamps, and checks that report with file and line
// while the script that plays stays untouched, and that give back what they built: 200 reloads leave the arena's
// use where one left it.
#include "base/arena.h"
#include "core/script_source.h"
#include "core/session.h"
#include "script/timeline.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

std::string init_conf(const char* routine) { return std::string("<init1>\nfunc = ") + routine + "\n</init1>\n"; }

// Two scenes; the second's routine is `routine` (line 11), its length `length`.
std::string demo_conf(const char* routine, int length = 1400)
{
    return "<scenes>\n<a>\ntime_length = 1000\n<routine>\nfunc = black\n</routine>\n</a>\n<b>\ntime_length = " +
           std::to_string(length) + "\n<routine>\nfunc = " + routine +
           "\n</routine>\n</b>\n</scenes>\n<order>\n<scene>\nscene_name = a\n</scene>\n<scene>\nscene_name = b\n"
           "</scene>\n</order>\n";
}

// Writes a file through the C library alone: inside the arena's life the test must not allocate itself.
void put(const char* path, const std::string& text)
{
    FILE* file = std::fopen(path, "wb");
    ASSERT_TRUE(file && std::fwrite(text.data(), 1, text.size(), file) == text.size());
    std::fclose(file);
}

} // namespace

TEST(ScriptSource, TextsAreReadOnceWithTheirStampsAndMissingFilesAreNull)
{
    ScratchDir dir;
    dir.write("data/init.conf", init_conf("music_init"));
    dir.write("data/demo.conf", demo_conf("white"));
    ScriptSource a, b;
    char error[256] = "";
    ASSERT_TRUE(script_source_read(a, error, sizeof error)) << error;
    EXPECT_TRUE(a.text[0] && a.length[1] == demo_conf("white").size() && !a.text[2] && !a.stamp[2].exists);
    EXPECT_EQ(std::string(a.text[1], a.length[1]), demo_conf("white"));
    EXPECT_FALSE(script_source_changed(a));
    ASSERT_TRUE(script_source_read(b, error, sizeof error));
    EXPECT_TRUE(script_source_same_text(a, b));

    dir.write("data/config.conf", "# notes\n");
    EXPECT_TRUE(script_source_changed(a)) << "a file that appeared";
    ASSERT_TRUE(script_source_read(b, error, sizeof error));
    EXPECT_FALSE(script_source_same_text(a, b));
    script_source_free(a);
    script_source_free(b);
    EXPECT_TRUE(!a.text[0] && !b.text[1]);
}

TEST(ScriptSource, ChecksReportWithFileAndLineLeaveThePlayingScriptAndGiveTheirMemoryBack)
{
    ScratchDir dir;
    dir.write("data/init.conf", init_conf("music_init"));
    dir.write("data/demo.conf", demo_conf("white"));
    ScriptSource source;
    char error[256] = "";
    static ScriptCheck check; // large: not on the stack

    // Between the arena's creation and its release nothing but the code under test allocates: results are kept in
    // plain values and checked after the release.
    const std::string broken = demo_conf("no_such_routine"), otherInit = init_conf("test_init");
    const std::string music = init_conf("music_init");
    const std::string good[2] = {demo_conf("white"), demo_conf("black", 2400)};
    ASSERT_TRUE(arena_create(32 << 20));
    bool read = script_source_read(source, error, sizeof error);
    script_check(source, check);
    const bool firstBuilds = check.builds;
    const int32_t firstInits = check.initCount;
    InitList* initList = nullptr;
    const ArenaMark scriptMark = arena_mark();
    const bool built = session_build_script(&initList, script_source_texts(source)) == SessionStart::Built;
    const SceneRecord* playing = g_timeline;
    const int32_t afterOne = g_arena.used;

    // A broken scene, reported, and another init list: the playing script is as it was.
    put("data/demo.conf", broken);
    read = read && script_source_read(source, error, sizeof error);
    script_check(source, check);
    const bool brokenBuilds = check.builds;
    static char brokenReport[BUILD_REPORT_SIZE]; // plain memory: a later check gives back what came after it
    std::memcpy(brokenReport, check.report.text, sizeof brokenReport);
    put("data/demo.conf", good[0]);
    put("data/init.conf", otherInit);
    read = read && script_source_read(source, error, sizeof error);
    script_check(source, check);
    const bool otherInitBuilds = check.builds, sameInits = script_check_same_inits(check, initList);
    const bool untouched = g_timeline == playing && g_timeline[1].start == 1000 && g_timeline[2].start == 2400 &&
                           g_timeline[2].routineCount == 0 && g_arena.used == afterOne;
    put("data/init.conf", music);

    // 200 reloads, as the preview makes them: a check, then for a good text the scenes built again at the mark.
    int32_t most = 0, goodBuilds = 0;
    for (int i = 0; i < 200; ++i) {
        put("data/demo.conf", i % 3 == 2 ? broken : good[i % 2]);
        read = read && script_source_read(source, error, sizeof error);
        script_check(source, check);
        if (check.builds) {
            arena_rewind(scriptMark);
            goodBuilds += session_build_script(&initList, script_source_texts(source)) == SessionStart::Built;
        }
        most = std::max(most, g_arena.used);
    }
    const int32_t lastLength = g_timeline[2].start;
    const int32_t afterAll = g_arena.used;
    script_source_free(source);
    arena_release();

    ASSERT_TRUE(read) << error;
    EXPECT_TRUE(firstBuilds && built && firstInits == 1);
    EXPECT_FALSE(brokenBuilds);
    EXPECT_NE(std::strstr(brokenReport, "data/demo.conf:11: "), nullptr) << brokenReport;
    EXPECT_TRUE(otherInitBuilds);
    EXPECT_FALSE(sameInits) << "test_init is not the init list that ran";
    EXPECT_TRUE(untouched) << "a failed check changed the playing script or kept memory";
    EXPECT_EQ(goodBuilds, 134);
    EXPECT_EQ(lastLength, 1000 + 2400) << "the last reload (a good text) is the one that plays";
    // The two good texts differ by one digit: a build takes the same room whichever it is.
    EXPECT_EQ(afterAll, afterOne);
    EXPECT_LE(most - afterOne, afterOne - scriptMark.used + 64 * 1024) << "a check needs about one build's room";
}

// Started where the script is not: the line names the folder and what is missing or empty there, and how to run
// the program so that it finds the script. config.conf holds only notes, so its absence is no problem.
TEST(ScriptFiles, AProblemNamesTheFolderTheFileAndTheWayOut)
{
    ScratchDir dir;
    const std::string here = std::filesystem::current_path().string();
    char line[1024] = "";
    auto problem = [&] { return script_files_problem("vigil", line, sizeof line) ? std::string(line) : std::string(); };
    const std::string wayOut = ": run vigil from the folder that holds data/, or pass --dir FOLDER";

    EXPECT_EQ(problem().substr(0, problem().find(wayOut) + wayOut.size()),
              "vigil: there is no data/ folder in " + here + wayOut);
    dir.write("data/init.conf", init_conf("music_init"));
    EXPECT_EQ(problem().substr(0, problem().find(wayOut)), "vigil: data/demo.conf in " + here + " is missing");
    dir.write("data/demo.conf", "");
    EXPECT_EQ(problem().substr(0, problem().find(wayOut)), "vigil: data/demo.conf in " + here + " is empty");
    dir.write("data/demo.conf", demo_conf("white"));
    EXPECT_EQ(problem(), "") << "config.conf may be missing";
    std::filesystem::remove("data/init.conf");
    std::filesystem::create_directory("data/init.conf");
    EXPECT_EQ(problem().substr(0, problem().find(wayOut)), "vigil: data/init.conf in " + here + " is not a file");

    // The preview's check adds the line to its report when the script does not build for that reason.
    std::filesystem::remove("data/init.conf");
    dir.write("data/init.conf", init_conf("music_init"));
    std::filesystem::remove("data/demo.conf");
    static ScriptCheck check; // large: not on the stack; nothing else may allocate while the arena lives
    const std::string expected = "vigil: data/demo.conf in " + here + " is missing" + wayOut;
    ScriptSource source;
    char error[256] = "";
    ASSERT_TRUE(arena_create(32 << 20));
    const bool read = script_source_read(source, error, sizeof error);
    script_check(source, check);
    script_source_free(source);
    arena_release();
    ASSERT_TRUE(read) << error;
    EXPECT_FALSE(check.builds);
    EXPECT_NE(std::strstr(check.report.text, expected.c_str()), nullptr) << check.report.text;
}
