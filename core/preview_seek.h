// Where the authors' preview goes when a key asks it to seek: pure
// arithmetic on the timeline's scene starts, in milliseconds of music.
// Depends on script/timeline.h (the SceneRecord array and its terminator).
#pragma once
#include "script/timeline.h"

#include <cstdint>

enum class SeekKey {
    Back,          // 5 s back
    Forward,       // 5 s on
    PreviousScene, // the start of the scene before the one playing
    NextScene,     // the start of the scene after it
    Beginning,     // 0
};

// Seconds a Back or Forward key moves.
constexpr int32_t SEEK_STEP_MS = 5000;

// The index of the scene playing at `ms`: the last record whose start is at
// or before it, never the terminator (a timeline without scenes gives 0).
int32_t scene_index_at(const SceneRecord* timeline, int32_t ms);
// The music position a key seeks to from `ms`. Always within the played
// scenes: from 0 to one millisecond before the terminator's start, so a seek
// never ends the demo. -1 when the timeline has no scenes.
int32_t seek_target(const SceneRecord* timeline, int32_t ms, SeekKey key);
