// MemoryReader: sequential reads over a block of memory, used by the TGA and
// model loaders. A reader may know its block's length; then no read passes
// the end: a read that would is refused, copies nothing and marks the reader
// as failed, so loaders can refuse truncated files instead of reading beyond
// them.
#pragma once
#include <cstdint>

// The block's length is not known: reads are trusted.
constexpr uint32_t LENGTH_UNKNOWN = 0xFFFFFFFFu;

struct MemoryReader {
    const uint8_t* data; // first byte of the block
    int32_t position;    // next byte to read
    uint32_t length;     // block length, or LENGTH_UNKNOWN
    bool failed;         // a read was refused for passing the end
};

inline MemoryReader make_reader(const void* data, uint32_t length = LENGTH_UNKNOWN)
{
    return MemoryReader{static_cast<const uint8_t*>(data), 0, length, false};
}

// Copies `count` bytes to `destination` and advances, when the reader, its
// block and the destination are non-null and the bytes lie within a known
// length; otherwise copies nothing and leaves the position.
void ReadBytes(MemoryReader* reader, void* destination, uint32_t count);
