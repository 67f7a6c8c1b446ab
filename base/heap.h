// What the global operator new/delete (base/arena_new.cpp) need from the
// platform: where the executable's own code lies, and the C heap for the
// requests the arena does not serve.
// Implementations: platform/posix/memory.cpp (Linux), platform/win32/memory.cpp
// (Windows).
#pragma once
#include <cstddef>

// Whether `address` lies in the executable's own code (not in a shared
// library's).
bool platform_is_program_code(const void* address);
// n zero-filled bytes aligned to `align` (a power of two), or null.
void* platform_heap_alloc(size_t n, size_t align);
// Gives back a block of platform_heap_alloc; null does nothing.
void platform_heap_free(void* p);
