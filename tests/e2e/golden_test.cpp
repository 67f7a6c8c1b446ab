// The shipped demo rendered once by the real vigil-capture at three frames a
// second (a rate at which the window loop's cross-fade weight cycles through
// 2/3, 1/3 and 0 and each of the tree's flash pictures lands on a frame):
// - golden images: chosen frames, at a quarter of their size, against
//   tests/golden/. A failure means a scene no longer looks as it did: a layer
//   missing or misplaced, a picture not loaded, a changed colour, a clock
//   that moved. The tolerance absorbs the software rasteriser's rounding on
//   another CPU. After an intended change, VIGIL_UPDATE_GOLDEN=1 writes new
//   references: look at them, and commit.
// - what a viewer takes for a fault: a long stretch of plain black inside the
//   demo (it looks stalled), or a flat white band (a layer piling up over an
//   uncleared screen);
// - seeking: frames reached with --from match those of the full run.
#include "tests/e2e/png_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int FPS = 3;

// Frame numbers at three frames a second, and what each one pins.
const int GOLDEN_FRAMES[] = {
    33,       // 11 s: the title at its brightest
    61,       // 20.3 s: the window loop under the face, two pictures cross-faded 1:2
    144,      // 48 s: lamps: the procession in the fog
    177,      // 59 s: lamps: the big ghost risen
    183,      // 61 s: lamps' lead-out, half spread
    189,      // 63 s: archstairs' lead-in, half receded
    225,      // 75 s: archstairs and its ghosts
    255,      // 85 s: the lone ghost on the lamps' street
    282,      // 94 s: tree: the fog clearing over black
    300,      // 100 s: tree: the picture rising
    343, 344, // 114.3 and 114.7 s: the first and the second flash, each at three quarters
    375,      // 125 s: fedsquare and its crowd
    417,      // 139 s: fedsquare's lead-out, half wiped
    435, 465, // 145 and 155 s: city before and after the lit layer fades in
    495, 528, // 165 and 176 s: model
};

// Frames after the moments where a skipped frame could lose state: the big
// ghost's rise, the tree's second flash, the crowd, the model near the end.
const int SEEK_FRAMES[] = {177, 344, 408, 528};

// Pixels whose largest channel difference is above this count as differing.
constexpr int PIXEL_TOLERANCE = 24;
// At most this share of the pixels may differ.
constexpr double SHARE_TOLERANCE = 0.01;

// A frame is plain black when fewer than this share of its pixels have a
// channel above BLACK_LEVEL: a viewer sees nothing on it.
constexpr int BLACK_LEVEL = 32;
constexpr double BLACK_SHARE = 0.005;
// The longest plain black stretch allowed inside the demo (the opening from
// black and the close to black excepted).
constexpr double LONGEST_BLACK_SECONDS = 4.0;
// A white band: BAND_ROWS rows in which at least WHITE_SHARE of the pixels
// have every channel at or above WHITE_LEVEL.
constexpr int BAND_ROWS = 32;
constexpr int WHITE_LEVEL = 235;
constexpr double WHITE_SHARE = 0.97;

// The share of the pixels of `a` and `b` (same size) differing by more than
// the tolerance.
double differing_share(const Picture& a, const Picture& b)
{
    int differing = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            auto p = a.at(x, y), q = b.at(x, y);
            differing += std::max({std::abs(p[0] - q[0]), std::abs(p[1] - q[1]), std::abs(p[2] - q[2])}) >
                         PIXEL_TOLERANCE;
        }
    return static_cast<double>(differing) / (a.width * a.height);
}

std::string capture_command(const std::string& arguments, const fs::path& log)
{
    return std::string("VIGIL_ARENA_REPORT=1 ") + VIGIL_CAPTURE + " --dir " + VIGIL_SOURCE_DIR + " --fps " + std::to_string(FPS) + " " +
           arguments + " >> " + log.string() + " 2>&1";
}

std::string frame_name(int frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06d.png", frame);
    return name;
}

bool plain_black(const Picture& picture)
{
    size_t lit = 0;
    for (size_t i = 0; i < picture.rgb.size(); i += 3)
        lit += std::max({picture.rgb[i], picture.rgb[i + 1], picture.rgb[i + 2]}) > BLACK_LEVEL;
    return lit < BLACK_SHARE * picture.width * picture.height;
}

// The first row of a flat white band, or -1.
int white_band(const Picture& picture)
{
    std::vector<int> whiteInRow(picture.height);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            auto p = picture.at(x, y);
            whiteInRow[y] += std::min({p[0], p[1], p[2]}) >= WHITE_LEVEL;
        }
    int inBand = 0;
    for (int y = 0; y < picture.height; ++y) {
        inBand += whiteInRow[y];
        if (y >= BAND_ROWS)
            inBand -= whiteInRow[y - BAND_ROWS];
        if (y >= BAND_ROWS - 1 && inBand >= WHITE_SHARE * BAND_ROWS * picture.width)
            return y - BAND_ROWS + 1;
    }
    return -1;
}

