// Init-routine runner and loading screen: runs the script's init routines
// one per call, and after each draws the loading picture with a half-dark
// band whose length shows the share of routines done.
// State: whether the loading screen is made, the next routine's index, the
// loading picture. Depends on assets (the embedded "loading.jpg").
#pragma once
#include "script/timeline.h"

#include <cstdint>

// Runs the next init routine and draws the loading screen. Returns the number
// of routines done, or -1 when the routine failed (the index is not advanced).
int32_t run_next_init(InitList* list);
// Forgets what ran: the next call starts the list from its first routine and
// makes the loading picture again. For running init routines again in the
// same process, after their textures and memory were given back.
void init_runner_reset();
// Makes the loading picture; 1 even when the picture cannot be made (the
// screen is then drawn without it).
int32_t loading_screen_init();
void draw_loading_progress(int32_t total, int32_t done);
// The band's right end in the 800x600 loading space, in single precision.
float loading_band_end(int32_t total, int32_t done);
