// Arena: bump allocation from one zero-filled block (see arena.h).
// In the AddressSanitizer build the bytes not yet handed out are poisoned,
// and so is a small gap after each allocation.
#include "base/arena.h"

#include <cstdlib>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define ARENA_POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define ARENA_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#else
#define ARENA_POISON(p, n) ((void)(p), (void)(n))
#define ARENA_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

Arena g_arena = {nullptr, nullptr, 0, 0, 0};

namespace {
// Set on the thread whose arena_create made g_arena, cleared by its release.
// A plain thread-local flag: reading it needs no lock and touches no shared
// state, which is what lets other threads stay off the arena.
thread_local bool s_owner_thread = false;
} // namespace

bool arena_create(Arena& arena, int32_t size)
{
    if (size <= 0)
        return false;
    // calloc: the zero fill costs nothing until the pages are touched.
    char* block = static_cast<char*>(std::calloc(static_cast<size_t>(size), 1));
    if (!block)
        return false;
    arena.base = block;
    arena.cursor = block;
    arena.remaining = size;
    arena.capacity = size;
    arena.used = 0;
    ARENA_POISON(block, static_cast<size_t>(size));
    if (&arena == &g_arena)
        s_owner_thread = true;
    return true;
}

void* arena_alloc_aligned(Arena& arena, size_t n, size_t align)
{
    if (!arena.base)
        return nullptr;
    // Work in 64 bits: a huge request must not wrap round to a small one.
    if (n > static_cast<size_t>(INT32_MAX))
        return nullptr;
    // A request of 0 bytes still costs one unit: every result must be a
    // distinct address inside what was handed out, never the cursor that the
    // next request (or the block's end) shares.
    uint64_t unit = static_cast<uint64_t>(ARENA_UNIT);
    uint64_t served = n == 0 ? 1 : static_cast<uint64_t>(n);
    uint64_t rounded = (served + unit - 1) & ~(unit - 1);
    uint64_t padding = 0;
    if (align > unit) {
        uintptr_t address = reinterpret_cast<uintptr_t>(arena.cursor);
        padding = (align - (address & (align - 1))) & (align - 1);
    }
    uint64_t need = padding + rounded + static_cast<uint64_t>(ARENA_REDZONE);
    if (need > static_cast<uint64_t>(arena.remaining))
        return nullptr;

    char* result = arena.cursor + padding;
    arena.cursor += need;
    arena.remaining -= static_cast<int32_t>(need);
    arena.used += static_cast<int32_t>(need);
    // Only the n bytes asked for become usable: a zero-byte result stays
    // poisoned, so the sanitizer build reports a read or write through it.
    ARENA_UNPOISON(result, n);
    return result;
}

void* arena_alloc(Arena& arena, size_t n)
{
    return arena_alloc_aligned(arena, n, static_cast<size_t>(ARENA_UNIT));
}

ArenaMark arena_mark(const Arena& arena)
{
    return ArenaMark{arena.used};
}

void arena_rewind(Arena& arena, ArenaMark mark)
{
    if (!arena.base || mark.used < 0 || mark.used >= arena.used)
        return;
    char* from = arena.base + mark.used;
    auto n = static_cast<size_t>(arena.used - mark.used);
    ARENA_UNPOISON(from, n);
    std::memset(from, 0, n);
    ARENA_POISON(from, n);
    arena.cursor = from;
    arena.remaining += arena.used - mark.used;
    arena.used = mark.used;
}

bool arena_release(Arena& arena)
{
    if (arena.base) {
        ARENA_UNPOISON(arena.base, static_cast<size_t>(arena.capacity));
        // The block behind operator new stays allocated until the process
        // ends: shared libraries (the GL driver among them) may have objects
        // in it that outlive the release, and freeing it would leave them
        // dangling. From here on operator new serves from the C heap.
        if (&arena != &g_arena)
            std::free(arena.base);
    }
    if (&arena == &g_arena)
        s_owner_thread = false;
    arena.base = nullptr;
    arena.cursor = nullptr;
    arena.remaining = 0;
    arena.capacity = 0;
    arena.used = 0;
    return true;
}

bool arena_active(const Arena& arena)
{
    return arena.base != nullptr;
}

bool arena_owned_by_this_thread()
{
    return s_owner_thread;
}
