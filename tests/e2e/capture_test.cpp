// vigil-capture end to end: the test build of the tool (with routines of the
// tests' own) renders short scripts in scratch folders; its frames are read
// back from the PNG files it writes.
#include "tests/e2e/png_picture.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct ToolRun {
    int status;
    std::string output;
};

// Runs the capture tool in the current folder with `arguments`.
ToolRun capture(const std::string& arguments)
{
    std::string command = std::string(VIGIL_TEST_CAPTURE) + " " + arguments + " 2>&1";
    ToolRun run{-1, ""};
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[512];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe))
        run.output += buffer;
    int status = pipe ? pclose(pipe) : -1;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// One scene of `length` ms running `routine`, after the tone's music init.
void write_script(ScratchDir& dir, int length, const std::string& routine)
{
    dir.write("data/init.conf", "<init1>\nfunc = tone_music_init\n</init1>\n");
    dir.write("data/demo.conf", "<scenes>\n<a>\ntime_length = " + std::to_string(length) +
                                    "\n<routine>\nfunc = " + routine +
                                    "\n</routine>\n</a>\n</scenes>\n<order>\n<scene>\nscene_name = a\n</scene>\n"
                                    "</order>\n");
}

using Rgb = std::array<int, 3>;

} // namespace

// A 2000 ms timeline at 10 frames per second gives frames 0 to 19, the
// first with a time step of 0 and the next without; --from and --to choose
// the frames written.
TEST(Capture, FramesCoverTheTimelineAndFromAndToChooseThem)
{
    ScratchDir dir;
    write_script(dir, 2000, "show_dt");
    ToolRun run = capture("--fps 10 --frames out");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(std::distance(fs::directory_iterator("out"), fs::directory_iterator{}), 20);
    EXPECT_TRUE(fs::exists("out/frame_000019.png"));
    Picture first = read_png("out/frame_000000.png"), second = read_png("out/frame_000001.png");
    ASSERT_EQ(first.width, 1024);
    ASSERT_EQ(first.height, 640);
    EXPECT_EQ(first.at(500, 300), (Rgb{255, 0, 0}));
    EXPECT_EQ(second.at(500, 300), (Rgb{0, 255, 0}));

    ASSERT_EQ(capture("--fps 10 --from 0.5 --to 0.8 --frames part").status, 0);
    for (int frame = 3; frame <= 9; ++frame)
        EXPECT_EQ(fs::exists("part/frame_00000" + std::to_string(frame) + ".png"), frame >= 5 && frame <= 7) << frame;
}

// The letterbox screen is 1024x768 with 64 black rows above and below the
// picture.
TEST(Capture, LetterboxBarsAreBlackAnd64RowsHigh)
{
    ScratchDir dir;
    write_script(dir, 300, "fill_green");
    ToolRun run = capture("--fps 10 --letterbox --frames out --loading loading");
    ASSERT_EQ(run.status, 0) << run.output;
    Picture frame = read_png("out/frame_000001.png");
    ASSERT_EQ(frame.width, 1024);
    ASSERT_EQ(frame.height, 768);
    for (int x : {0, 511, 1023}) {
        EXPECT_EQ(frame.at(x, 0), (Rgb{0, 0, 0}));
        EXPECT_EQ(frame.at(x, 63), (Rgb{0, 0, 0}));
        EXPECT_EQ(frame.at(x, 64), (Rgb{0, 255, 0}));
        EXPECT_EQ(frame.at(x, 703), (Rgb{0, 255, 0}));
        EXPECT_EQ(frame.at(x, 704), (Rgb{0, 0, 0}));
        EXPECT_EQ(frame.at(x, 767), (Rgb{0, 0, 0}));
    }
    EXPECT_TRUE(fs::exists("loading/loading_000.png"));
}

// One tile for the first frame at or after each multiple of --every: seven
// tiles in two rows of six for 0 to 1.8 s every 0.3 s, each showing its frame.
TEST(Capture, ContactSheetTakesAFrameEveryFewSeconds)
{
    ScratchDir dir;
    write_script(dir, 2000, "fill_blue");
    ToolRun run = capture("--fps 10 --every 0.3 --contact-sheet sheet.png");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("contact sheet of 7 frames"), std::string::npos) << run.output;
    Picture sheet = read_png("sheet.png");
    EXPECT_EQ(sheet.width, 16 + 6 * 240);
    EXPECT_EQ(sheet.height, 36 + 2 * 178 + 16);
    ASSERT_GT(sheet.height, 100);
    EXPECT_EQ(sheet.at(128, 100), (Rgb{0, 0, 255})) << "the first tile shows the frame";

    run = capture("--fps 10 --from 5 --contact-sheet empty.png");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("no frame falls in the range"), std::string::npos) << run.output;
}

