// Whether the frame being stepped is drawn. A seek steps the frames before
// its target without rasterising them (core/frame_loop.h, frame_skip); the
// few drawing helpers whose work is all CPU-side vertex generation with no
// state of their own (the ghost figures' puffs, the tree's attractor points)
// look at this flag and leave that work out, which keeps their routines'
// state the same at a fraction of the cost.
// State: one process-wide flag, false except inside frame_skip.
#pragma once

// Global because the routines' GL calls are skipped deep inside the drawing
// helpers, which the frame step cannot pass a flag to.
extern bool g_skip_drawing;
