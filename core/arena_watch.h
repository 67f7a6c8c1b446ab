// Whether anything takes arena memory frame after frame. The arena never
// frees, so the per-frame paths (the frame step, the routines, the
// preview's overlay and error box, the capture's writers) must not allocate
// from it; a program notes the arena's use after each frame and, when the
// environment sets VIGIL_ARENA_REPORT, says at its end in how many frames it
// changed. The end-to-end tests run the programs so.
// State: none of its own; an ArenaWatch holds what it noted.
#pragma once
#include <cstdint>

struct ArenaWatch {
    const char* program = "vigil"; // names the reports
    int32_t last = -1;  // use after the last noted frame; -1: none to compare with
    int64_t frames = 0; // frames compared with the one before
    int64_t changed = 0;
};

// After a frame: compares the use with the last frame's. With
// VIGIL_ARENA_REPORT set, the first frame says "PROGRAM: arena use noted
// from the first frame".
void arena_watch_frame(ArenaWatch& watch);
// Before work that may allocate for good (a reload): the next frame starts
// a new comparison.
void arena_watch_restart(ArenaWatch& watch);
// When VIGIL_ARENA_REPORT is set: "PROGRAM: arena use changed in N of M
// frames; B bytes in use" on standard error.
void arena_watch_report(const ArenaWatch& watch);
