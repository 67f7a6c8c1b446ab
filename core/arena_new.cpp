// Global operator new and delete, every form. Linked as one object file into
// each program and each test that needs it.
//
// - Requests made by the program's own code (the caller's address lies in the
//   executable) are served by the process-wide arena (core/arena.h) while it
//   exists, and their delete does nothing.
// - Requests made from shared libraries are theirs, not the program's: the
//   GL driver (a C++ compiler inside Mesa's llvmpipe), GLU and the standard
//   library allocate and free constantly. They, and every request before the
//   arena exists or after its release, get zero-filled C heap memory, which
//   delete gives back.
// - When the arena is exhausted, the nothrow forms return null; the program's
//   own code allocates through them where it can fail softly. The plain forms
//   are what standard containers and strings call, and those write into the
//   result unchecked, so there a null would be a write through null: instead
//   they print what ran out and end the process with status 1.
#include "core/arena.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

// The executable's code, from the linker.
extern "C" char __executable_start;
extern "C" char etext;

namespace {

// The range of the arena's block, kept after its release so that deleting an
// object that lived there never hands its address to free().
uintptr_t s_block_start = 0;
uintptr_t s_block_end = 0;

bool from_program(const void* caller)
{
    return caller >= static_cast<const void*>(&__executable_start) && caller < static_cast<const void*>(&etext);
}

void remember_block()
{
    s_block_start = reinterpret_cast<uintptr_t>(g_arena.base);
    s_block_end = s_block_start + static_cast<uintptr_t>(g_arena.capacity);
}

bool in_arena_block(const void* p)
{
    auto address = reinterpret_cast<uintptr_t>(p);
    return address >= s_block_start && address < s_block_end;
}

void* heap_allocate(size_t n, size_t align)
{
    if (n == 0)
        n = 1;
    if (align <= alignof(std::max_align_t))
        return std::calloc(n, 1);
    size_t rounded = (n + align - 1) & ~(align - 1);
    void* p = std::aligned_alloc(align, rounded);
    if (p)
        std::memset(p, 0, rounded);
    return p;
}

void* allocate(size_t n, size_t align, const void* caller)
{
    if (arena_active(g_arena) && from_program(caller)) {
        remember_block();
        return arena_alloc_aligned(g_arena, n, align);
    }
    return heap_allocate(n, align);
}

[[noreturn]] void out_of_memory(size_t n)
{
    static bool s_stopping = false;
    if (arena_active(g_arena))
        std::fprintf(stderr,
                     "vigil: out of memory: a request of %zu bytes does not fit in the arena "
                     "(%d of %d bytes in use)\n",
                     n, g_arena.used, g_arena.capacity);
    else
        std::fprintf(stderr, "vigil: out of memory: the C heap refused %zu bytes\n", n);
    std::fflush(stderr);
    // exit() runs the platform's clean-up (display mode, audio device); if that
    // clean-up itself runs out, leave at once.
    if (s_stopping)
        std::_Exit(1);
    s_stopping = true;
    std::exit(1);
}

void* allocate_or_stop(size_t n, size_t align, const void* caller)
{
    void* p = allocate(n, align, caller);
    if (!p)
        out_of_memory(n);
    return p;
}

void release(void* p)
{
    if (p && !in_arena_block(p))
        std::free(p);
}

constexpr size_t FUNDAMENTAL = alignof(std::max_align_t);

} // namespace

#define CALLER __builtin_return_address(0)

void* operator new(size_t n) { return allocate_or_stop(n, FUNDAMENTAL, CALLER); }
void* operator new[](size_t n) { return allocate_or_stop(n, FUNDAMENTAL, CALLER); }
void* operator new(size_t n, std::align_val_t a) { return allocate_or_stop(n, static_cast<size_t>(a), CALLER); }
void* operator new[](size_t n, std::align_val_t a) { return allocate_or_stop(n, static_cast<size_t>(a), CALLER); }

void* operator new(size_t n, const std::nothrow_t&) noexcept { return allocate(n, FUNDAMENTAL, CALLER); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return allocate(n, FUNDAMENTAL, CALLER); }
void* operator new(size_t n, std::align_val_t a, const std::nothrow_t&) noexcept
{
    return allocate(n, static_cast<size_t>(a), CALLER);
}
void* operator new[](size_t n, std::align_val_t a, const std::nothrow_t&) noexcept
{
    return allocate(n, static_cast<size_t>(a), CALLER);
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
