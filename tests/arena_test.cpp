// Arena: rounding, exhaustion, zero fill, no reuse, operator new served from it; the heap path's refusals.
#include "base/arena.h"
#include "base/heap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <latch>
#include <new>
#include <thread>
#include <vector>

namespace {

struct LocalArena {
    Arena arena{};
    explicit LocalArena(int32_t size) { EXPECT_TRUE(arena_create(arena, size)); }
    ~LocalArena() { arena_release(arena); }
};

// What a request of 1..16 bytes costs: one unit plus the sanitizer build's gap.
constexpr int32_t STEP = 16 + ARENA_REDZONE;

// The process-wide arena's block; addresses kept as integers, only compared.
struct Block {
    uintptr_t base = reinterpret_cast<uintptr_t>(g_arena.base);
    uintptr_t end = base + static_cast<uintptr_t>(g_arena.capacity);
    bool holds(uintptr_t address) const { return address >= base && address < end; }
    bool holds(const void* p) const { return holds(reinterpret_cast<uintptr_t>(p)); }
};

} // namespace

// A wrong rounding shifts every later pointer; zero requests, alignment, zero fill, no reuse.
TEST(Arena, RoundsToTheUnitHandsOutZeroedMemoryOnceAndAligns)
{
    ASSERT_EQ(ARENA_UNIT, 16);
    LocalArena a(1 << 16);
    char* start = a.arena.cursor;
    char* p[6];
    for (int i = 0; const size_t n : {0, 0, 1, 16, 17, 1})
        p[i++] = static_cast<char*>(arena_alloc(a.arena, n));
    // A zero request costs a unit like a request of 1: each result is its own, and so is the next request's.
    EXPECT_TRUE(p[0] == start && p[1] - p[0] == STEP && p[2] - p[1] == STEP) << "zero requests share an address";
    EXPECT_TRUE(p[3] - p[2] == STEP && p[4] - p[3] == STEP && p[5] - p[4] == STEP + 16);
    EXPECT_TRUE(a.arena.used == a.arena.cursor - a.arena.base && a.arena.used + a.arena.remaining == a.arena.capacity);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(arena_alloc_aligned(a.arena, 10, 256)) % 256, 0u);

    for (unsigned char *q = nullptr, *previous = nullptr; a.arena.used < 4096; previous = q) {
        q = static_cast<unsigned char*>(arena_alloc(a.arena, 37));
        ASSERT_TRUE(q && (!previous || q - previous >= 37) && std::count(q, q + 37, 0) == 37) << a.arena.used;
        std::memset(q, 0xAB, 37);
    }
}

// Failed requests (also sizes that wrap in 32 bits) change nothing; bad sizes are refused at creation.
TEST(Arena, ExhaustionAndRefusalsChangeNothing)
{
    LocalArena a(256);
    ASSERT_NE(arena_alloc(a.arena, 100), nullptr);
    Arena before = a.arena;
    for (size_t n : {size_t{1000}, SIZE_MAX, SIZE_MAX - 7, size_t{1} << 32})
        EXPECT_EQ(arena_alloc(a.arena, n), nullptr) << n;
    EXPECT_TRUE(a.arena.cursor == before.cursor && a.arena.remaining == before.remaining &&
                a.arena.used == before.used);
    ASSERT_NE(arena_alloc(a.arena, static_cast<size_t>(a.arena.remaining - ARENA_REDZONE)), nullptr);
    EXPECT_TRUE(a.arena.remaining == 0 && arena_alloc(a.arena, 1) == nullptr && a.arena.used == 256);

    Arena arena{};
    EXPECT_FALSE(arena_create(arena, 0) || arena_create(arena, -5) || arena_alloc(arena, 4));
    ASSERT_TRUE(arena_create(arena, 64) && arena.remaining == 64);
    EXPECT_TRUE(arena_release(arena));
    EXPECT_TRUE(!arena.cursor && !arena.remaining && !arena.capacity && !arena.used && !arena_active(arena));
}

