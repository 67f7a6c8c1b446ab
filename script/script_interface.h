// Script interface: turns the three parameter files into the demo's script.
// Builds the parameter tree, loads "data/init.conf", "data/demo.conf" and
// "data/config.conf" (relative to the working directory) and resolves every
// routine name, leaving two flat lists in the arena:
// - the init list: routine addresses in "init1", "init2", ... order, then null;
// - the scene word list: per played scene its start (ms), routine count n, n
//   routines, 0 (an empty second list), the transition flag and, after a 1,
//   the transition length and prefunc, prefunc_init, postfunc, postfunc_init;
//   then the total length and three 0 words.
// Each word holds either a 32-bit integer or a routine address.
// State: g_init_list, g_scene_words, g_scene_word_count.
// Depends on params, script/functable, core/log.
#pragma once
#include "script/functable.h"

#include <cstddef>
#include <cstdint>

using ScriptWord = intptr_t;

inline ScriptWord word_of(Routine routine)
{
    return reinterpret_cast<ScriptWord>(routine);
}
inline Routine routine_of(ScriptWord word)
{
    return reinterpret_cast<Routine>(word);
}

// The built script, global as the described script interface has it: the
// init runner and the timeline builder read what the builder left here.
extern Routine* g_init_list;
extern ScriptWord* g_scene_words;
extern int32_t g_scene_word_count;

// The three parameter files in the order they are read.
constexpr int32_t SCRIPT_FILE_COUNT = 3;
constexpr const char* SCRIPT_FILE_NAMES[SCRIPT_FILE_COUNT] = {"data/init.conf", "data/demo.conf",
                                                               "data/config.conf"};

// Their texts, read once by a caller that must check and build exactly what
// it read (the preview); a null text stands for a file that is missing.
struct ScriptTexts {
    const char* text[SCRIPT_FILE_COUNT] = {};
    size_t length[SCRIPT_FILE_COUNT] = {};
};

// How far a build goes after a problem: the programs stop at the first, as
// the builder always has; a script check goes on through every init routine
// and scene so that one pass reports all it can find. The result is the same.
enum class ScriptErrors { StopAtFirst, ReportAll };

// 1 when both lists were built, 0 after a failure (reason in the log).
int32_t InitScriptInterface(ScriptErrors errors = ScriptErrors::StopAtFirst);
// The same from texts already read, each parsed under its file's name.
int32_t InitScriptInterface(const ScriptTexts& texts);
// Build from the tree under g_param_root; 1 = success, 0 = failure.
int32_t BuildInitList(ScriptErrors errors = ScriptErrors::StopAtFirst);
int32_t BuildSceneList(ScriptErrors errors = ScriptErrors::StopAtFirst);
