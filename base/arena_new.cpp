// Global operator new and delete, every form. Linked as one object file into
// each program and each test that needs it.
//
// - Requests made by the program's own code (the caller's address lies in the
//   executable) on the thread that created the process-wide arena
//   (base/arena.h) are served by the arena while it exists, and their delete
//   does nothing. The arena has no lock; other threads never touch it.
// - Requests made from shared libraries are theirs, not the program's: the
//   GL driver (a C++ compiler inside Mesa's llvmpipe), GLU and the standard
//   library allocate and free constantly, on any thread. They, requests from
//   any thread but the arena's, and every request before the arena exists or
//   after its release, get zero-filled C heap memory, which delete gives back.
//   The executables export only these operator new/delete forms
//   (cmake/exports.map), so no library code runs the program's own copies of
//   standard-library templates, whose calls would look like the program's.
// - When the arena is exhausted, the nothrow forms return null; the program's
//   own code allocates through them where it can fail softly. The plain forms
//   are what standard containers and strings call, and those write into the
//   result unchecked, so there a null would be a write through null: instead
//   they print what ran out and end the process with status 1.
// - A size that no block can hold at its alignment (above SIZE_MAX - align,
//   where rounding it up would wrap round to a small number) is refused before
//   either allocator sees it: the plain forms throw std::bad_alloc, as for any
//   request that cannot be met at all, and the nothrow forms return null.
#include "base/arena.h"
#include "base/heap.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

// The bytes of the arena's block handed out so far, [start, end), kept after
// its release so that deleting an object that lived there never hands its
// address to free(). The end is the furthest use ever reached: a rewind lowers
// the arena's use, but what was handed out above the mark is still arena
// memory when it is deleted later. Written by the arena's thread, read by
// delete on any thread: atomics, relaxed, because a pointer into the block
// only reaches another thread through some hand-over that already orders the
// store before the delete.
std::atomic<uintptr_t> s_block_start{0};
std::atomic<uintptr_t> s_handed_out_end{0};

bool from_program(const void* caller)
{
    return platform_is_program_code(caller);
}

// Whether this request is the arena's to serve. The thread test comes first:
// only the owning thread may read g_arena.
bool served_by_arena(const void* caller)
{
    return arena_owned_by_this_thread() && arena_active(g_arena) && from_program(caller);
}

// After each allocation the arena served, on its thread: extends the range
// handed out (a new block starts a new range).
void remember_handed_out()
{
    auto start = reinterpret_cast<uintptr_t>(g_arena.base);
    auto end = start + static_cast<uintptr_t>(g_arena.used);
    if (s_block_start.load(std::memory_order_relaxed) != start) {
        s_handed_out_end.store(end, std::memory_order_relaxed);
        s_block_start.store(start, std::memory_order_relaxed);
    } else if (end > s_handed_out_end.load(std::memory_order_relaxed)) {
        s_handed_out_end.store(end, std::memory_order_relaxed);
    }
}

bool in_arena_block(const void* p)
{
    auto address = reinterpret_cast<uintptr_t>(p);
    return address >= s_block_start.load(std::memory_order_relaxed) &&
           address < s_handed_out_end.load(std::memory_order_relaxed);
}

void* allocate(size_t n, size_t align, bool fromArena)
{
    if (fromArena) {
        void* p = arena_alloc_aligned(g_arena, n, align);
        if (p)
            remember_handed_out();
        return p;
    }
    return platform_heap_alloc(n, align);
}

// Whether no block can hold `n` bytes at `align`: rounding the size up to the
// alignment would wrap.
bool beyond_any_block(size_t n, size_t align)
{
    return n > SIZE_MAX - align;
}

[[noreturn]] void out_of_memory(size_t n, bool fromArena)
{
    static std::atomic<bool> s_stopping{false};
    if (fromArena)
        std::fprintf(stderr,
                     "vigil: out of memory: a request of %zu bytes does not fit in the arena "
                     "(%d of %d bytes in use)\n",
                     n, g_arena.used, g_arena.capacity);
    else
        std::fprintf(stderr, "vigil: out of memory: the C heap refused %zu bytes\n", n);
    std::fflush(stderr);
    // exit() runs whatever clean-up was registered with atexit; should that
    // run out of memory in turn, or another thread get here meanwhile, leave
    // at once instead of running it twice.
    if (s_stopping.exchange(true))
        std::_Exit(1);
    std::exit(1);
}

void* allocate_or_stop(size_t n, size_t align, const void* caller)
{
    if (beyond_any_block(n, align))
        throw std::bad_alloc();
    bool fromArena = served_by_arena(caller);
    void* p = allocate(n, align, fromArena);
    if (!p)
        out_of_memory(n, fromArena);
    return p;
}

void* allocate_or_null(size_t n, size_t align, const void* caller)
{
    if (beyond_any_block(n, align))
        return nullptr;
    return allocate(n, align, served_by_arena(caller));
}

void release(void* p)
{
    if (p && !in_arena_block(p))
        platform_heap_free(p);
}

constexpr size_t FUNDAMENTAL = alignof(std::max_align_t);

} // namespace

#define CALLER __builtin_return_address(0)

void* operator new(size_t n) { return allocate_or_stop(n, FUNDAMENTAL, CALLER); }
void* operator new[](size_t n) { return allocate_or_stop(n, FUNDAMENTAL, CALLER); }
void* operator new(size_t n, std::align_val_t a) { return allocate_or_stop(n, static_cast<size_t>(a), CALLER); }
void* operator new[](size_t n, std::align_val_t a) { return allocate_or_stop(n, static_cast<size_t>(a), CALLER); }

void* operator new(size_t n, const std::nothrow_t&) noexcept { return allocate_or_null(n, FUNDAMENTAL, CALLER); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return allocate_or_null(n, FUNDAMENTAL, CALLER); }
void* operator new(size_t n, std::align_val_t a, const std::nothrow_t&) noexcept
{
    return allocate_or_null(n, static_cast<size_t>(a), CALLER);
}
void* operator new[](size_t n, std::align_val_t a, const std::nothrow_t&) noexcept
{
    return allocate_or_null(n, static_cast<size_t>(a), CALLER);
}

// Arena memory is never freed one object at a time: it goes in one piece at
// the release. Heap memory goes back to the heap.
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, size_t) noexcept { release(p); }
void operator delete[](void* p, size_t) noexcept { release(p); }
void operator delete(void* p, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { release(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { release(p); }

#if defined(__SANITIZE_ADDRESS__)
// Arena memory is never freed by design; that is not a leak worth reporting.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
#endif
