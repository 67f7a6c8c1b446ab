// The executable's code range and the C heap for operator new on Linux: the
// linker's __executable_start and etext, calloc and aligned_alloc, free.
#include "base/heap.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

// The executable's code, from the linker.
extern "C" char __executable_start;
extern "C" char etext;

bool platform_is_program_code(const void* address)
{
    return address >= static_cast<const void*>(&__executable_start) && address < static_cast<const void*>(&etext);
}

void* platform_heap_alloc(size_t n, size_t align)
{
    if (n == 0)
        n = 1;
    if (align <= alignof(std::max_align_t))
        return std::calloc(n, 1);
    // aligned_alloc takes a multiple of the alignment; a size whose rounding
    // would wrap round to a small block is refused instead.
    if (n > SIZE_MAX - align)
        return nullptr;
    size_t rounded = (n + align - 1) & ~(align - 1);
    void* p = std::aligned_alloc(align, rounded);
    if (p)
        std::memset(p, 0, rounded);
    return p;
}

void platform_heap_free(void* p)
{
    std::free(p);
}
