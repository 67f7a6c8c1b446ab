// ffmpeg's process, the pipe of frames into it and the nameless WAV file of
// the soundtrack span (see video.h).
#include "tools/capture/video.h"

#include "tools/capture/capture.h"
#include "tools/capture/interrupt.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int RATE = 44100;
// How long a wait on ffmpeg goes before it looks at the stop request again.
constexpr int WAIT_SLICE_MS = 100;

void put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

// Writes all of `bytes` to the file `fd`; false with errno set when a write
// fails, or with errno 0 when the capture was asked to stop.
bool write_all(int fd, const void* bytes, size_t length)
{
    const auto* p = static_cast<const uint8_t*>(bytes);
    while (length > 0) {
        if (capture_interrupted()) {
            errno = 0;
            return false;
        }
        ssize_t n = ::write(fd, p, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        p += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

// Writes `frames` stereo frames of the soundtrack from `first` on to `fd`
// as a WAV file, padding with silence past its end. False as write_all.
bool write_wav(int fd, const int16_t* pcm, int64_t available, int64_t first, int64_t frames)
{
    uint32_t bytes = static_cast<uint32_t>(frames * 4);
    std::vector<uint8_t> header;
    header.insert(header.end(), {'R', 'I', 'F', 'F'});
    put32(header, 36 + bytes);
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(header, 16);
    put16(header, 1);
    put16(header, 2);
    put32(header, RATE);
    put32(header, RATE * 4);
    put16(header, 4);
    put16(header, 16);
    header.insert(header.end(), {'d', 'a', 't', 'a'});
    put32(header, bytes);
    if (!write_all(fd, header.data(), header.size()))
        return false;
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
        if (!write_all(fd, chunk.data(), chunk.size() * 2))
            return false;
    }
    return true;
}

// A file with no name in `dir`, open for reading and writing: O_TMPFILE
// where the file system has it, else a temporary file unlinked at once.
// -1 with errno set when neither can be made.
int nameless_file(const std::string& dir)
{
    int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
    std::string pattern = dir + "/vigil-capture-XXXXXX.wav";
    fd = mkostemps(pattern.data(), 4, O_CLOEXEC);
    if (fd >= 0)
        ::unlink(pattern.c_str());
    return fd;
}

// `fd` moved to a number of at least 10 (closing the original), so that
// placing it at 0 or 3 in ffmpeg is always a real dup2; -1 when that fails.
int high_fd(int fd)
{
    int moved = fcntl(fd, F_DUPFD_CLOEXEC, 10);
    ::close(fd);
    return moved;
}

// Removes the unfinished video when it is a regular file (never a device
// such as /dev/null given as the output); says so.
void remove_unfinished(const std::string& file)
{
    struct stat status{};
    if (::lstat(file.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::unlink(file.c_str()) == 0)
        std::fprintf(stderr,
                     "vigil-capture: removed the unfinished video %s (an MP4 plays only once ffmpeg has written "
                     "its index at the end)\n",
                     file.c_str());
}

} // namespace

VideoWriter::~VideoWriter()
{
    abandon();
}

bool VideoWriter::open(const std::string& path, int width, int height, int fps, double startSeconds, double seconds)
{
    int64_t available = 0;
    const int16_t* pcm = soundtrack_pcm(&available);
    if (!pcm)
        std::fputs("vigil-capture: no soundtrack to put in the video; its audio track is silent\n", stderr);
    const char* tmp = std::getenv("TMPDIR");
    const std::string tmpDir = tmp && *tmp ? tmp : "/tmp";
    int audio = nameless_file(tmpDir);
    if (audio < 0) {
        std::fprintf(stderr, "vigil-capture: cannot make a temporary audio file in %s: %s\n", tmpDir.c_str(),
                     std::strerror(errno));
        return false;
    }
    // The audio span matches the frames to the sample: frame i shows T = i / fps.
    int64_t first = static_cast<int64_t>(std::llround(startSeconds * RATE));
    int64_t count = static_cast<int64_t>(std::llround(seconds * RATE));
    if (!write_wav(audio, pcm, available, first, count)) {
        if (errno != 0)
            std::fprintf(stderr, "vigil-capture: cannot write the temporary audio file in %s: %s\n", tmpDir.c_str(),
                         std::strerror(errno));
        ::close(audio);
        return false;
    }

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        std::fprintf(stderr, "vigil-capture: cannot make a pipe to ffmpeg: %s\n", std::strerror(errno));
        ::close(audio);
        return false;
    }
    int input = high_fd(pipeFds[0]);
    int output = pipeFds[1];
    audio = high_fd(audio);
    if (input < 0 || audio < 0) {
        std::fprintf(stderr, "vigil-capture: cannot make a pipe to ffmpeg: %s\n", std::strerror(errno));
        for (int fd : {input, output, audio})
            if (fd >= 0)
                ::close(fd);
        return false;
    }

    // ffmpeg reads the frames on its standard input and the audio as
    // /dev/fd/3, which opens the nameless file afresh from its start.
    std::vector<std::string> words = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f", "rawvideo",
                                      "-pixel_format", "rgb24", "-video_size",
                                      std::to_string(width) + "x" + std::to_string(height), "-framerate",
                                      std::to_string(fps), "-i", "-", "-i", "/dev/fd/3", "-map", "0:v", "-map", "1:a",
                                      "-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p",
                                      "-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart", path};
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, audio, 3);
    // The capture ignores SIGPIPE; ffmpeg gets the default back.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    int failed = posix_spawnp(&pid, "ffmpeg", &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(input);
    ::close(audio);
    if (failed != 0) {
        ::close(output);
        if (failed == ENOENT)
            std::fputs("vigil-capture: --video needs the ffmpeg program, which is not installed "
                       "(scripts/setup installs it)\n",
                       stderr);
        else
            std::fprintf(stderr, "vigil-capture: cannot start ffmpeg: %s\n", std::strerror(failed));
        return false;
    }
    ffmpeg = pid;
    frames = output;
    file = path;
    frameBytes = static_cast<size_t>(width) * height * 3;
    // Writes never block: a full pipe is waited on with poll, in slices.
    fcntl(frames, F_SETFL, fcntl(frames, F_GETFL) | O_NONBLOCK);
    return true;
}