// The loading screen after each of two init routines: the picture with a
// half-dark band (rows 277-363) over the share of the width already done.
// A failing first routine is named by its index, 0.
TEST(Capture, LoadingScreenBandGrowsWithEachInitAndAFailureIsNamed)
{
    ScratchDir dir;
    write_script(dir, 200, "fill_red");
    dir.write("data/init.conf", "<init1>\nfunc = tone_music_init\n</init1>\n<init2>\nfunc = ok_init\n</init2>\n");
    ToolRun run = capture("--fps 10 --loading loading");
    ASSERT_EQ(run.status, 0) << run.output;
    Picture half = read_png("loading/loading_000.png"), full = read_png("loading/loading_001.png");
    ASSERT_EQ(half.width, 1024);
    ASSERT_EQ(full.width, 1024);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(half.at(256, 320)[c], full.at(256, 320)[c]) << "band over the first half in both";
        EXPECT_NEAR(full.at(768, 320)[c], half.at(768, 320)[c] / 2, 2) << "band over the second half only when done";
        EXPECT_EQ(half.at(768, 250)[c], full.at(768, 250)[c]) << "nothing above the band";
    }
    EXPECT_GT(half.at(768, 320)[0] + half.at(768, 320)[1] + half.at(768, 320)[2], 60) << "the loading picture shows";

    dir.write("data/init.conf", "<init1>\nfunc = fail_init\n</init1>\n<init2>\nfunc = tone_music_init\n</init2>\n");
    run = capture("--fps 10 --frames frames");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("Init routine 0 failed"), std::string::npos) << run.output;
}

TEST(Capture, CheckReportsABrokenScriptWithFileAndLine)
{
    ScratchDir dir;
    write_script(dir, 1000, "no_such_routine");
    ToolRun run = capture("--check");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("data/demo.conf:5: Error: Couldn't find function no_such_routine in function table!"),
              std::string::npos)
        << run.output;

    write_script(dir, 1000, "fill_red");
    run = capture("--check");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("script builds"), std::string::npos) << run.output;

    // Every problem in one pass: both unknown routines, each at its line.
    dir.write("data/demo.conf", "<scenes>\n<a>\ntime_length = 1000\n<routine>\nfunc = nosuch1\n</routine>\n"
                                "<routine>\nfunc = nosuch2\n</routine>\n</a>\n</scenes>\n<order>\n<scene>\n"
                                "scene_name = a\n</scene>\n</order>\n");
    run = capture("--check");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("data/demo.conf:5: Error: Couldn't find function nosuch1"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("data/demo.conf:8: Error: Couldn't find function nosuch2"), std::string::npos)
        << run.output;

    // A mismatched end tag is an error the parser steps over: the script builds, the check fails.
    write_script(dir, 1000, "fill_red");
    dir.write("data/config.conf", "<notes>\nx = 1\n</notes>\n</other>\n");
    run = capture("--check");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("ParamManager: Error: Mismatched end tag"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("the check failed: 1 error reported above"), std::string::npos) << run.output;
}

TEST(Capture, BadUsageExitsWith2)
{
    EXPECT_EQ(capture("--fps 0").status, 2);
    EXPECT_EQ(capture("--frames").status, 2);
    EXPECT_EQ(capture("--from 2 --to 1").status, 2);
    EXPECT_EQ(capture("--wrong").status, 2);
    EXPECT_EQ(capture("--every 0 --contact-sheet x.png").status, 2);

    // Without an output the whole demo would be drawn for nothing.
    for (const char* nothing : {"", "--fps 10 --letterbox", "--log", "--from 1 --to 2"}) {
        ToolRun run = capture(nothing);
        EXPECT_EQ(run.status, 2) << "\"" << nothing << "\"";
        EXPECT_NE(run.output.find("nothing to write: give --frames, --video, --contact-sheet, --loading, --check or "
                                  "--bench"),
                  std::string::npos)
            << run.output;
    }
    ToolRun every = capture("--every 2 --frames frames");
    EXPECT_EQ(every.status, 2);
    EXPECT_NE(every.output.find("--every is the contact sheet's interval"), std::string::npos) << every.output;
}

// A missing folder: the message says where the tool looked and how to point it at the script.
TEST(Capture, StartedWithoutTheScriptSaysWhereItLookedAndWhatToDo)
{
    ScratchDir dir;
    ToolRun run = capture("--check");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("vigil-capture: there is no data/ folder in " + std::filesystem::current_path().string() +
                              ": run vigil-capture from the folder that holds data/, or pass --dir FOLDER"),
              std::string::npos)
        << run.output;
    write_script(dir, 1000, "no_such_routine");
    run = capture("--frames frames");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("data/demo.conf:5: Error: Couldn't find function no_such_routine"), std::string::npos)
        << "the reason, with file and line, also without --check: " << run.output;
}
