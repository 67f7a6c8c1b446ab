// Runtime timeline: InitList and SceneRecord array from the script's lists.
#include "script/timeline.h"

#include "script/script_interface.h"

#include <new>

SceneRecord* g_timeline = nullptr;
int32_t g_current_scene = 0;

InitList* script_init_init()
{
    if (!g_init_list)
        return nullptr;
    InitList* list = new (std::nothrow) InitList();
    if (!list)
        return nullptr;
    int32_t count = 0;
    while (g_init_list[count])
        ++count;
    list->count = count;
    list->routines = new (std::nothrow) Routine[count];
    if (!list->routines)
        return nullptr;
    for (int32_t i = 0; i < count; ++i)
        list->routines[i] = g_init_list[i];
    return list;
}

namespace {

// Copies `count` routine addresses from the word list into a new array.
Routine* copy_routines(const ScriptWord* words, int32_t count)
{
    Routine* routines = new (std::nothrow) Routine[count];
    if (!routines)
        return nullptr;
    for (int32_t i = 0; i < count; ++i)
        routines[i] = routine_of(words[i]);
    return routines;
}

} // namespace

SceneRecord* script_init()
{
    const ScriptWord* words = g_scene_words;
    if (!words)
        return nullptr;

    // Count the scenes before the first zero routine count, plus the terminator.
    int32_t recordCount = 1;
    for (const ScriptWord* w = words; w[1] != 0; ++recordCount) {
        const ScriptWord* next = w + 2 + w[1]; // past start, count and routines
        next += 1 + *next;                     // past the second list
        next += 1 + (*next ? 5 : 0);           // past the transition
        w = next;
    }

    SceneRecord* records = new (std::nothrow) SceneRecord[recordCount]();
    if (!records)
        return nullptr;

    const ScriptWord* w = words;
    for (int32_t i = 0; i < recordCount; ++i) {
        SceneRecord& record = records[i];
        record.start = static_cast<int32_t>(*w++);
        record.routineCount = static_cast<int32_t>(*w++);
        record.elapsed = 0.0;
        record.transitionElapsed = 0.0;
        if (i > 0)
            records[i - 1].length = record.start - records[i - 1].start;
        if (record.routineCount == 0) {
            record.routines = nullptr;
            record.extraRoutines = nullptr;
            record.extraCount = 0;
            break;
        }
        record.routines = copy_routines(w, record.routineCount);
        if (!record.routines)
            return nullptr;
        w += record.routineCount;
        record.extraCount = static_cast<int32_t>(*w++);
        record.extraRoutines = nullptr;
        if (record.extraCount != 0) {
            record.extraRoutines = copy_routines(w, record.extraCount);
            if (!record.extraRoutines)
                return nullptr;
            w += record.extraCount;
        }
        record.hasTransition = static_cast<int32_t>(*w++);
        if (record.hasTransition) {
            record.transitionLength = static_cast<int32_t>(*w++);
            record.prefunc = routine_of(*w++);
            record.prefunc_init = routine_of(*w++);
            record.postfunc = routine_of(*w++);
            record.postfunc_init = routine_of(*w++);
        }
    }
    return records;
}

SceneRecord* GetCurrentScene()
{
    return &g_timeline[g_current_scene];
}
