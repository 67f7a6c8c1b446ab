// vigil-win-tests REFDIR (run under Wine): the Windows build's decoders
// against the Linux decoders' results in REFDIR (tests/win/reference.h).
// - Every embedded JPEG and GIF through the system's picture loader: same
//   size, and the same pixels within a tolerance (JPEG decoders round their
//   inverse transforms and chroma upsampling differently; GIF pixels are
//   exact).
// - The soundtrack, and a variable-bit-rate stream the Linux side encoded,
//   through the Audio Compression Manager: the same length as libmpg123's
//   gapless decode within 3 ms, and the same samples (so the same onsets)
//   within rounding.
// - operator new on the Windows heap refuses sizes its alignment would wrap.
// Prints one PASS or FAIL line per check and exits 1 after any failure.
#include "assets/embedded.h"
#include "assets/image.h"
#include "base/heap.h"
#include "platform/fsound.h"
#include "tests/win/reference.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

int s_failures = 0;

void check(bool ok, const char* what, const std::string& detail)
{
    std::printf("%s: %s (%s)\n", ok ? "PASS" : "FAIL", what, detail.c_str());
    if (!ok)
        ++s_failures;
}

std::vector<uint8_t> read_file(const std::string& path)
{
    std::vector<uint8_t> bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(file);
    return bytes;
}

// JPEG: the mean difference per channel stays below 1 level and almost no
// pixel is off by more than 24. GIF: exact.
void compare_picture(const std::string& dir, const EmbeddedFile& file)
{
    std::string name = file.name;
    std::vector<uint8_t> reference = read_file(dir + "/" + name + ".rgba");
    int32_t width = 0, height = 0;
    uint8_t* pixels = DecodeImage(file.data, file.length, &width, &height);
    if (reference.size() < 8 || !pixels) {
        check(false, name.c_str(), !pixels ? image_decode_failure() : "no reference");
        return;
    }
    int32_t refWidth = 0, refHeight = 0;
    std::memcpy(&refWidth, reference.data(), 4);
    std::memcpy(&refHeight, reference.data() + 4, 4);
    if (width != refWidth || height != refHeight ||
        reference.size() != 8 + static_cast<size_t>(width) * height * 4) {
        check(false, name.c_str(),
              std::to_string(width) + "x" + std::to_string(height) + ", Linux " + std::to_string(refWidth) + "x" +
                  std::to_string(refHeight));
        return;
    }
    const uint8_t* ref = reference.data() + 8;
    size_t count = static_cast<size_t>(width) * height;
    double sum = 0;
    int worst = 0;
    size_t far = 0;
    for (size_t i = 0; i < count * 4; ++i) {
        int d = std::abs(int(pixels[i]) - int(ref[i]));
        sum += d;
        worst = std::max(worst, d);
        if (d > 24)
            ++far;
    }
    double mean = sum / static_cast<double>(count * 3);
    bool jpeg = name.size() > 4 && name.compare(name.size() - 4, 4, ".jpg") == 0;
    bool ok = jpeg ? mean < 1.0 && far * 1000 < count : worst == 0;
    char detail[160];
    std::snprintf(detail, sizeof detail, "%dx%d, mean difference %.3f, largest %d, %zu values off by more than 24",
                  width, height, mean, worst, far);
    check(ok, name.c_str(), detail);
}

