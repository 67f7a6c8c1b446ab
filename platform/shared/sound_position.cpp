// Heard-position arithmetic; see the header for the model.
#include "platform/shared/sound_position.h"

#include <algorithm>

namespace {

// Frames that `ticks` counter counts span at `rate`, without overflow for any
// span a process can live through.
int64_t ticks_to_frames(int64_t ticks, int64_t frequency, int32_t rate)
{
    if (ticks <= 0 || frequency <= 0)
        return 0;
    int64_t seconds = ticks / frequency;
    int64_t rest = ticks % frequency;
    return seconds * rate + rest * rate / frequency;
}

} // namespace

int64_t heard_frames_device(const DeviceProgress& progress, int64_t now, int64_t frequency,
                            int32_t rate)
{
    if (progress.callbacks <= 0)
        return 0;
    int64_t since = ticks_to_frames(now - progress.lastCounter, frequency, rate);
    int64_t heard = progress.deviceFrames - progress.lastFrames + std::min(since, progress.lastFrames);
    return std::max<int64_t>(heard, 0);
}

int64_t heard_frames_clock(int64_t playCounter, int64_t now, int64_t frequency, int32_t rate)
{
    return ticks_to_frames(now - playCounter, frequency, rate);
}

int32_t frames_to_ms(int64_t frames, int32_t rate)
{
    if (frames <= 0 || rate <= 0)
        return 0;
    int64_t ms = frames / rate * 1000 + frames % rate * 1000 / rate;
    return static_cast<int32_t>(std::min<int64_t>(ms, INT32_MAX));
}
