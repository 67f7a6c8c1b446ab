// Function table: every routine the script can name, registered by name
// before main runs by a static initialiser next to the routine. The script
// builder resolves names through it. State: g_funcTable, 256 slots filled in
// registration order, zero-initialised so it is valid before the first
// initialiser runs. Depends on params (for FuncTable_GetFunc) and core/log.
#pragma once
#include <cstdint>

class ParamSet;

// A registered routine's address. The table does not know a routine's form;
// the place where the script names it decides how it is called (see the call
// helpers below).
using Routine = void (*)();

// Init routine: no arguments, 0 means failure.
using InitRoutine = int32_t (*)();
// Per-frame routine and per-frame transition hook: two words that are always
// 0, then the frame time T and the time step dt in seconds.
using FrameRoutine = void (*)(int32_t, int32_t, double, double);
// Transition init hook: no arguments, nothing returned.
using HookRoutine = void (*)();

struct FuncTableEntry {
    const char* name;
    Routine routine;
};

struct FuncTable {
    FuncTableEntry* entries[256];
    int32_t count;
};

constexpr int32_t FUNC_TABLE_SIZE = 256;

// The process's one function table, global as the described interface has
// it; filled by start-up from the registration table.
extern FuncTable g_funcTable;

// FuncTable_GetFunc's error result: all bits set, which is neither 0 nor the
// address of any function.
inline Routine routine_error()
{
    return reinterpret_cast<Routine>(~static_cast<uintptr_t>(0));
}

void FuncTable_AddFunc(FuncTableEntry* entry);
Routine FuncTable_Find(const char* name);
// The routine named by `key` in `set`: 0 when absent and optional, the error
// value (with a diagnostic) when absent and required or not registered.
Routine FuncTable_GetFunc(ParamSet* set, const char* key, bool optional);

// The same operations on any table (the process-wide ones use g_funcTable).
void functable_add(FuncTable& table, FuncTableEntry* entry);
Routine functable_find(const FuncTable& table, const char* name);

template <typename F>
Routine as_routine(F function)
{
    return reinterpret_cast<Routine>(function);
}

inline int32_t call_init_routine(Routine routine)
{
    return reinterpret_cast<InitRoutine>(routine)();
}
inline void call_frame_routine(Routine routine, double t, double dt)
{
    reinterpret_cast<FrameRoutine>(routine)(0, 0, t, dt);
}
inline void call_hook_routine(Routine routine)
{
    reinterpret_cast<HookRoutine>(routine)();
}

// Registers `function` under its own name before main runs: for the tests'
// own routines only (the demo's 39 are registered by start-up from one
// table, effects/registration.cpp). The entry and its initialiser are static
// objects of the module that uses the macro; such modules must be linked as
// object files, never through a static archive, which would drop them.
#define VIGIL_REGISTER_ROUTINE(function)                                                       \
    static FuncTableEntry s_entry_##function = {#function, as_routine(&function)};             \
    static const bool s_registered_##function = (FuncTable_AddFunc(&s_entry_##function), true)