// A rewind gives back exactly what came after the mark, zero-filled, and the same addresses are handed out
// again; a stale mark from above the current use changes nothing.
TEST(Arena, RewindGivesBackWhatCameAfterTheMarkZeroFilled)
{
    LocalArena a(1 << 16);
    auto* kept = static_cast<unsigned char*>(arena_alloc(a.arena, 40));
    std::memset(kept, 0x11, 40);
    ArenaMark mark = arena_mark(a.arena);
    Arena atMark = a.arena;
    auto* thrown = static_cast<unsigned char*>(arena_alloc(a.arena, 5000));
    std::memset(thrown, 0xCD, 5000);
    ArenaMark above = arena_mark(a.arena);

    arena_rewind(a.arena, mark);
    EXPECT_TRUE(a.arena.cursor == atMark.cursor && a.arena.used == atMark.used &&
                a.arena.remaining == atMark.remaining);
    EXPECT_EQ(std::count(kept, kept + 40, 0x11), 40) << "bytes below the mark were touched";
    auto* again = static_cast<unsigned char*>(arena_alloc(a.arena, 5000));
    EXPECT_EQ(again, thrown);
    EXPECT_EQ(std::count(again, again + 5000, 0), 5000) << "a rewound byte kept its old value";

    arena_rewind(a.arena, mark);
    Arena before = a.arena;
    arena_rewind(a.arena, above); // taken before the rewind: now above the use
    EXPECT_TRUE(a.arena.cursor == before.cursor && a.arena.used == before.used);
}

// Every form of operator new is served from the arena, delete gives nothing back for reuse. No test-framework
// call between create and release: what it allocated then would vanish with the block.
TEST(Arena, GlobalOperatorNewUsesTheProcessArena)
{
    ASSERT_FALSE(arena_active(g_arena));
    ASSERT_TRUE(arena_create(1 << 20));
    const Block block;
    int* first = new int[8];
    first[3] = 7;
    auto firstAddress = reinterpret_cast<uintptr_t>(first);
    delete[] first;
    int* second = new int[8];
    int second3 = second[3];
    auto* aligned = new (std::align_val_t{128}) char[5];
    auto* nothrowHuge = new (std::nothrow) char[2 << 20];
    auto* plain = new double(1.5);
    char* zero[3] = {new char[0], new char[0], new char[16]};

    arena_release();

    EXPECT_TRUE(block.holds(firstAddress) && block.holds(second) && block.holds(aligned) && block.holds(plain));
    EXPECT_TRUE(block.holds(zero[0]) && zero[1] != zero[0] && zero[2] != zero[1] && zero[2] != zero[0])
        << "zero-byte new and the next one share an address";
    EXPECT_NE(firstAddress, reinterpret_cast<uintptr_t>(second)) << "deleted memory was handed out again";
    EXPECT_EQ(second3, 0) << "fresh memory must read as zero";
    EXPECT_EQ(reinterpret_cast<uintptr_t>(aligned) % 128, 0u);
    EXPECT_EQ(nothrowHuge, nullptr) << "nothrow new must report exhaustion with null";

    // After the release, allocation falls back to the C heap, zero-filled.
    auto* later = new int[4];
    EXPECT_EQ(later[2], 0);
}

