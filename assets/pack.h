// Resource pack: the "PKCP" archive read in place. A four-byte magic, an
// entry count, 136-byte directory entries {offset, size, 128-byte name}, then
// the files' bytes. Files are found by base name, ignoring case and any
// directory part. Where the pack's length is known, an entry whose offset
// lies outside the pack is never returned, and one whose size field runs past
// the pack's end (as 0xCCCCCCCC does in the original packs) is read up to
// that end: every size handed out is then cut to what the pack holds.
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
// case, or null. The entry in place when the pack is 4-byte aligned and its
// size needs no cut, else a copy of it in the arena (which lives as long as
// the pack) with the cut size.
const PackEntry* ResourcePack_FindEntry(const ResourcePack* pack, const char* name);
const uint8_t* ResourcePack_GetData(const ResourcePack* pack, const char* name);
// The entry's size, cut to the pack's end where the length is known; 0 when
// no entry matches.
uint32_t ResourcePack_GetSize(const ResourcePack* pack, const char* name);
// Entries in the directory; 0 when there is no magic or, with a known
// length, the directory does not fit in the pack.
uint32_t ResourcePack_EntryCount(const ResourcePack* pack);
// Copies entry `index` (of ResourcePack_EntryCount) with its size cut as
// look-ups cut it; true when its offset lies within the pack, false when it
// does not (look-ups skip such entries; the size is then as stored) or the
// index is out of range (the copy is then zeroed). `storedSize`, when given,
// receives the size field as the directory holds it.
bool ResourcePack_EntryAt(const ResourcePack* pack, uint32_t index, PackEntry* entry,
                          uint32_t* storedSize = nullptr);
// The part of `path` after its last \ or /, not counting a separator in the
// first position; the path itself when there is none.
const char* GetBaseName(const char* path);
