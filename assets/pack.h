// Resource pack: the "PKCP" archive read in place. A four-byte magic, an
// entry count, 136-byte directory entries {offset, size, 128-byte name}, then
// the files' bytes. Files are found by base name, ignoring case and any
// directory part. Where the pack's length is known, an entry whose data lies
// outside the pack is never returned.
#pragma once
#include "assets/reader.h"

#include <cstdint>

struct PackEntry {
    uint32_t offset; // from the pack's first byte
    uint32_t size;
    char name[128];  // zero-terminated unless it fills all 128 bytes; may hold
                     // a path with \ or / separators
};
static_assert(sizeof(PackEntry) == 136);

struct ResourcePack {
    const uint8_t* data; // the pack's first byte
    uint32_t length;     // the pack's length, or LENGTH_UNKNOWN
};

// Null when the block does not start with "PKCP" (or cannot be allocated).
ResourcePack* ResourcePack_Open(const void* data, uint32_t length = LENGTH_UNKNOWN);
// 1 when the pack starts with "PKCP", else 0.
int32_t ResourcePack_CheckHeader(const ResourcePack* pack);
// The first entry whose base name equals name's base name, ignoring ASCII
// case, or null. The entry in place when the pack is 4-byte aligned, else a
// copy of it in the arena (which lives as long as the pack).
const PackEntry* ResourcePack_FindEntry(const ResourcePack* pack, const char* name);
const uint8_t* ResourcePack_GetData(const ResourcePack* pack, const char* name);
uint32_t ResourcePack_GetSize(const ResourcePack* pack, const char* name);
// Entries in the directory; 0 when there is no magic or, with a known
// length, the directory does not fit in the pack.
uint32_t ResourcePack_EntryCount(const ResourcePack* pack);
// Copies entry `index` (of ResourcePack_EntryCount); true when its data lies
// within the pack, false when it does not (look-ups skip such entries) or
// the index is out of range (the copy is then zeroed).
bool ResourcePack_EntryAt(const ResourcePack* pack, uint32_t index, PackEntry* entry);
// The part of `path` after its last \ or /, not counting a separator in the
// first position; the path itself when there is none.
const char* GetBaseName(const char* path);
