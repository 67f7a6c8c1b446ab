// Resource pack: look-ups by base name in a "PKCP" archive read in place.
// No state of its own; each look-up walks the directory again.
//
// The directory is read with memcpy, never through a PackEntry pointer, since
// the pack may sit at any address (an embedded blob, or one file inside
// another): a misaligned 32-bit load would be undefined. Where the pack's
// length is known, the directory must lie within it and an entry whose data
// does not is skipped as if it were not there.
#include "assets/pack.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <new>

// Entries handed out in place are read with the host's byte order.
static_assert(std::endian::native == std::endian::little, "the pack format is little-endian");

namespace {

constexpr uint32_t PACK_HEADER_SIZE = 8;
constexpr uint32_t PACK_ENTRY_SIZE = sizeof(PackEntry);
constexpr uint32_t PACK_NAME_SIZE = sizeof(PackEntry::name);

uint32_t read_u32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

char ascii_lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equal_ignoring_ascii_case(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        if (ascii_lower(*a) != ascii_lower(*b))
            return false;
        if (!*a)
            return true;
    }
}

// Where in the pack entry `index` starts.
const uint8_t* entry_bytes(const ResourcePack* pack, uint32_t index)
{
    return pack->data + PACK_HEADER_SIZE + static_cast<size_t>(index) * PACK_ENTRY_SIZE;
}

// Whether entry `index`'s offset lies within the pack (always, when the
// pack's length is unknown). An offset at the very end gives empty data.
bool entry_usable(const ResourcePack* pack, uint32_t index)
{
    return pack->length == LENGTH_UNKNOWN || read_u32(entry_bytes(pack, index)) <= pack->length;
}

// The bytes of a usable entry that can be read: its size field, cut to
// what the pack holds from the entry's offset on.
uint32_t readable_size(const ResourcePack* pack, uint32_t index)
{
    const uint8_t* entry = entry_bytes(pack, index);
    uint32_t size = read_u32(entry + 4);
    if (pack->length == LENGTH_UNKNOWN)
        return size;
    uint32_t left = pack->length - read_u32(entry);
    return size < left ? size : left;
}

// The index of the first usable entry whose base name matches `name`'s, or -1.
int64_t find_index(const ResourcePack* pack, const char* name)
{
    if (!name)
        return -1;
    const char* key = GetBaseName(name);
    uint32_t count = ResourcePack_EntryCount(pack);
    for (uint32_t i = 0; i < count; ++i) {
        if (!entry_usable(pack, i))
            continue;
        const uint8_t* entry = entry_bytes(pack, i);
        // A name that fills all 128 bytes has no terminator of its own.
        char entryName[PACK_NAME_SIZE + 1];
        std::memcpy(entryName, entry + 8, PACK_NAME_SIZE);
        entryName[PACK_NAME_SIZE] = '\0';
        if (equal_ignoring_ascii_case(GetBaseName(entryName), key))
            return i;
    }
    return -1;
}

} // namespace

ResourcePack* ResourcePack_Open(const void* data, uint32_t length)
{
    ResourcePack* pack = new (std::nothrow) ResourcePack();
    if (!pack)
        return nullptr;
    pack->data = static_cast<const uint8_t*>(data);
    pack->length = length;
    return ResourcePack_CheckHeader(pack) ? pack : nullptr;
}

int32_t ResourcePack_CheckHeader(const ResourcePack* pack)
{
    if (!pack || !pack->data)
        return 0;
    if (pack->length != LENGTH_UNKNOWN && pack->length < PACK_HEADER_SIZE)
        return 0;
    return std::memcmp(pack->data, "PKCP", 4) == 0 ? 1 : 0;
}

uint32_t ResourcePack_EntryCount(const ResourcePack* pack)
{
    if (!ResourcePack_CheckHeader(pack))
        return 0;
    uint32_t count = read_u32(pack->data + 4);
    if (pack->length != LENGTH_UNKNOWN && PACK_HEADER_SIZE + static_cast<uint64_t>(count) * PACK_ENTRY_SIZE > pack->length)
        return 0;
    return count;
}

bool ResourcePack_EntryAt(const ResourcePack* pack, uint32_t index, PackEntry* entry, uint32_t* storedSize)
{
    std::memset(entry, 0, sizeof *entry);
    if (storedSize)
        *storedSize = 0;
    if (index >= ResourcePack_EntryCount(pack))
        return false;
    std::memcpy(entry, entry_bytes(pack, index), sizeof *entry);
    if (storedSize)
        *storedSize = entry->size;
    if (!entry_usable(pack, index))
        return false;
    entry->size = readable_size(pack, index);
    return true;
}

const PackEntry* ResourcePack_FindEntry(const ResourcePack* pack, const char* name)
{
    int64_t index = find_index(pack, name);
    if (index < 0)
        return nullptr;
    const uint8_t* entry = entry_bytes(pack, static_cast<uint32_t>(index));
    // The entry itself when it is aligned for a PackEntry and its size can
    // be read as it stands; otherwise a copy in the arena, which is as
    // long-lived as the pack, with the size cut to the pack.
    const uint32_t size = readable_size(pack, static_cast<uint32_t>(index));
    if (reinterpret_cast<uintptr_t>(entry) % alignof(PackEntry) == 0 && size == read_u32(entry + 4))
        return reinterpret_cast<const PackEntry*>(entry);
    PackEntry* copy = new (std::nothrow) PackEntry();
    if (!copy)
        return nullptr;
    std::memcpy(copy, entry, sizeof(PackEntry));
    copy->size = size;
    return copy;
}

const uint8_t* ResourcePack_GetData(const ResourcePack* pack, const char* name)
{
    int64_t index = find_index(pack, name);
    if (index < 0)
        return nullptr;
    return pack->data + read_u32(entry_bytes(pack, static_cast<uint32_t>(index)));
}

uint32_t ResourcePack_GetSize(const ResourcePack* pack, const char* name)
{
    int64_t index = find_index(pack, name);
    if (index < 0)
        return 0;
    return readable_size(pack, static_cast<uint32_t>(index));
}

const char* GetBaseName(const char* path)
{
    if (!path)
        return nullptr;
    size_t n = std::strlen(path);
    // The first character is never taken as a separator, so "\name" keeps
    // its backslash; an empty or one-character path is its own base name.
    for (size_t i = n; i-- > 1;) {
        if (path[i] == '\\' || path[i] == '/')
            return path + i + 1;
    }
    return path;
}
