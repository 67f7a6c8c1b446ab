// vigil-win-reference OUTDIR: writes what the Linux decoders make of the
// embedded pictures and the soundtrack (see tests/win/reference.h), for the
// Windows test program to compare its system decoders with; and a
// variable-bit-rate MP3 encoded here with libmp3lame, with its decode.
#include "assets/content_names.h"
#include "assets/embedded.h"
#include "assets/image.h"
#include "platform/fsound.h"
#include "tests/win/reference.h"
#include "tools/common/mp3_writer.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Four seconds of stereo at 44100 Hz, the same every run: a loud noise burst
// for the first 0.3 s, then a soft two-note chord with a plucked note every
// half second. The burst makes the first frames the largest of the stream,
// so its first frame's bit rate (which the Windows codec is told) is far
// above its average: a decoder sizing its output by it holds back most of
// the stream until the end.
std::vector<int16_t> vbr_test_signal()
{
    constexpr int32_t RATE = 44100;
    constexpr int32_t FRAMES = 4 * RATE;
    constexpr double PI = 3.14159265358979323846;
    std::vector<int16_t> pcm(2 * FRAMES);
    uint32_t noise = 1;
    for (int32_t i = 0; i < FRAMES; ++i) {
        double t = double(i) / RATE;
        double left = 0, right = 0;
        if (t < 0.3) {
            noise = noise * 1664525u + 1013904223u;
            left = (int32_t(noise >> 16) - 32768) * 0.6;
            noise = noise * 1664525u + 1013904223u;
            right = (int32_t(noise >> 16) - 32768) * 0.6;
        } else {
            double chord = 2500 * (std::sin(2 * PI * 220 * t) + std::sin(2 * PI * 277.18 * t));
            double since = std::fmod(t - 0.3, 0.5);
            double pluck = 6000 * std::exp(-since * 12) * std::sin(2 * PI * 880 * since);
            left = chord + pluck;
            right = chord - pluck * 0.5;
        }
        pcm[2 * i] = int16_t(std::lround(left));
        pcm[2 * i + 1] = int16_t(std::lround(right));
    }
    return pcm;
}

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
    FSOUND_Stream_Close(stream);

    std::vector<int16_t> signal = vbr_test_signal();
    Mp3Options options;
    options.vbrLevel = 4;
    std::vector<uint8_t> vbr;
    FSOUND_STREAM* vbrStream = nullptr;
    if (encode_mp3(signal.data(), static_cast<int64_t>(signal.size() / 2), options, &vbr))
        vbrStream = FSOUND_Stream_Open(reinterpret_cast<const char*>(vbr.data()), FSOUND_LOADMEMORY | FSOUND_LOOP_OFF,
                                       0, static_cast<int>(vbr.size()));
    pcm = fsound_stream_pcm(vbrStream, &frames);
    if (!pcm || !write_file(dir + "/" + VBR_MP3, "", 0, vbr.data(), vbr.size()) ||
        !write_file(dir + "/" + VBR_PCM, "", 0, pcm, static_cast<size_t>(frames) * 4)) {
        std::fprintf(stderr, "vigil-win-reference: the variable-bit-rate stream cannot be made, decoded or written\n");
        return 1;
    }
    FSOUND_Stream_Close(vbrStream);
    return 0;
}
