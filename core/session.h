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

#include <cstddef>
#include <cstdint>

// A build's diagnostics, one "file:line: message" per line (just the message
// where it has no place in a file), cut to the buffer's size.
constexpr size_t BUILD_REPORT_SIZE = 4096;
struct BuildReport {
    char text[BUILD_REPORT_SIZE] = {};
};
// Appends `line`, adding a newline where it has none.
void build_report_add(BuildReport& report, const char* line);
// A diagnostic sink (base/log.h) adding each line, with the file and line the
// builder is at, to the BuildReport `user`.
void build_report_collect(const char* text, void* user);
// The report's first line, without its newline, into `out`.
void build_report_first(const BuildReport& report, char* out, size_t size);

// Where a program looks for the script when its files are not there: writes
// one line into `out` that names the folder and the missing or empty file
// and says how to run the program so it finds them (from the folder that
// holds data/, or with --dir, naming the installed demo's folder where one
// is installed). False when data/demo.conf and data/init.conf are both there
// and not empty.
bool script_files_problem(const char* program, char* out, size_t size);

enum class SessionStart {
    Built,           // the arena exists and the script built
    NoArena,         // the 128 MiB arena could not be reserved
    InterfaceFailed, // InitScriptInterface failed (the arena stays)
    ScriptFailed,    // script_init_init or script_init failed (the arena stays)
};

// Builds the script: InitScriptInterface, the init list into `initList` and
// the timeline into g_timeline (null when anything fails).
SessionStart session_build_script(InitList** initList, ScriptErrors errors = ScriptErrors::StopAtFirst);
// The same from the files' texts as already read (the preview's reloads).
SessionStart session_build_script(InitList** initList, const ScriptTexts& texts);
// Creates the arena, then builds the script.
SessionStart session_start(InitList** initList, ScriptErrors errors = ScriptErrors::StopAtFirst);
// The same, with each diagnostic of the build collected in `report` with its
// file and line.
SessionStart session_start(InitList** initList, BuildReport& report);

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