// The arena has no lock: another thread gets the C heap, leaves the bump pointer alone, may delete arena memory.
TEST(Arena, OtherThreadsAreServedFromTheHeap)
{
    constexpr int COUNT = 2000;
    static uintptr_t s_main[COUNT], s_other[COUNT];
    std::latch start{2};
    ASSERT_FALSE(arena_active(g_arena));
    ASSERT_TRUE(arena_create(1 << 20));
    const Block block;
    int* handedOver = new int(5);
    std::thread other([&] {
        start.arrive_and_wait();
        for (int i = 0; i < COUNT; ++i) {
            int* p = new int[4];
            s_other[i] = reinterpret_cast<uintptr_t>(p);
            delete[] p;
        }
        delete handedOver; // arena memory: must not reach free()
    });
    start.arrive_and_wait();
    char* cursorBefore = g_arena.cursor;
    for (int i = 0; i < COUNT; ++i)
        s_main[i] = reinterpret_cast<uintptr_t>(new int[4]);
    other.join();
    const char* cursorAfter = g_arena.cursor;
    arena_release();

    auto inside = [&](uintptr_t address) { return block.holds(address); };
    EXPECT_TRUE(std::none_of(s_other, s_other + COUNT, inside)) << "the second thread was served from the arena";
    EXPECT_TRUE(std::all_of(s_main, s_main + COUNT, inside));
    EXPECT_EQ(cursorAfter - cursorBefore, COUNT * STEP) << "only the owner moves the bump pointer";
}

// Filled to its last unit, the arena serves a zero-byte new[] from that unit, which leaves it exactly full; the
// delete[] of that allocation is the arena's (a no-op), not free()'s.
TEST(Arena, AZeroByteNewTakesTheLastUnitAndItsDeleteStaysInTheArena)
{
    ASSERT_FALSE(arena_active(g_arena));
    ASSERT_TRUE(arena_create(1 << 16));
    const Block block;
    // A request of k bytes, a multiple of the unit, costs k plus the gap.
    char* filler = new char[static_cast<size_t>(g_arena.remaining - STEP - ARENA_REDZONE)];
    int32_t leftBefore = g_arena.remaining;
    char* last = new char[0];
    int32_t leftAfter = g_arena.remaining;
    delete[] last; // reaching free() here aborts the test
    arena_release();

    EXPECT_EQ(leftBefore, STEP);
    EXPECT_EQ(leftAfter, 0) << "a zero-byte new must take a unit";
    EXPECT_TRUE(block.holds(filler) && block.holds(last) && last > filler);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(last), block.end - STEP) << "the last unit";
}

// A rewind lowers the arena's use, but what was handed out above the mark is still arena memory: deleting it
// later must not reach free().
TEST(Arena, DeletingWhatARewindGaveBackStaysInTheArena)
{
    ASSERT_FALSE(arena_active(g_arena));
    ASSERT_TRUE(arena_create(1 << 16));
    const Block block;
    ArenaMark mark = arena_mark();
    int* above = new int[64];
    arena_rewind(mark);
    delete[] above; // reaching free() here aborts the test
    arena_release();
    EXPECT_TRUE(block.holds(above));
}

// Sizes whose rounding to the alignment would wrap to a small number are refused on the heap path and the arena
// path: the plain forms throw std::bad_alloc, the nothrow forms give null, the heap never hands out a small block.
TEST(Arena, SizesTheAlignmentWouldWrapAreRefused)
{
    // volatile: sizes the compiler cannot see, so it neither warns nor folds the calls away.
    volatile size_t huge = SIZE_MAX - 8;
    for (size_t n : {SIZE_MAX - 8, SIZE_MAX - 63, SIZE_MAX})
        EXPECT_EQ(platform_heap_alloc(n, 64), nullptr) << SIZE_MAX - n;
    EXPECT_THROW(operator delete(operator new(huge, std::align_val_t{64}), std::align_val_t{64}), std::bad_alloc);
    EXPECT_THROW(operator delete[](operator new[](huge, std::align_val_t{4096}), std::align_val_t{4096}),
                 std::bad_alloc);
    EXPECT_THROW(operator delete(operator new(huge)), std::bad_alloc);
    EXPECT_EQ(operator new(huge, std::align_val_t{64}, std::nothrow), nullptr);
    EXPECT_EQ(operator new[](huge, std::align_val_t{64}, std::nothrow), nullptr);
    EXPECT_EQ(operator new(huge, std::nothrow), nullptr);

    ASSERT_FALSE(arena_active(g_arena));
    ASSERT_TRUE(arena_create(1 << 16));
    int32_t usedBefore = g_arena.used;
    bool threw = false;
    try {
        operator delete(operator new(huge, std::align_val_t{64}), std::align_val_t{64});
    } catch (const std::bad_alloc&) {
        threw = true;
    }
    void* nothrow = operator new[](huge, std::align_val_t{64}, std::nothrow);
    int32_t usedAfter = g_arena.used;
    arena_release();
    EXPECT_TRUE(threw) << "the arena's plain aligned form";
    EXPECT_EQ(nothrow, nullptr) << "the arena's nothrow aligned form";
    EXPECT_EQ(usedAfter, usedBefore);
}

