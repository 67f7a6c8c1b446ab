// The shipped demo as rendered by the real vigil-capture, once, at three
// frames a second (a rate at which the window loop's cross-fade weight
// cycles through 2/3, 1/3 and 0 and the tree's flash pictures each land on
// a frame), and checked two ways:
//
// - Golden images: chosen frames are compared, at a quarter of their size,
//   with references committed under tests/golden/. A failure means that a
//   scene no longer looks as it did when the references were made: a layer
//   missing or misplaced, a picture not loaded, a changed colour, a timeline
//   or clock that moved. The tolerance absorbs what the software rasteriser
//   may round differently on another CPU, not a changed picture. After an
//   intended change of a routine, a picture or the script, set
//   VIGIL_UPDATE_GOLDEN=1 to write new references, look at them, and commit.
// - What a viewer would take for a fault, over every frame: a long stretch
//   of plain black screen inside the demo (it looks stalled), or a flat
//   white band across the screen (a layer piling up over an uncleared
//   screen).
// - Seeking: frames reached with --from, whose earlier frames are stepped
//   without being drawn, must match the frames of the run that drew them
//   all.
#include "tests/e2e/png_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

// Pixels of `a` and `b` (same size) differing by more than the tolerance.
int differing_pixels(const Picture& a, const Picture& b)
{
    int differing = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            auto p = a.at(x, y), q = b.at(x, y);
            int worst = std::max({std::abs(p[0] - q[0]), std::abs(p[1] - q[1]), std::abs(p[2] - q[2])});
            if (worst > PIXEL_TOLERANCE)
                ++differing;
        }
    return differing;
}

std::string capture_command(const std::string& arguments, const fs::path& log)
{
    return std::string(VIGIL_CAPTURE) + " --dir " + VIGIL_SOURCE_DIR + " --fps " + std::to_string(FPS) + " " +
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

// Mean brightness (0-255, the channels' average) of the top 64 rows.
double top_strip_brightness(const Picture& picture)
{
    double sum = 0;
    for (size_t i = 0; i < static_cast<size_t>(picture.width) * 64 * 3; ++i)
        sum += picture.rgb[i];
    return sum / (picture.width * 64.0 * 3.0);
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
        int differing = differing_pixels(small, expected);
        double share = static_cast<double>(differing) / (small.width * small.height);
        EXPECT_LE(share, SHARE_TOLERANCE) << name << ": " << differing << " pixels differ from the reference";
    }
}

// Prints the longest black stretch and the brightest top strip, the figures
// a change of the script or the content should be judged by.
TEST_F(ShippedDemo, HasNoLongBlackStretchNorFlatWhiteBand)
{
    std::vector<bool> black;
    double brightestTop = 0;
    int brightestTopFrame = 0;
    for (int frame = 0;; ++frame) {
        fs::path path = s_frames / frame_name(frame);
        if (!fs::exists(path))
            break;
        Picture picture = read_png(path.string());
        ASSERT_EQ(picture.width, 1024) << path;
        black.push_back(plain_black(picture));
        int band = white_band(picture);
        EXPECT_EQ(band, -1) << "a flat white band from row " << band << " at " << double(frame) / FPS << " s";
        double top = top_strip_brightness(picture);
        if (top > brightestTop) {
            brightestTop = top;
            brightestTopFrame = frame;
        }
    }
    ASSERT_GT(black.size(), 100u) << "the demo was not rendered to its end";

    // Stretches of plain black frames, leaving out one that opens the demo
    // and one that closes it.
    size_t first = 0;
    while (first < black.size() && black[first])
        ++first;
    size_t last = black.size();
    while (last > first && black[last - 1])
        --last;
    size_t longest = 0, longestStart = 0;
    for (size_t i = first; i < last;) {
        size_t j = i;
        while (j < last && black[j])
            ++j;
        if (j - i > longest) {
            longest = j - i;
            longestStart = i;
        }
        i = j + 1;
    }
    double longestSeconds = double(longest) / FPS;
    std::printf("longest black stretch inside the demo: %.2f s (from %.2f s); opening black %.2f s\n"
                "brightest top strip (64 rows): mean %.1f of 255 at %.2f s\n",
                longestSeconds, double(longestStart) / FPS, double(first) / FPS, brightestTop,
                double(brightestTopFrame) / FPS);
    EXPECT_LE(longestSeconds, LONGEST_BLACK_SECONDS) << "from " << double(longestStart) / FPS << " s";
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
        double share = static_cast<double>(differing_pixels(reached, drawn)) / (drawn.width * drawn.height);
        EXPECT_LE(share, SHARE_TOLERANCE) << name << " reached by seeking differs from the one drawn in the full run";
    }
}
