// One frame of the demo: the music position picks the scene (at most one
// record further per frame) and opens its lead-out or lead-in transition
// window, then the scene's routines and the active transition hook draw for
// the frame time T. Shared by the player, which paces and presents the
// frames, and by the capture tool, which runs on virtual time.
// State: the transition flags and the previous frame time (FrameLoop), the
// timeline and current scene index of script/timeline.h.
#pragma once
#include <cstdint>

// Music position in milliseconds; read up to three times per frame.
using MusicClock = int32_t (*)();

struct FrameLoop {
    int32_t preFlag;      // the lead-out hook of the current scene is active
    int32_t postFlag;     // the lead-in hook is active
    double previousT;     // T of the previous frame (T itself before the first)
    bool letterbox;       // draw through the 1024x640 area of a 1024x768 screen
};

// Resets the flags and the scene index before the first frame, whose time
// step will be 0.
void frame_loop_start(FrameLoop& loop, double firstT);
enum class FrameResult {
    Ended,      // the current record was the terminator: nothing was done
    Drawn,      // a scene's routines drew the frame
    ReachedEnd, // the music moved onto the terminator: no routine drew
};

// Runs one frame for time T: scene advance, transition windows, `elapsed`,
// the routines, the active hook, the letterbox bars.
FrameResult frame_advance(FrameLoop& loop, double T, MusicClock music);
// Paints the two 64-row black bars of the letterbox screen.
void draw_letterbox_bars();
