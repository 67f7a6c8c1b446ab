// MemoryReader: bounded sequential copies out of a memory block.
// No state of its own; depends on the C library only.
#include "assets/reader.h"

#include <cstring>

void ReadBytes(MemoryReader* reader, void* destination, uint32_t count)
{
    if (!reader || !destination || !reader->data)
        return;
    // The position is kept as a signed 32-bit value; treat it as an unsigned
    // byte offset so a corrupt negative position can never index backwards.
    uint32_t position = static_cast<uint32_t>(reader->position);
    if (reader->length != LENGTH_UNKNOWN) {
        uint64_t end = static_cast<uint64_t>(position) + count;
        if (reader->position < 0 || end > reader->length) {
            reader->failed = true;
            return;
        }
    }
    if (count)
        std::memcpy(destination, reader->data + position, count);
    reader->position = static_cast<int32_t>(position + count);
}
