// Per-input arena and log sink of the fuzz targets (see fuzz_support.h).
// State: s_block, the one arena block, created at the first input and reused.
// Inputs run on the thread that created it.
#include "fuzz/fuzz_support.h"

#include "base/arena.h"
#include "base/log.h"
#include "params/location.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sanitizer/asan_interface.h>

namespace {

Arena s_block = {nullptr, nullptr, 0, 0, 0};

void drop_message(const char* text, void*)
{
    // What a sink that prints would ask for: the text and where it points.
    SourceLocation where = diagnostic_location();
    volatile size_t keep = std::strlen(text) + (where.file ? std::strlen(where.file) : 0);
    (void)keep;
}

} // namespace

FuzzArenaScope::FuzzArenaScope(int32_t capacity)
{
    // The block is made once as the process-wide arena, so that this thread
    // becomes its owner (operator new serves no other thread from it), and
    // kept aside between inputs.
    if (!s_block.base) {
        if (!arena_create(DEMO_ARENA_SIZE)) {
            std::fprintf(stderr, "fuzz: cannot create the arena\n");
            std::abort();
        }
        s_block = g_arena;
    }
    g_arena = s_block;
    if (capacity > 0 && capacity < s_block.capacity) {
        g_arena.capacity = capacity;
        g_arena.remaining = capacity;
    }
}

FuzzArenaScope::~FuzzArenaScope()
{
    // Hand the used part back zero-filled and poisoned, as a new arena has it.
    size_t used = static_cast<size_t>(g_arena.used);
    ASAN_UNPOISON_MEMORY_REGION(s_block.base, used);
    std::memset(s_block.base, 0, used);
    ASAN_POISON_MEMORY_REGION(s_block.base, used);
    g_arena = Arena{nullptr, nullptr, 0, 0, 0};
}

// Every target's initialisation: the log sink.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    diag_set_sink(drop_message, nullptr);
    return 0;
}

uint8_t fuzz_touch_ends(const uint8_t* bytes, size_t count)
{
    if (count == 0)
        return 0;
    const volatile uint8_t* p = bytes;
    return static_cast<uint8_t>(p[0] + p[count - 1]);
}

void fuzz_fail(const char* what)
{
    std::fprintf(stderr, "fuzz: %s\n", what);
    std::abort();
}
