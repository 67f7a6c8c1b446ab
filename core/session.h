// The start-up every program shares (the player, the preview and
// vigil-capture): the arena, the script built from data/*.conf into its init
// list and its timeline, and the init phase, each init routine in order,
// drawn between the letterbox bars where asked. Each program adds its own
// hooks: whether to stop before a routine (the user quit) and what to do
// after each (present the loading screen, or write it to a file).
// State: none of its own; the timeline it builds is g_timeline
// (script/timeline.h), which only this module sets for the programs.
#pragma once
#include "script/script_interface.h"
#include "script/timeline.h"

#include <cstdint>

enum class SessionStart {
    Built,           // the arena exists and the script built
    NoArena,         // the 128 MiB arena could not be reserved
    InterfaceFailed, // InitScriptInterface failed (the arena stays)
    ScriptFailed,    // script_init_init or script_init failed (the arena stays)
};

// Builds the script: InitScriptInterface, the init list into `initList` and
// the timeline into g_timeline (null when anything fails).
SessionStart session_build_script(InitList** initList);
// The same from the files' texts as already read (the preview's reloads).
SessionStart session_build_script(InitList** initList, const ScriptTexts& texts);
// Creates the arena, then builds the script.
SessionStart session_start(InitList** initList);

struct InitHooks {
    void* context = nullptr;
    // Asked before each routine: true ends the init phase early.
    bool (*stop)(void* context) = nullptr;
    // After routine `index` succeeded, with its picture drawn (and the bars
    // where letterboxed): present it, or write it. False ends the phase as a
    // failure of the hook's own, which it has reported.
    bool (*after)(void* context, int32_t index) = nullptr;
};

// The hooks of a program with a window: stop once the quit flag is set;
// after each routine present the loading screen and handle pending events.
InitHooks session_window_hooks();

enum class InitPhase { Done, Stopped, RoutineFailed, HookFailed };

// Runs the init routines of `list` in order; viewport (0, 64, 1024, 640) and
// the black bars around it when `letterbox`. On RoutineFailed, `failed` is the
// index of the routine that failed.
InitPhase session_run_inits(InitList* list, bool letterbox, const InitHooks& hooks, int32_t* failed);
