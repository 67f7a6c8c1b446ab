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

class GlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    // The whole screen, RGBA, top row first.
    std::vector<uint8_t> read_screen();
    // One pixel of the screen (x right, y down from the top left).
    std::array<uint8_t, 4> pixel(int x, int y);
};

// Largest difference of any channel between two RGBA pixels.
int channel_difference(const uint8_t* a, const uint8_t* b);
