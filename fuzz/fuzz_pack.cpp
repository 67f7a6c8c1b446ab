// Fuzz target: the resource pack reader. The input is a pack of known
// length. Every entry the reader lists or finds must lie inside the pack,
// and every look-up must stay within it.
#include "assets/pack.h"
#include "fuzz/fuzz_support.h"

#include <cstring>

namespace {

// Looks `name` up as the model loader does and checks that what comes back
// lies within the pack.
void look_up(const ResourcePack* pack, const uint8_t* begin, const uint8_t* end, const char* name)
{
    const PackEntry* entry = ResourcePack_FindEntry(pack, name);
    const uint8_t* data = ResourcePack_GetData(pack, name);
    uint32_t size = ResourcePack_GetSize(pack, name);
    if (!entry) {
        if (data || size)
            fuzz_fail("a name without an entry has data");
        return;
    }
    if (!data || data < begin || data > end)
        fuzz_fail("an entry's data starts outside the pack");
    // Read what the caller may read: the entry's size, up to the pack's end.
    size_t left = static_cast<size_t>(end - data);
    volatile uint8_t keep = fuzz_touch_ends(data, size < left ? size : left);
    (void)keep;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > UINT32_MAX - 1)
        return 0;
    FuzzArenaScope arena;
    const uint8_t* end = data + size;
    ResourcePack* pack = ResourcePack_Open(data, static_cast<uint32_t>(size));
    if (!pack)
        return 0;
    uint32_t count = ResourcePack_EntryCount(pack);
    if (count > size / sizeof(PackEntry))
        fuzz_fail("the directory is longer than the pack");
    for (uint32_t i = 0; i < count; ++i) {
        PackEntry entry;
        if (!ResourcePack_EntryAt(pack, i, &entry))
            continue;
        char name[sizeof entry.name + 1];
        std::memcpy(name, entry.name, sizeof entry.name);
        name[sizeof entry.name] = '\0';
        look_up(pack, data, end, name);
        look_up(pack, data, end, GetBaseName(name));
    }
    look_up(pack, data, end, "mess.ms3d");
    look_up(pack, data, end, "..\\..\\..\\3d\\particles.tga");
    look_up(pack, data, end, "\\");
    return 0;
}
