// The executable's code range and the C heap for operator new on Windows.
// The program is one statically linked image: its code is the module's
// image. DLLs (opengl32, the GL driver, OLE) have their own allocators and
// never call the program's operator new. The CRT has no aligned_alloc whose
// blocks free() accepts, so every heap block comes from _aligned_malloc and
// goes back through _aligned_free.
#include <windows.h>

#include "base/heap.h"

#include <cstdint>
#include <cstring>
#include <malloc.h>

namespace {

struct ImageRange {
    const char* start = nullptr;
    const char* end = nullptr;
};

ImageRange image_range()
{
    ImageRange range;
    auto* base = reinterpret_cast<const char*>(GetModuleHandleA(nullptr));
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    range.start = base;
    range.end = base + nt->OptionalHeader.SizeOfImage;
    return range;
}

} // namespace

bool platform_is_program_code(const void* address)
{
    static const ImageRange s_image = image_range();
    auto* p = static_cast<const char*>(address);
    return p >= s_image.start && p < s_image.end;
}

void* platform_heap_alloc(size_t n, size_t align)
{
    if (n == 0)
        n = 1;
    if (align < alignof(std::max_align_t))
        align = alignof(std::max_align_t);
    // _aligned_malloc asks the heap for the size plus the alignment plus a
    // pointer, and the CRT's sum is not checked everywhere: a size near
    // SIZE_MAX would wrap round to a small block, which the fill below would
    // then overrun. Such a size is refused here.
    if (n > SIZE_MAX - align - sizeof(void*))
        return nullptr;
    void* p = _aligned_malloc(n, align);
    if (p)
        std::memset(p, 0, n);
    return p;
}

void platform_heap_free(void* p)
{
    _aligned_free(p);
}
