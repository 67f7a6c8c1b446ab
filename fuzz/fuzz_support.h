// Shared pieces of the fuzz targets.
//
// The arena: the project's own code allocates through the global operator new
// of base/arena_new.cpp, which the targets link as the programs do, so every
// input meets the same allocator as in the player: zero-filled memory, nulls
// from the nothrow forms when a request does not fit, poisoned gaps between
// allocations. FuzzArenaScope gives each input a fresh, empty arena of the
// player's size (or less) and takes it away again afterwards, so inputs
// cannot see each other's objects and memory does not grow over millions of
// runs. Outside the scope operator new serves from the C heap, which keeps
// libFuzzer's own allocations between inputs out of the arena.
//
// The diagnostic log: LLVMFuzzerInitialize, defined here for every target,
// attaches a sink that formats every message and drops it, so the
// formatting of names taken from the input is exercised too.
#pragma once
#include "base/arena.h"

#include <cstddef>
#include <cstdint>

class FuzzArenaScope {
public:
    // `capacity`: the bytes this input may use, at most the player's arena.
    explicit FuzzArenaScope(int32_t capacity = DEMO_ARENA_SIZE);
    ~FuzzArenaScope();
    FuzzArenaScope(const FuzzArenaScope&) = delete;
    FuzzArenaScope& operator=(const FuzzArenaScope&) = delete;
};

// Reads the first and the last of `count` bytes, so AddressSanitizer checks
// that an array said to be that long is: the arena poisons what follows the
// latest allocation. Returns a value to be kept.
uint8_t fuzz_touch_ends(const uint8_t* bytes, size_t count);

// Stops the run as a finding: a promise of the code under test was broken.
[[noreturn]] void fuzz_fail(const char* what);
