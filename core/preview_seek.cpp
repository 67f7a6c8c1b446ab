// Seek arithmetic of the authors' preview (see core/preview_seek.h).
#include "core/preview_seek.h"

#include <algorithm>

int32_t scene_index_at(const SceneRecord* timeline, int32_t ms)
{
    int32_t index = 0;
    while (timeline[index].routineCount != 0 && timeline[index + 1].routineCount != 0 &&
           timeline[index + 1].start <= ms)
        ++index;
    return index;
}

int32_t seek_target(const SceneRecord* timeline, int32_t ms, SeekKey key)
{
    if (timeline[0].routineCount == 0)
        return -1;
    int32_t last = 0;
    while (timeline[last + 1].routineCount != 0)
        ++last;
    const int32_t first = timeline[0].start;
    const int32_t end = std::max(first, timeline[last + 1].start - 1);
    const int32_t scene = scene_index_at(timeline, ms);
    int64_t target = ms;
    switch (key) {
    case SeekKey::Back: target = int64_t{ms} - SEEK_STEP_MS; break;
    case SeekKey::Forward: target = int64_t{ms} + SEEK_STEP_MS; break;
    case SeekKey::PreviousScene: target = timeline[std::max(scene - 1, 0)].start; break;
    case SeekKey::NextScene: target = scene < last ? timeline[scene + 1].start : end; break;
    case SeekKey::Beginning: target = 0; break;
    }
    return static_cast<int32_t>(std::clamp<int64_t>(target, 0, end));
}
