// Saving and restoring the demo's state between frames (see demo_state.h).
#include "core/demo_state.h"

#include "base/random.h"
#include "script/timeline.h"

#include <cstring>

namespace {

RoutineStateBlock s_routines;

// What is saved beside the routines' block and the scene clocks.
struct StepState {
    FrameLoop loop;
    int32_t currentScene;
    uint32_t random;
};

struct SceneClocks {
    double elapsed;
    double transitionElapsed;
};

// Records of the timeline, the terminator included; 0 without a timeline.
size_t record_count()
{
    if (!g_timeline)
        return 0;
    size_t n = 0;
    while (g_timeline[n].routineCount != 0)
        ++n;
    return n + 1;
}

} // namespace

void demo_state_attach_routines(const RoutineStateBlock& block)
{
    s_routines = block;
}

size_t demo_state_size()
{
    return sizeof(StepState) + s_routines.size + record_count() * sizeof(SceneClocks);
}

void demo_state_save(const FrameLoop& loop, uint8_t* into)
{
    StepState step{loop, g_current_scene, demo_rand_state()};
    std::memcpy(into, &step, sizeof step);
    into += sizeof step;
    if (s_routines.size)
        std::memcpy(into, s_routines.data, s_routines.size);
    into += s_routines.size;
    const size_t records = record_count();
    for (size_t i = 0; i < records; ++i) {
        SceneClocks clocks{g_timeline[i].elapsed, g_timeline[i].transitionElapsed};
        std::memcpy(into + i * sizeof clocks, &clocks, sizeof clocks);
    }
}

void demo_state_restore(FrameLoop& loop, const uint8_t* from)
{
    StepState step;
    std::memcpy(&step, from, sizeof step);
    loop = step.loop;
    g_current_scene = step.currentScene;
    demo_rand_set_state(step.random);
    from += sizeof step;
    if (s_routines.size)
        std::memcpy(s_routines.data, from, s_routines.size);
    from += s_routines.size;
    const size_t records = record_count();
    for (size_t i = 0; i < records; ++i) {
        SceneClocks clocks;
        std::memcpy(&clocks, from + i * sizeof clocks, sizeof clocks);
        g_timeline[i].elapsed = clocks.elapsed;
        g_timeline[i].transitionElapsed = clocks.transitionElapsed;
    }
}

size_t demo_routines_size()
{
    return sizeof(uint32_t) + s_routines.size;
}

void demo_routines_save(uint8_t* into)
{
    const uint32_t random = demo_rand_state();
    std::memcpy(into, &random, sizeof random);
    if (s_routines.size)
        std::memcpy(into + sizeof random, s_routines.data, s_routines.size);
}

void demo_routines_restore(const uint8_t* from)
{
    uint32_t random;
    std::memcpy(&random, from, sizeof random);
    demo_rand_set_state(random);
    if (s_routines.size)
        std::memcpy(s_routines.data, from + sizeof random, s_routines.size);
}

void demo_state_reset()
{
    if (s_routines.reset)
        s_routines.reset();
    demo_rand_set_state(DEMO_RAND_START);
}
