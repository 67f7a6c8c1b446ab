// Function table: registration in order, linear look-up by exact name, and
// resolution of a routine named in the parameter tree.
#include "script/functable.h"

#include "base/log.h"
#include "params/location.h"
#include "params/param.h"

#include <cstring>
#include <string>

FuncTable g_funcTable;

void functable_add(FuncTable& table, FuncTableEntry* entry)
{
    if (functable_find(table, entry->name)) {
        diag_log("FuncTable_AddFunc: Function %s already exists in function table!\n", entry->name);
        return;
    }
    if (table.count >= FUNC_TABLE_SIZE) {
        diag_log("FuncTable_AddFunc: Too many functions in function table!\n");
        return;
    }
    table.entries[table.count++] = entry;
}

Routine functable_find(const FuncTable& table, const char* name)
{
    for (int32_t i = 0; i < table.count; ++i)
        if (std::strcmp(table.entries[i]->name, name) == 0)
            return table.entries[i]->routine;
    return nullptr;
}

void FuncTable_AddFunc(FuncTableEntry* entry)
{
    functable_add(g_funcTable, entry);
}

Routine FuncTable_Find(const char* name)
{
    return functable_find(g_funcTable, name);
}

Routine FuncTable_GetFunc(ParamSet* set, const char* key, bool optional)
{
    Param* param = set->Find(key);
    if (!param) {
        if (optional)
            return nullptr;
        DiagSubject subject(set);
        diag_log("Error: No function parameter '%s' was found!\n", key);
        return routine_error();
    }
    std::string name = param->ToString();
    Routine routine = FuncTable_Find(name.c_str());
    if (!routine) {
        DiagSubject subject(param);
        diag_log("Error: Couldn't find function %s in function table!\n", name.c_str());
        return routine_error();
    }
    return routine;
}
