// Runtime timeline: the script in the form the init runner and the frame loop
// use. script_init_init packs the init list into an InitList; script_init
// turns the scene word list into an array of SceneRecords, one per played
// scene, ending with a terminator whose routineCount is 0 and whose start is
// the demo's total length. All of it lives in the arena.
// State: g_timeline (the record array the frame loop walks) and
// g_current_scene (its index, advanced by the frame loop).
// Depends on script/script_interface.
#pragma once
#include "script/functable.h"

#include <cstdint>

struct InitList {
    int32_t count;
    Routine* routines;
};

struct SceneRecord {
    int32_t start;            // music position in ms at which the scene begins
    int32_t length;           // ms: next record's start minus this start
    double elapsed;           // seconds the scene has been played
    double transitionElapsed; // seconds since the current transition phase began
    int32_t routineCount;     // per-frame routines; 0 only in the terminator
    int32_t extraCount;       // second routine list, always empty from the script
    Routine* routines;
    Routine* extraRoutines;
    int32_t hasTransition;
    int32_t transitionLength; // ms: width of the lead-out and lead-in windows
    Routine prefunc;          // per-frame hook of the lead-out phase
    Routine postfunc;         // per-frame hook of the lead-in phase
    Routine prefunc_init;     // called once when the lead-out phase begins
    Routine postfunc_init;    // called once when the lead-in phase begins
};

// The timeline and the scene playing, global as the described frame step
// and routines use them; only the start-up session (core/session) sets the
// timeline.
extern SceneRecord* g_timeline;
extern int32_t g_current_scene;

// Null when an allocation fails (or no init list was built).
InitList* script_init_init();
// Null when an allocation fails (or no scene list was built).
SceneRecord* script_init();
// The record at the frame loop's current scene index.
SceneRecord* GetCurrentScene();
