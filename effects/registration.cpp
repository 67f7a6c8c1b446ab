// The registration list: the routines the script can name, registered in
// this order by one static initialiser before main runs. Linked as an object
// file so the initialiser is never dropped.
#include "core/music.h"
#include "script/functable.h"

namespace {

FuncTableEntry s_entries[] = {
    {"music_init", as_routine(&music_init)},
};

const bool s_registered = [] {
    for (FuncTableEntry& entry : s_entries)
        FuncTable_AddFunc(&entry);
    return true;
}();

} // namespace
