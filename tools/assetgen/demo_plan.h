// The shipped demo's timeline, shared by the soundtrack (whose sections and
// accents follow it) and by the shipped script (data/demo.conf, which must
// give the same scene lengths). Milliseconds of music from the start.
#pragma once
#include <cstdint>

namespace plan {

struct Scene {
    const char* name;
    int32_t start;
    int32_t length;
};

// Scenes in play order; the timeline ends at 178000 ms.
constexpr Scene SCENES[] = {
    {"logo", 0, 4404},            // black + overlay_logo: the title opens from black
    {"window", 4404, 35596},      // the title goes on, then background_window + overlay_face
    {"lamps", 40000, 22000},      // lamps_background + lamps, lead-out lamps_transition_pre
    {"archstairs", 62000, 18000}, // archstairs_background + archstairs, lead-in sample_transition_post
    {"ghost", 80000, 12000},      // black + ghost_test
    {"tree", 92000, 28000},       // tree
    {"fedsquare", 120000, 20000}, // fedsquare, lead-out sample_transition_pre
    {"city", 140000, 18000},      // city_background + city
    {"model", 158000, 20000},     // bb_background + bb
};
constexpr int32_t END = 178000;

// Effects whose timing is fixed in the code; the music accents them.
constexpr int32_t WINDOW_BACKGROUND_STARTS = 4404 + 11596; // 11.596 s into "window"
constexpr int32_t BIG_GHOST_RISES = 40000 + 14945;          // 14.945 s into "lamps"
constexpr int32_t TREE_FLASHES = 92000 + 22264;             // 22.264 s into "tree"

// The soundtrack's length: 178.6 s.
constexpr int32_t SOUNDTRACK_MS = 178600;

} // namespace plan
