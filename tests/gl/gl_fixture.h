// GL test fixture: every test of a GlTest suite runs with a current 1024x640
// compatibility context on the headless platform, a 2D projection of the
// demo's kind (origin top left, y down, one unit per pixel) and a black
// screen. Pixels are read back top row first.
#pragma once
#include "platform/gl.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

constexpr int GL_TEST_WIDTH = 1024;
constexpr int GL_TEST_HEIGHT = 640;

using Rgb = std::array<int, 3>;

class GlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    // The whole screen, RGBA, top row first.
    std::vector<uint8_t> read_screen();
    // Success when the red, green and blue of the pixel at (x, y), y down from
    // the top, are each within `tolerance`.
    ::testing::AssertionResult pixel_is(int x, int y, Rgb expected, int tolerance = 3);
};

// Pixels in columns [x0, x1) whose colour differs from `colour` by more than `tolerance`.
int count_differing(const std::vector<uint8_t>& screen, Rgb colour, int tolerance = 3, int x0 = 0,
                    int x1 = GL_TEST_WIDTH);
// Largest channel difference between two screens.
int max_difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);
