// ffmpeg pipe and the WAV file of the soundtrack span.
#include "tools/capture/video.h"

#include "tools/capture/capture.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int RATE = 44100;

void put16(std::ofstream& out, uint16_t v)
{
    char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    out.write(b, 2);
}

void put32(std::ofstream& out, uint32_t v)
{
    char b[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF), static_cast<char>((v >> 16) & 0xFF),
                 static_cast<char>(v >> 24)};
    out.write(b, 4);
}

// Writes `frames` stereo frames of the soundtrack from `first` on, padding
// with silence past its end.
bool write_wav(const std::string& path, const int16_t* pcm, int64_t available, int64_t first, int64_t frames)
{
    std::ofstream out(path, std::ios::binary);
    uint32_t bytes = static_cast<uint32_t>(frames * 4);
    out.write("RIFF", 4);
    put32(out, 36 + bytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1);
    put16(out, 2);
    put32(out, RATE);
    put32(out, RATE * 4);
    put16(out, 4);
    put16(out, 16);
    out.write("data", 4);
    put32(out, bytes);
    std::vector<int16_t> chunk;
    for (int64_t f = 0; f < frames; f += 65536) {
        int64_t n = std::min<int64_t>(65536, frames - f);
        chunk.assign(static_cast<size_t>(n) * 2, 0);
        for (int64_t k = 0; k < n; ++k) {
            int64_t source = first + f + k;
            if (source >= 0 && source < available) {
                chunk[k * 2] = pcm[source * 2];
                chunk[k * 2 + 1] = pcm[source * 2 + 1];
            }
        }
        out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(chunk.size() * 2));
    }
    return static_cast<bool>(out);
}

std::string quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

} // namespace

VideoWriter::~VideoWriter()
{
    if (ffmpeg)
        close();
}

bool VideoWriter::open(const std::string& file, int width, int height, int fps, double startSeconds, double seconds)
{
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) {
        std::fputs("vigil-capture: --video needs the ffmpeg program, which is not installed "
                   "(scripts/setup installs it)\n",
                   stderr);
        return false;
    }
    int64_t available = 0;
    const int16_t* pcm = soundtrack_pcm(&available);
    if (!pcm)
        std::fputs("vigil-capture: no soundtrack to put in the video; its audio track is silent\n", stderr);
    char pattern[] = "/tmp/vigil-capture-XXXXXX.wav";
    int fd = mkstemps(pattern, 4);
    if (fd < 0) {
        std::fprintf(stderr, "vigil-capture: cannot make a temporary audio file: %s\n", std::strerror(errno));
        return false;
    }
    ::close(fd);
    audioFile = pattern;
    // The audio span matches the frames to the sample: frame i shows T = i / fps.
    int64_t first = static_cast<int64_t>(std::llround(startSeconds * RATE));
    int64_t frames = static_cast<int64_t>(std::llround(seconds * RATE));
    if (!write_wav(audioFile, pcm, available, first, frames)) {
        std::fprintf(stderr, "vigil-capture: cannot write %s\n", audioFile.c_str());
        return false;
    }
    std::string command = "ffmpeg -hide_banner -loglevel error -y -f rawvideo -pixel_format rgb24 -video_size " +
                          std::to_string(width) + "x" + std::to_string(height) + " -framerate " + std::to_string(fps) +
                          " -i - -i " + quote(audioFile) +
                          " -map 0:v -map 1:a -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p"
                          " -c:a aac -b:a 192k -movflags +faststart " +
                          quote(file);
    ffmpeg = popen(command.c_str(), "w");
    if (!ffmpeg) {
        std::fprintf(stderr, "vigil-capture: cannot start ffmpeg: %s\n", std::strerror(errno));
        return false;
    }
    frameBytes = static_cast<size_t>(width) * height * 3;
    return true;
}

bool VideoWriter::write_frame(const uint8_t* rgb, size_t bytes)
{
    if (bytes != frameBytes || std::fwrite(rgb, 1, bytes, ffmpeg) != bytes) {
        std::fputs("vigil-capture: ffmpeg stopped taking frames\n", stderr);
        return false;
    }
    return true;
}

bool VideoWriter::close()
{
    int status = pclose(ffmpeg);
    ffmpeg = nullptr;
    std::error_code ignored;
    std::filesystem::remove(audioFile, ignored);
    if (status != 0) {
        std::fprintf(stderr, "vigil-capture: ffmpeg failed (status %d)\n",
                     WIFEXITED(status) ? WEXITSTATUS(status) : status);
        return false;
    }
    return true;
}
