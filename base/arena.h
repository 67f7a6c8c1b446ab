// Arena: the one block behind global operator new. Allocation is a pointer
// bump, nothing is freed individually, every byte handed out reads as zero,
// and the whole block goes back to the C heap once at shutdown.
// State: the process-wide record g_arena, which belongs to the thread that
// created it. The operations also work on any other Arena record, which the
// tests use so they need not disturb the one that serves operator new.
// Depends on the C library only.
#pragma once
#include <cstddef>
#include <cstdint>

struct Arena {
    char* base;        // start of the block from the C heap
    char* cursor;      // next free byte
    int32_t remaining; // bytes not yet handed out
    int32_t capacity;  // size of the block as created
    int32_t used;      // bytes handed out so far (remaining + used = capacity)
};

// The block the demo driver creates at start-up.
constexpr int32_t DEMO_ARENA_SIZE = 134217728;

// Every size is rounded up to this unit, so each pointer handed out is
// aligned for any fundamental type.
constexpr int32_t ARENA_UNIT = static_cast<int32_t>(alignof(std::max_align_t));

// In the sanitizer build each allocation is followed by this many poisoned
// bytes, so an overrun inside the arena is reported like one on the heap.
#if defined(__SANITIZE_ADDRESS__)
constexpr int32_t ARENA_REDZONE = 16;
#else
constexpr int32_t ARENA_REDZONE = 0;
#endif

// The process's one arena: global because the replaced operator new serves
// every allocation of the main thread from it.
extern Arena g_arena;

// Obtains a zero-filled block of `size` bytes. False (record unchanged) when
// the size is not positive or the C heap refuses.
bool arena_create(Arena& arena, int32_t size);
// Hands out `n` bytes (rounded up to ARENA_UNIT), or null when they do not
// fit. A request of 0 bytes takes one unit like a request of 1, so every
// result is distinct and lies inside the bytes handed out.
void* arena_alloc(Arena& arena, size_t n);
// As arena_alloc, with the result aligned to `align` (a power of two).
void* arena_alloc_aligned(Arena& arena, size_t n, size_t align);
// A point in an arena's use, to go back to: what a build that may be thrown
// away (the preview's checks and reloads) allocates above it can be given
// back as one.
struct ArenaMark {
    int32_t used = 0;
};
ArenaMark arena_mark(const Arena& arena);
// Gives back every byte handed out since `mark`, zero-filled again, so the
// next allocations read as zero as always. Nothing allocated since the mark
// may be used afterwards. A mark above the arena's use (taken before an
// earlier rewind) changes nothing.
void arena_rewind(Arena& arena, ArenaMark mark);

// Gives the block back and zeroes the record. Always true. The process-wide
// arena's block is only retired, not freed: libraries may still hold objects
// in it until the process ends.
bool arena_release(Arena& arena);
// True between a successful create and the release.
bool arena_active(const Arena& arena);
// True on the thread that created the process-wide arena, until it releases
// it. The arena has no lock: operator new serves only this thread from it,
// and no other thread ever reads g_arena.
bool arena_owned_by_this_thread();

// The process-wide forms used by the demo driver and operator new.
inline bool arena_create(int32_t size) { return arena_create(g_arena, size); }
inline void* arena_alloc(size_t n) { return arena_alloc(g_arena, n); }
inline bool arena_release() { return arena_release(g_arena); }
inline ArenaMark arena_mark() { return arena_mark(g_arena); }
inline void arena_rewind(ArenaMark mark) { arena_rewind(g_arena, mark); }