class ShippedDemo : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_frames = fs::temp_directory_path() / ("vigil-shipped-" + std::to_string(getpid()));
        s_rendered = std::system(capture_command("--frames " + s_frames.string(), s_log()).c_str()) == 0;
    }
    static void TearDownTestSuite()
    {
        std::error_code ignored;
        fs::remove_all(s_frames, ignored);
        fs::remove(s_log(), ignored);
    }
    void SetUp() override { ASSERT_TRUE(s_rendered) << "vigil-capture failed; see " << s_log(); }
    static fs::path s_log() { return s_frames.string() + ".log"; }

    static fs::path s_frames;
    static bool s_rendered;
};

fs::path ShippedDemo::s_frames;
bool ShippedDemo::s_rendered = false;

} // namespace

// The whole demo was drawn without a frame taking arena memory (which is never given back): each capture says in
// how many frames its use changed.
TEST_F(ShippedDemo, NoFrameTakesArenaMemory)
{
    std::ifstream file(s_log());
    std::string line;
    int reports = 0;
    while (std::getline(file, line)) {
        if (line.find("arena use changed in") == std::string::npos)
            continue;
        ++reports;
        EXPECT_NE(line.find("arena use changed in 0 of"), std::string::npos) << line;
    }
    EXPECT_GE(reports, 1) << "vigil-capture did not report its arena use";
}

TEST_F(ShippedDemo, ChosenFramesMatchTheReferences)
{
    bool update = std::getenv("VIGIL_UPDATE_GOLDEN") != nullptr;
    for (int frame : GOLDEN_FRAMES) {
        std::string name = frame_name(frame);
        Picture rendered = read_png((s_frames / name).string());
        ASSERT_EQ(rendered.width, 1024) << name << " was not rendered";
        Picture small = shrink(rendered, 4);
        fs::path reference = fs::path(VIGIL_SOURCE_DIR) / "tests" / "golden" / name;
        if (update) {
            ASSERT_TRUE(write_png(reference.string(), small)) << reference;
            continue;
        }
        Picture expected = read_png(reference.string());
        ASSERT_EQ(expected.width, small.width) << reference << " is missing (VIGIL_UPDATE_GOLDEN=1 makes it)";
        ASSERT_EQ(expected.height, small.height);
        EXPECT_LE(differing_share(small, expected), SHARE_TOLERANCE) << name << " differs from the reference";
    }
}

// Prints the longest black stretch, the figure a change of the script or
// the content should be judged by.
TEST_F(ShippedDemo, HasNoLongBlackStretchNorFlatWhiteBand)
{
    std::vector<bool> black;
    for (int frame = 0; fs::exists(s_frames / frame_name(frame)); ++frame) {
        Picture picture = read_png((s_frames / frame_name(frame)).string());
        ASSERT_EQ(picture.width, 1024) << frame_name(frame);
        black.push_back(plain_black(picture));
        int band = white_band(picture);
        EXPECT_EQ(band, -1) << "a flat white band from row " << band << " at " << double(frame) / FPS << " s";
    }
    ASSERT_GT(black.size(), 100u) << "the demo was not rendered to its end";
    // Runs of plain black frames, leaving out the opening from black and the
    // close to black.
    size_t first = std::find(black.begin(), black.end(), false) - black.begin();
    size_t last = black.rend() - std::find(black.rbegin(), black.rend(), false);
    size_t longest = 0, longestStart = 0, run = 0;
    for (size_t i = first; i < last; ++i) {
        run = black[i] ? run + 1 : 0;
        if (run > longest) {
            longest = run;
            longestStart = i + 1 - run;
        }
    }
    std::printf("longest black stretch inside the demo: %.2f s from %.2f s (the opening from black: %.2f s)\n",
                double(longest) / FPS, double(longestStart) / FPS, double(first) / FPS);
    EXPECT_LE(double(longest) / FPS, LONGEST_BLACK_SECONDS) << "from " << double(longestStart) / FPS << " s";
}

// --from steps the frames before it without drawing them, and must still
// reach the very picture that the run drawing every frame shows.
TEST_F(ShippedDemo, SeekingReachesTheFramesTheFullRunDraws)
{
    fs::path seeked = s_frames / "seek";
    for (int frame : SEEK_FRAMES) {
        // A range around the frame's time that holds only that frame.
        char range[64];
        std::snprintf(range, sizeof range, "--from %.6f --to %.6f", (frame - 0.25) / FPS, (frame + 0.5) / FPS);
        ASSERT_EQ(std::system(capture_command(std::string(range) + " --frames " + seeked.string(), s_log()).c_str()),
                  0)
            << "vigil-capture --from failed; see " << s_log();
        std::string name = frame_name(frame);
        Picture drawn = read_png((s_frames / name).string());
        Picture reached = read_png((seeked / name).string());
        ASSERT_EQ(reached.width, drawn.width) << name << " was not rendered after the seek";
        ASSERT_EQ(reached.height, drawn.height);
        EXPECT_LE(differing_share(reached, drawn), SHARE_TOLERANCE) << name << " differs after a seek";
    }
}
