// The demo's whole state between two frames, as bytes that can be saved and
// put back: the routines' own state (handed over once by the program that
// registers them), the random generator, the frame step (FrameLoop), the
// scene index and each scene record's clocks. GL objects made by the init
// routines are not in it (nothing changes them after init); the routines'
// state holds only their names and addresses, which a saved state shares
// with the running one.
// State: the routines' state block handed over by demo_state_attach_routines.
#pragma once
#include "core/frame_loop.h"

#include <cstddef>
#include <cstdint>

// The routines' state: one trivially copyable value, and how to put its
// start values back (the state of a fresh process before any init routine).
struct RoutineStateBlock {
    void* data = nullptr;
    size_t size = 0;
    void (*reset)() = nullptr;
};

// Hands the routines' state over; without it only the frame step, the scene
// clocks and the random generator are saved.
void demo_state_attach_routines(const RoutineStateBlock& block);

// Bytes of one saved state for the current timeline (g_timeline).
size_t demo_state_size();
// Saves into / restores from `size` = demo_state_size() bytes. The timeline
// must be the one the state was saved with.
void demo_state_save(const FrameLoop& loop, uint8_t* into);
void demo_state_restore(FrameLoop& loop, const uint8_t* from);
// The routines' state and the generator alone, which do not depend on the
// timeline: what the init routines left, put back when the scenes are
// rebuilt without running them again.
size_t demo_routines_size();
void demo_routines_save(uint8_t* into);
void demo_routines_restore(const uint8_t* from);
// The routines' start values and the generator's first state: what a new
// process has before its init routines run.
void demo_state_reset();
