// Embedded files: everything under assets/data/ is linked into the programs.
// Each file's bytes are followed by its length as a 32-bit little-endian word,
// except the soundtrack (".mp3"), whose blob is that length word followed by
// the stream. Every file is reachable as (pointer, length) by its file name.
#pragma once
#include <cstddef>
#include <cstdint>

struct EmbeddedFile {
    const char* name;    // file name under assets/data/, e.g. "lamps_scene.jpg"
    const uint8_t* data; // first byte of the file (of the stream, for ".mp3")
    uint32_t length;     // read from the length word beside the data
};

// All embedded files, in name order.
const EmbeddedFile* embedded_files(size_t* count);
// The file of that name, or null.
const EmbeddedFile* embedded_find(const char* name);