// One MP3 stream through the Audio Compression Manager against libmpg123's
// decode of it (`reference`, interleaved stereo 16-bit frames).
void compare_decode(const char* what, const uint8_t* mp3, size_t mp3Bytes, const std::vector<uint8_t>& reference)
{
    std::string name = what;
    FSOUND_STREAM* stream =
        mp3Bytes ? FSOUND_Stream_Open(reinterpret_cast<const char*>(mp3), FSOUND_LOADMEMORY | FSOUND_LOOP_OFF, 0,
                                      static_cast<int>(mp3Bytes))
                 : nullptr;
    int64_t frames = 0;
    const int16_t* pcm = fsound_stream_pcm(stream, &frames);
    if (!pcm || reference.empty()) {
        check(false, (name + " decodes through the ACM").c_str(), pcm ? "no reference" : "no stream");
        FSOUND_Stream_Close(stream);
        return;
    }
    const auto* ref = reinterpret_cast<const int16_t*>(reference.data());
    int64_t refFrames = static_cast<int64_t>(reference.size() / 4);
    char detail[160];
    std::snprintf(detail, sizeof detail, "%lld frames, libmpg123 %lld", static_cast<long long>(frames),
                  static_cast<long long>(refFrames));
    check(std::llabs(frames - refFrames) <= 3 * 44, (name + ": the ACM decode lasts as long as libmpg123's (3 ms)").c_str(),
          detail);

    // The samples themselves, aligned from the first: both decoders implement
    // the same standard, so what remains is rounding. Samples that agree to
    // 40 dB put every onset at the same millisecond; a shift of even one
    // frame of 1152 samples would not pass.
    int64_t n = std::min(frames, refFrames) * 2;
    double diff = 0, signal = 0;
    for (int64_t i = 0; i < n; ++i) {
        double d = double(pcm[i]) - ref[i];
        diff += d * d;
        signal += double(ref[i]) * ref[i];
    }
    double snr = 10 * std::log10(signal / std::max(diff, 1.0));
    std::snprintf(detail, sizeof detail, "signal to difference %.1f dB", snr);
    check(snr > 40, (name + ": the ACM decode matches libmpg123's samples").c_str(), detail);
    FSOUND_Stream_Close(stream);
}

// The embedded soundtrack (constant bit rate).
void compare_soundtrack(const std::string& dir)
{
    const EmbeddedFile* mp3 = embedded_find("soundtrack.mp3");
    compare_decode("the soundtrack", mp3 ? mp3->data : nullptr, mp3 ? mp3->length : 0,
                   read_file(dir + "/soundtrack.pcm"));
}

// A variable-bit-rate stream whose first frame is far larger than its
// average: the codec, sized by that first frame, holds output back, and all
// of it must come out by the end.
void compare_vbr(const std::string& dir)
{
    std::vector<uint8_t> mp3 = read_file(dir + "/" + VBR_MP3);
    compare_decode("the variable-bit-rate stream", mp3.data(), mp3.size(), read_file(dir + "/" + VBR_PCM));
}

// operator new on the Windows heap: a size whose rounding to the alignment
// would wrap is refused (a small block would be overrun by its zero fill).
void check_operator_new_refuses_wrapping_sizes()
{
    volatile size_t huge = SIZE_MAX - 8; // unknown to the compiler: no warning, no folding
    bool heapRefuses = platform_heap_alloc(huge, 64) == nullptr && platform_heap_alloc(huge, 16) == nullptr;
    bool threw = false;
    try {
        operator delete(operator new(huge, std::align_val_t{64}), std::align_val_t{64});
    } catch (const std::bad_alloc&) {
        threw = true;
    }
    bool nothrowNull = operator new[](huge, std::align_val_t{64}, std::nothrow) == nullptr &&
                       operator new(huge, std::nothrow) == nullptr;
    check(heapRefuses && threw && nothrowNull, "operator new refuses sizes its alignment would wrap",
          std::string(heapRefuses ? "" : "the heap gave a block; ") + (threw ? "" : "no std::bad_alloc; ") +
              (nothrowNull ? "nothrow forms give null" : "a nothrow form gave a block"));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vigil-win-tests REFDIR\n");
        return 2;
    }
    std::string dir = argv[1];
    size_t count = 0;
    const EmbeddedFile* files = embedded_files(&count);
    for (size_t i = 0; i < count; ++i)
        if (is_picture_name(files[i].name))
            compare_picture(dir, files[i]);
    compare_soundtrack(dir);
    compare_vbr(dir);
    check_operator_new_refuses_wrapping_sizes();
    std::printf("%d failed\n", s_failures);
    return s_failures == 0 ? 0 : 1;
}
