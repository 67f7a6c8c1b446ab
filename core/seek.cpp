// Seeks through a table of saved states (see seek.h).
#include "core/seek.h"

#include "core/demo_state.h"
#include "script/timeline.h"

#include <algorithm>
#include <cstdlib>

namespace {

// The music position of the frame being stepped: frame_skip reads the music
// through a plain function, so the position is handed over here.
int32_t s_virtual_ms = 0;

int32_t virtual_music()
{
    return s_virtual_ms;
}

uint8_t* slot(const SeekTable& table, int32_t index)
{
    return table.slots + static_cast<size_t>(index) * table.slotSize;
}

// Steps frame `frame` without drawing; false when the demo has ended.
bool step(SeekTable& table, FrameLoop& loop, int64_t frame)
{
    s_virtual_ms = virtual_music_ms(frame, table.fps);
    if (frame_skip(loop, virtual_frame_time(frame, table.fps), &virtual_music) == FrameResult::Drawn)
        return true;
    table.endFrame = frame;
    return false;
}

// Saves the state before `frame` when it starts the next slot to fill.
void save_if_next_slot(SeekTable& table, const FrameLoop& loop, int64_t frame)
{
    if (frame % table.interval == 0 && frame / table.interval == table.filled && table.filled < table.capacity) {
        demo_state_save(loop, slot(table, table.filled));
        ++table.filled;
    }
}

// The demo's length in frames: up to the terminator's start.
int64_t demo_frames(int32_t fps)
{
    if (!g_timeline)
        return 1;
    int32_t i = 0;
    while (g_timeline[i].routineCount != 0)
        ++i;
    return first_frame_at(g_timeline[i].start, fps) + 1;
}

} // namespace

bool seek_table_create(SeekTable& table, const FrameLoop& loop, int32_t fps)
{
    SeekTable made;
    made.fps = fps;
    const int64_t frames = demo_frames(fps);
    made.interval = std::max<int64_t>(int64_t{SEEK_SLOT_SECONDS} * fps, (frames + SEEK_MAX_SLOTS - 1) / SEEK_MAX_SLOTS);
    made.capacity = static_cast<int32_t>(frames / made.interval + 1);
    made.slotSize = demo_state_size();
    made.slots = static_cast<uint8_t*>(std::malloc(made.slotSize * static_cast<size_t>(made.capacity)));
    made.aside = static_cast<uint8_t*>(std::malloc(made.slotSize));
    made.filler = static_cast<uint8_t*>(std::malloc(made.slotSize));
    if (!made.slots || !made.aside || !made.filler) {
        seek_table_free(made);
        return false;
    }
    demo_state_save(loop, made.slots);
    made.filled = 1;
    seek_table_free(table);
    table = made;
    return true;
}

void seek_table_free(SeekTable& table)
{
    std::free(table.slots);
    std::free(table.aside);
    std::free(table.filler);
    table = SeekTable{};
}

bool seek_table_seek(SeekTable& table, FrameLoop& loop, int64_t target)
{
    target = std::max<int64_t>(target, 0);
    const auto nearest = static_cast<int32_t>(std::min<int64_t>(target / table.interval, table.filled - 1));
    demo_state_restore(loop, slot(table, nearest));
    for (int64_t frame = nearest * table.interval; frame < target; ++frame) {
        save_if_next_slot(table, loop, frame);
        if (!step(table, loop, frame))
            return false;
    }
    save_if_next_slot(table, loop, target);
    return table.endFrame < 0 || target < table.endFrame;
}

bool seek_table_fill(SeekTable& table, FrameLoop& loop, int32_t frames)
{
    auto more = [&] { return table.filled < table.capacity && table.endFrame < 0; };
    if (!more())
        return false;
    demo_state_save(loop, table.aside);
    // The filler goes on from where it stopped, unless a seek has filled
    // slots beyond it in the meantime.
    const int64_t lastSlotFrame = (table.filled - 1) * table.interval;
    int64_t frame = table.fillerFrame;
    if (frame > lastSlotFrame) {
        demo_state_restore(loop, table.filler);
    } else {
        demo_state_restore(loop, slot(table, table.filled - 1));
        frame = lastSlotFrame;
    }
    for (int32_t i = 0; i < frames && more(); ++i, ++frame) {
        save_if_next_slot(table, loop, frame);
        if (!more() || !step(table, loop, frame))
            break;
    }
    table.fillerFrame = frame;
    demo_state_save(loop, table.filler);
    demo_state_restore(loop, table.aside);
    return more();
}

size_t seek_table_bytes(const SeekTable& table)
{
    return table.slotSize * (static_cast<size_t>(table.capacity) + 2);
}