bool VideoWriter::write_frame(const uint8_t* rgb, size_t bytes)
{
    if (bytes != frameBytes) {
        std::fputs("vigil-capture: a frame of the wrong size for the video\n", stderr);
        return false;
    }
    while (bytes > 0) {
        if (capture_interrupted())
            return false;
        ssize_t n = ::write(frames, rgb, bytes);
        if (n > 0) {
            rgb += n;
            bytes -= static_cast<size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd ready{frames, POLLOUT, 0};
            poll(&ready, 1, WAIT_SLICE_MS);
        } else if (!(n < 0 && errno == EINTR)) {
            // Ctrl-C reaches ffmpeg too, which may stop reading first.
            if (!capture_interrupted())
                std::fprintf(stderr, "vigil-capture: ffmpeg stopped taking frames: %s\n",
                             std::strerror(n < 0 ? errno : EIO));
            return false;
        }
    }
    return true;
}

bool VideoWriter::close()
{
    if (ffmpeg <= 0)
        return false;
    ::close(frames);
    frames = -1;
    int status = 0;
    for (;;) {
        pid_t done = waitpid(ffmpeg, &status, WNOHANG);
        if (done == ffmpeg)
            break;
        if (done < 0 && errno != EINTR) {
            std::fprintf(stderr, "vigil-capture: cannot wait for ffmpeg: %s\n", std::strerror(errno));
            ffmpeg = -1;
            return false;
        }
        if (capture_interrupted()) {
            abandon();
            return false;
        }
        poll(nullptr, 0, WAIT_SLICE_MS);
    }
    ffmpeg = -1;
    // Status 0: ffmpeg had every frame and finished the file, whatever
    // arrived meanwhile. Ctrl-C reaches ffmpeg too, which then ends early
    // with a status of its own: that is the stop, not a failure.
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    if (!capture_interrupted()) {
        if (WIFEXITED(status))
            std::fprintf(stderr, "vigil-capture: ffmpeg failed (status %d)\n", WEXITSTATUS(status));
        else
            std::fprintf(stderr, "vigil-capture: ffmpeg failed (ended by signal %d)\n", WTERMSIG(status));
    }
    remove_unfinished(file);
    return false;
}

void VideoWriter::abandon()
{
    if (ffmpeg <= 0)
        return;
    if (frames >= 0)
        ::close(frames);
    frames = -1;
    ::kill(ffmpeg, SIGKILL);
    int status = 0;
    while (waitpid(ffmpeg, &status, 0) < 0 && errno == EINTR) {
    }
    ffmpeg = -1;
    remove_unfinished(file);
}
