// Seeking on virtual time, shared by the preview and vigil-capture --from:
// frame i is stepped for T = i / fps with the music at floor(i * 1000 / fps)
// ms, so where a seek lands does not depend on how it got there. The table
// keeps a saved demo state (core/demo_state.h) every few seconds of music;
// a seek restores the nearest one at or before its target and steps the
// frames between without drawing, saving the slots it passes. A filler can
// step ahead between live frames to fill the table in the background.
// State: the table's slots, in one block from the C heap (the arena never
// frees, and a table is made again after every reload).
#pragma once
#include "core/frame_loop.h"

#include <cstddef>
#include <cstdint>

// Music seconds between two saved states, at least; longer demos space them
// further so that a table never has more than SEEK_MAX_SLOTS.
constexpr int32_t SEEK_SLOT_SECONDS = 1;
constexpr int32_t SEEK_MAX_SLOTS = 512;

struct SeekTable {
    int32_t fps = 0;
    int64_t interval = 0;       // frames between two slots
    int32_t capacity = 0;       // slots the demo's length needs
    int32_t filled = 0;         // slots 0 .. filled-1 hold the state before frame slot * interval
    int64_t endFrame = -1;      // the frame at which the demo ended, once a step met it
    size_t slotSize = 0;        // demo_state_size()
    uint8_t* slots = nullptr;   // capacity slots
    uint8_t* aside = nullptr;   // the caller's state while the filler steps
    uint8_t* filler = nullptr;  // the filler's state between its turns
    int64_t fillerFrame = -1;   // the filler's next frame; -1 when it starts from the last slot
};

// Makes the table for the current timeline at `fps`. Slot 0 is the state as
// it is now, which must be the state before frame 0 (the init routines run,
// the loop started). False, with nothing allocated, when the heap refuses.
bool seek_table_create(SeekTable& table, const FrameLoop& loop, int32_t fps);
void seek_table_free(SeekTable& table);
// Leaves the demo in the state before frame `target`. False when the demo
// ended before it (the state is then the one of its end).
bool seek_table_seek(SeekTable& table, FrameLoop& loop, int64_t target);
// Steps the filler at most `frames` frames ahead, saving the slots it
// reaches, and puts the caller's state back. True while slots remain to fill.
bool seek_table_fill(SeekTable& table, FrameLoop& loop, int32_t frames);
// Bytes the table holds.
size_t seek_table_bytes(const SeekTable& table);
