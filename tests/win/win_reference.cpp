// vigil-win-reference OUTDIR: writes what the Linux decoders make of the
// embedded pictures and the soundtrack (see tests/win/reference.h), for the
// Windows test program to compare its system decoders with.
#include "assets/content_names.h"
#include "assets/embedded.h"
#include "assets/image.h"
#include "platform/fsound.h"
#include "tests/win/reference.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

bool write_file(const std::string& path, const void* header, size_t headerBytes, const void* data, size_t bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(header, 1, headerBytes, file) == headerBytes && std::fwrite(data, 1, bytes, file) == bytes;
    return std::fclose(file) == 0 && ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vigil-win-reference OUTDIR\n");
        return 2;
    }
    std::string dir = argv[1];
    size_t count = 0;
    const EmbeddedFile* files = embedded_files(&count);
    for (size_t i = 0; i < count; ++i) {
        if (!is_picture_name(files[i].name))
            continue;
        int32_t size[2] = {0, 0};
        uint8_t* pixels = DecodeImage(files[i].data, files[i].length, &size[0], &size[1]);
        if (!pixels || !write_file(dir + "/" + files[i].name + ".rgba", size, sizeof size, pixels,
                                   static_cast<size_t>(size[0]) * size[1] * 4)) {
            std::fprintf(stderr, "vigil-win-reference: %s: %s\n", files[i].name, image_decode_failure());
            return 1;
        }
    }
    const EmbeddedFile* mp3 = embedded_find(content::SOUNDTRACK);
    FSOUND_STREAM* stream = mp3 ? FSOUND_Stream_Open(reinterpret_cast<const char*>(mp3->data),
                                                     FSOUND_LOADMEMORY | FSOUND_LOOP_OFF, 0,
                                                     static_cast<int>(mp3->length))
                                : nullptr;
    int64_t frames = 0;
    const int16_t* pcm = fsound_stream_pcm(stream, &frames);
    if (!pcm || !write_file(dir + "/soundtrack.pcm", "", 0, pcm, static_cast<size_t>(frames) * 4)) {
        std::fprintf(stderr, "vigil-win-reference: the soundtrack cannot be decoded or written\n");
        return 1;
    }
    return 0;
}
