// Noting the arena's use frame by frame (see arena_watch.h).
#include "core/arena_watch.h"

#include "base/arena.h"

#include <cstdio>
#include <cstdlib>

void arena_watch_frame(ArenaWatch& watch)
{
    if (watch.frames == 0 && watch.last < 0 && std::getenv("VIGIL_ARENA_REPORT"))
        std::fprintf(stderr, "%s: arena use noted from the first frame\n", watch.program);
    if (watch.last >= 0) {
        ++watch.frames;
        if (g_arena.used != watch.last)
            ++watch.changed;
    }
    watch.last = g_arena.used;
}

void arena_watch_restart(ArenaWatch& watch)
{
    watch.last = -1;
}

void arena_watch_report(const ArenaWatch& watch)
{
    if (!std::getenv("VIGIL_ARENA_REPORT"))
        return;
    std::fprintf(stderr, "%s: arena use changed in %lld of %lld frames; %d bytes in use\n", watch.program,
                 static_cast<long long>(watch.changed), static_cast<long long>(watch.frames), g_arena.used);
}
