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
// The same frame with nothing rasterised: every routine and hook runs and
// every GL call is made, so the routines' state and the GL objects end up as
// if the frame had been drawn, but an empty scissor box keeps every pixel
// out of the framebuffer; the scissor box and the scissor test's state are
// put back as they were before. Seeking steps the frames before its target
// with it.
// No routine reads the framebuffer back or sets the scissor box itself; one
// that did would need the frames drawn.
FrameResult frame_skip(FrameLoop& loop, double T, MusicClock music);

// Virtual time of the seeks: frame i of a run at `fps` frames per second is
// drawn for T = i / fps with the music at floor(i * 1000 / fps) ms.
double virtual_frame_time(int64_t frame, int32_t fps);
int32_t virtual_music_ms(int64_t frame, int32_t fps);
// The first frame whose music position is at least `ms`: where a seek to
// `ms` starts drawing.
int64_t first_frame_at(int32_t ms, int32_t fps);
// Paints the two 64-row black bars of the letterbox screen.
void draw_letterbox_bars();
