// The script as the authors' preview reads it: the three parameter files'
// texts, read once each time one changes, with the stamps the files had; and
// a check that builds such a text and gives back everything the build
// allocated, so the script that plays stays as it was. What is checked is
// the text that is then built: nothing is read from disk twice.
// State: none of its own. A ScriptSource owns its texts, on the C heap, so
// they outlive the arena memory that builds give back.
#pragma once
#include "core/session.h"
#include "platform/process.h"
#include "script/functable.h"
#include "script/script_interface.h"
#include "script/timeline.h"

#include <cstddef>
#include <cstdint>

struct ScriptSource {
    char* text[SCRIPT_FILE_COUNT] = {}; // null: the file is missing
    size_t length[SCRIPT_FILE_COUNT] = {};
    FileStamp stamp[SCRIPT_FILE_COUNT];
};

// Reads the three files under the working directory, each stamp taken before
// its text, so a save made during the read shows as a change next time.
// False, with `source` unchanged and the reason in `error`, when a file that
// exists cannot be read or memory runs out.
bool script_source_read(ScriptSource& source, char* error, size_t errorSize);
void script_source_free(ScriptSource& source);
// Whether any file's stamp differs from the one its text was read with.
bool script_source_changed(const ScriptSource& source);
bool script_source_same_text(const ScriptSource& a, const ScriptSource& b);
ScriptTexts script_source_texts(const ScriptSource& source);

// Init routines a checked script may list (the player takes any number).
constexpr int32_t SCRIPT_CHECK_MAX_INITS = 1024;

struct ScriptCheck {
    bool builds = false;
    int32_t initCount = 0;
    Routine inits[SCRIPT_CHECK_MAX_INITS] = {}; // the init list it would run
    BuildReport report; // its diagnostics, with file and line
};

// Builds `source` above the arena's use, with file and line for each
// diagnostic, then gives back everything the build allocated and puts the
// script's globals back. It builds when the files parse, every name
// resolves and the lists build. Whether the init routines succeed and open
// the music only running them tells.
void script_check(const ScriptSource& source, ScriptCheck& check);
// Whether the check's init list is `list`, routine for routine.
bool script_check_same_inits(const ScriptCheck& check, const InitList* list);