// Libraries must reach the program's operator new/delete, but no other copy of a standard-library member.
TEST(Arena, TheProgramExportsItsOperatorNewAndDeleteAndNothingElseOfTheLibrary)
{
    Dl_info program{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&arena_active), &program), 0);
    auto defined_in_program = [&](const char* symbol) {
        void* address = dlsym(RTLD_DEFAULT, symbol);
        Dl_info info{};
        return address && dladdr(address, &info) && info.dli_fbase == program.dli_fbase;
    };
    for (const char* symbol : {"_Znwm", "_Znam", "_ZnwmSt11align_val_t", "_ZnwmRKSt9nothrow_t", "_ZdlPv",
                               "_ZdlPvm", "_ZdaPv", "_ZdlPvSt11align_val_t"})
        EXPECT_TRUE(defined_in_program(symbol)) << symbol;
    // Used by the tests' own strings, so the program has a copy of it.
    EXPECT_FALSE(defined_in_program("_ZNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEE9_M_mutateEmmPKcm"));
}

// Exhaustion through the plain forms stops with a message instead of writing through null.
TEST(ArenaDeathTest, ContainerGrowthPastTheArenaStopsWithAMessage)
{
    EXPECT_EXIT(
        {
            arena_create(1 << 16);
            std::vector<int> grow;
            for (int i = 0; i < 1 << 20; ++i)
                grow.push_back(i);
        },
        testing::ExitedWithCode(1), "vigil: out of memory: a request of [0-9]+ bytes does not fit in the arena");
}

// On the exactly full arena a zero-byte request does not fit either: nothrow new gives null (the block's end is no
// allocation: its delete[] would reach free(), which aborts), and plain new stops with the out-of-memory message.
TEST(ArenaDeathTest, AZeroByteNewOnTheFullArenaIsRefusedNotItsEnd)
{
    EXPECT_EXIT(
        {
            arena_create(1 << 16);
            // Kept in a volatile: an unused new-expression may be left out.
            char* volatile filler = new char[static_cast<size_t>(g_arena.remaining - ARENA_REDZONE)];
            (void)filler;
            char* beyond = new (std::nothrow) char[0];
            delete[] beyond;
            if (g_arena.remaining != 0 || beyond) {
                std::fprintf(stderr, "%d bytes left, nothrow new[0] gave %p\n", g_arena.remaining,
                             static_cast<void*>(beyond));
                std::_Exit(3);
            }
            char* volatile plain = new char[0];
            delete[] plain;
            std::_Exit(0);
        },
        testing::ExitedWithCode(1), "vigil: out of memory: a request of 0 bytes does not fit in the arena");
}

#if defined(__SANITIZE_ADDRESS__)
// An overrun into the poisoned gap is caught as on the heap.
TEST(ArenaDeathTest, OverrunIntoTheGapIsReported)
{
    EXPECT_DEATH(
        {
            Arena arena{};
            arena_create(arena, 1024);
            char* p = static_cast<char*>(arena_alloc(arena, 16));
            volatile char* q = p;
            q[16] = 1;
        },
        "use-after-poison");
}
#endif
