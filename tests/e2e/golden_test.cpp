// Golden images of the shipped demo: vigil-capture renders it at one frame a
// second, and frames from every scene are compared, at a quarter of their
// size, with references committed under tests/golden/.
//
// The same run also checks seeking: frames reached with --from, whose
// earlier frames are stepped without being drawn, must match the frames of
// the run that drew them all.
//
// A failure means that a scene no longer looks as it did when the references
// were made: a layer missing or misplaced, a picture not loaded, a changed
// colour, a timeline or clock that moved. The tolerance absorbs what the
// software rasteriser may round differently on another CPU, not a changed
// picture. After an intended change of a routine or a picture, set
// VIGIL_UPDATE_GOLDEN=1 to write new references, look at them, and commit.
#include "tests/e2e/png_picture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

// Frame numbers at one frame a second: two or three per scene, including
// the moments the scenes' fixed clocks make special.
const int GOLDEN_FRAMES[] = {
    10, 14,       // logo sequence: the logo shown, then fading
    36, 39,       // window: the background loop (from 33.6 s) under the face
    48, 57,       // lamps: procession, then the big ghost (from 54.9 s)
    66, 75,       // archstairs
    84, 90,       // ghost
    100, 115,     // tree: rising, then the flashes (from 114.3 s)
    125, 136,     // fedsquare
    145, 155,     // city: before and after the lit layer fades in
    165, 176,     // model
};

// Pixels (of the quarter-size picture) whose largest channel difference is
// above this count as differing.
constexpr int PIXEL_TOLERANCE = 24;
// At most this share of the pixels may differ.
constexpr double SHARE_TOLERANCE = 0.01;

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

// Frames after the moments where a skipped frame could lose state: the big
// ghost's rise, the tree's flashes, the crowd, the model near the end.
const int SEEK_FRAMES[] = {57, 115, 136, 176};

} // namespace

TEST(Golden, EveryScenesFramesMatchTheReferences)
{
    fs::path frames = fs::temp_directory_path() / ("vigil-golden-" + std::to_string(getpid()));
    std::string command = std::string(VIGIL_CAPTURE) + " --dir " + VIGIL_SOURCE_DIR + " --fps 1 --frames " +
                          frames.string() + " > " + frames.string() + ".log 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << "vigil-capture failed; see " << frames.string() << ".log";
    bool update = std::getenv("VIGIL_UPDATE_GOLDEN") != nullptr;

    for (int frame : GOLDEN_FRAMES) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06d.png", frame);
        Picture rendered = read_png((frames / name).string());
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

    // Seeking: --from steps the frames before it without drawing them, and
    // must still reach the very picture the run that drew every frame shows.
    for (int frame : SEEK_FRAMES) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06d.png", frame);
        fs::path seeked = frames / "seek";
        std::string seek = std::string(VIGIL_CAPTURE) + " --dir " + VIGIL_SOURCE_DIR + " --fps 1 --from " +
                           std::to_string(frame) + " --to " + std::to_string(frame + 1) + " --frames " +
                           seeked.string() + " >> " + frames.string() + ".log 2>&1";
        ASSERT_EQ(std::system(seek.c_str()), 0) << "vigil-capture --from failed; see " << frames.string() << ".log";
        Picture drawn = read_png((frames / name).string());
        Picture reached = read_png((seeked / name).string());
        ASSERT_EQ(reached.width, drawn.width) << name << " was not rendered after the seek";
        ASSERT_EQ(reached.height, drawn.height);
        double share = static_cast<double>(differing_pixels(reached, drawn)) / (drawn.width * drawn.height);
        EXPECT_LE(share, SHARE_TOLERANCE) << name << " reached by seeking differs from the one drawn in the full run";
    }

    std::error_code ignored;
    fs::remove_all(frames, ignored);
    fs::remove(frames.string() + ".log", ignored);
}
