// Global operator new and delete, every form, served by the process-wide
// arena (core/arena.h). Linked as one object file into each program and each
// test that needs it.
//
// - While the arena exists, memory comes from it; delete does nothing.
// - Before the arena is created and after it is released, memory comes from
//   the C heap, zero-filled like the arena's, and is never freed either.
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

namespace {

void* heap_fallback(size_t n, size_t align)
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

void* allocate(size_t n, size_t align)
{
    if (arena_active(g_arena))
        return arena_alloc_aligned(g_arena, n, align);
    return heap_fallback(n, align);
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

void* allocate_or_stop(size_t n, size_t align)
{
    void* p = allocate(n, align);
    if (!p)
        out_of_memory(n);
    return p;
}

} // namespace

void* operator new(size_t n) { return allocate_or_stop(n, alignof(std::max_align_t)); }
void* operator new[](size_t n) { return allocate_or_stop(n, alignof(std::max_align_t)); }
void* operator new(size_t n, std::align_val_t a) { return allocate_or_stop(n, static_cast<size_t>(a)); }
void* operator new[](size_t n, std::align_val_t a) { return allocate_or_stop(n, static_cast<size_t>(a)); }

void* operator new(size_t n, const std::nothrow_t&) noexcept { return allocate(n, alignof(std::max_align_t)); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return allocate(n, alignof(std::max_align_t)); }
void* operator new(size_t n, std::align_val_t a, const std::nothrow_t&) noexcept
{
    return allocate(n, static_cast<size_t>(a));
}
void* operator new[](size_t n, std::align_val_t a, const std::nothrow_t&) noexcept
{
    return allocate(n, static_cast<size_t>(a));
}

// Nothing is ever freed: arena memory goes back in one piece at release, and
// heap memory handed out outside the arena's lifetime is kept to the end.
void operator delete(void*) noexcept {}
void operator delete[](void*) noexcept {}
void operator delete(void*, size_t) noexcept {}
void operator delete[](void*, size_t) noexcept {}
void operator delete(void*, std::align_val_t) noexcept {}
void operator delete[](void*, std::align_val_t) noexcept {}
void operator delete(void*, size_t, std::align_val_t) noexcept {}
void operator delete[](void*, size_t, std::align_val_t) noexcept {}
void operator delete(void*, const std::nothrow_t&) noexcept {}
void operator delete[](void*, const std::nothrow_t&) noexcept {}
void operator delete(void*, std::align_val_t, const std::nothrow_t&) noexcept {}
void operator delete[](void*, std::align_val_t, const std::nothrow_t&) noexcept {}

#if defined(__SANITIZE_ADDRESS__)
// Memory that is never freed by design is not a leak worth reporting.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
#endif
