// vigil-capture: renders the demo offline, frame-exact, on virtual time.
// Same start-up, init routines and shared frame step as the player; frame i
// is drawn for T = i / fps with the music at floor(i * 1000 / fps) ms, read
// back before any swap and written as PNG or piped into ffmpeg. Also checks
// scripts for authors (--check) and measures frame times (--bench).
// SIGINT, SIGTERM and SIGHUP stop it between two frames (interrupt.h): the
// frames already written stay, an unfinished video is removed, and the
// exit status is 128 + the signal's number.
#include "tools/capture/capture.h"

#include "base/arena.h"
#include "base/log.h"
#include "core/arena_watch.h"
#include "core/frame_loop.h"
#include "core/init_runner.h"
#include "core/seek.h"
#include "core/session.h"
#include "params/location.h"
#include "platform/gl.h"
#include "platform/headless/headless_gl.h"
#include "script/script_interface.h"
#include "script/timeline.h"
#include "tools/capture/interrupt.h"
#include "tools/capture/video.h"
#include "tools/common/contact_grid.h"
#include "tools/common/picture_writer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int WIDTH = 1024;
constexpr int HEIGHT = 640;
constexpr int LETTERBOX_HEIGHT = 768;
// What the capture's body returns when a signal asked it to stop; run_capture
// turns it into 128 + the signal's number once everything is cleaned up.
constexpr int STOPPED = -1;

int32_t s_virtual_music_ms = 0;

int32_t virtual_music()
{
    return s_virtual_music_ms;
}

void print_line(const char* text, void*)
{
    std::fputs(text, stderr);
}

// "data/demo.conf:12: Error: ..." where a location is known.
// Errors --check printed: a script that builds despite one (a mismatched end
// tag, which the parser skips) still fails the check.
int s_check_errors = 0;

void print_located(const char* text, void*)
{
    if (std::strstr(text, "Error:"))
        ++s_check_errors;
    SourceLocation at = diagnostic_location();
    if (at.file)
        std::printf("%s:%d: %s", at.file, at.line, text);
    else
        std::fputs(text, stdout);
}

// A frame file's path, in a buffer of its own: one is made per frame, and
// nothing per frame may come from the arena, which never frees.
struct FramePath {
    char text[4096];
};

FramePath frame_name(const std::string& dir, const char* prefix, int index, int digits)
{
    FramePath path;
    const char* separator = !dir.empty() && dir.back() == '/' ? "" : "/";
    std::snprintf(path.text, sizeof path.text, "%s%s%s_%0*d.png", dir.c_str(), separator, prefix, digits, index);
    return path;
}

// The screen read back into buffers from the C heap, allocated once: the
// arena never frees, so per-frame buffers must not come from it.
class FrameGrabber {
public:
    FrameGrabber(int width, int height)
        : width(width), height(height),
          rgba(static_cast<uint8_t*>(std::malloc(static_cast<size_t>(width) * height * 4))),
          rgb(static_cast<uint8_t*>(std::malloc(static_cast<size_t>(width) * height * 3)))
    {
        if (!rgba || !rgb) {
            std::fputs("vigil-capture: out of memory for the frame buffers\n", stderr);
            std::exit(1);
        }
    }
    ~FrameGrabber()
    {
        std::free(rgba);
        std::free(rgb);
    }
    FrameGrabber(const FrameGrabber&) = delete;
    FrameGrabber& operator=(const FrameGrabber&) = delete;

    // RGB bytes of the screen, top row first.
    const uint8_t* grab()
    {
        headless_gl_read_rgba_into(rgba, width, height);
        for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i) {
            rgb[i * 3] = rgba[i * 4];
            rgb[i * 3 + 1] = rgba[i * 4 + 1];
            rgb[i * 3 + 2] = rgba[i * 4 + 2];
        }
        return rgb;
    }
    size_t bytes() const { return static_cast<size_t>(width) * height * 3; }

private:
    int width, height;
    uint8_t* rgba;
    uint8_t* rgb;
};

bool write_png(const FramePath& path, const uint8_t* rgb, int width, int height)
{
    std::string reason;
    if (!write_png_file(path.text, rgb, width, height, 3, true, &reason)) {
        std::fprintf(stderr, "vigil-capture: cannot write %s: %s\n", path.text, reason.c_str());
        return false;
    }
    return true;
}

// The status of a step that failed: STOPPED when a signal is why.
int failure()
{
    return capture_interrupted() ? STOPPED : 1;
}

bool make_dir(const std::string& dir)
{
    std::error_code error;
    fs::create_directories(dir, error);
    if (error) {
        std::fprintf(stderr, "vigil-capture: cannot create %s: %s\n", dir.c_str(), error.message().c_str());
        return false;
    }
    return true;
}

class Progress {
public:
    Progress(int total) : total(total), shown(isatty(STDERR_FILENO) && total > 0) {}
    ~Progress()
    {
        if (shown)
            std::fputc('\n', stderr);
    }
    void update(int done)
    {
        if (!shown)
            return;
        int width = 40;
        int filled = static_cast<int>(static_cast<int64_t>(done) * width / total);
        std::fprintf(stderr, "\rframe %d/%d [%.*s%*s] %3d%%", done, total, filled,
                     "########################################", width - filled, "",
                     static_cast<int>(static_cast<int64_t>(done) * 100 / total));
        std::fflush(stderr);
    }

private:
    int total;
    bool shown;
};

struct SceneTimes {
    int32_t start = 0;
    std::vector<double> ms;
};

void print_bench(const std::vector<SceneTimes>& scenes)
{
    std::printf("%-6s %-9s %8s %10s %10s %10s\n", "scene", "start ms", "frames", "median ms", "p95 ms", "max ms");
    for (size_t i = 0; i < scenes.size(); ++i) {
        std::vector<double> ms = scenes[i].ms;
        if (ms.empty())
            continue;
        std::sort(ms.begin(), ms.end());
        double median = ms[ms.size() / 2];
        double p95 = ms[std::min(ms.size() - 1, static_cast<size_t>(std::ceil(ms.size() * 0.95)) - 1)];
        std::printf("%-6zu %-9d %8zu %10.2f %10.2f %10.2f\n", i, scenes[i].start, ms.size(), median, p95, ms.back());
    }
}

// "1:23.5": minutes and seconds of music.
std::string clock_text(double seconds)
{
    char text[32];
    int tenths = static_cast<int>(std::lround(seconds * 10.0));
    std::snprintf(text, sizeof text, "%d:%02d.%d", tenths / 600, tenths / 10 % 60, tenths % 10);
    return text;
}

// The contact sheet of the run: a tile for the first frame at or after
// each multiple of `every` seconds from `from` on.
class DemoSheet {
public:
    DemoSheet(const CaptureOptions& options) : options(options), next(options.from) {}
    bool wanted() const { return !options.sheetFile.empty(); }
    bool due(double T) const { return wanted() && T >= next - 1e-9; }
    void add(const uint8_t* rgb, int width, int height, double T, int64_t frame)
    {
        tiles.push_back(make_grid_tile(rgb, width, height, 3, clock_text(T),
                                        "scene " + std::to_string(g_current_scene) + ", frame " +
                                            std::to_string(frame)));
        while (next <= T + 1e-9)
            next += options.every;
    }
    bool write(double endT) const
    {
        char header[160];
        std::snprintf(header, sizeof header, "%s: one frame every %g s from %s to %s, at %d frames a second",
                      std::filesystem::current_path().c_str(), options.every,
                      clock_text(options.from).c_str(), clock_text(endT).c_str(), options.fps);
        std::string error;
        if (tiles.empty()) {
            std::fputs("vigil-capture: no frame falls in the range for the contact sheet\n", stderr);
            return false;
        }
        if (!write_grid_png(options.sheetFile, header, tiles, 6, error)) {
            std::fprintf(stderr, "vigil-capture: %s\n", error.c_str());
            return false;
        }
        std::fprintf(stderr, "vigil-capture: wrote a contact sheet of %zu frames to %s\n", tiles.size(),
                     options.sheetFile.c_str());
        return true;
    }

private:
    const CaptureOptions& options;
    double next;
    std::vector<GridTile> tiles;
};

// The capture itself; STOPPED when a signal asked it to stop, with every
// clean-up done by the time it returns (`written`: the frames it wrote).
int capture(const CaptureOptions& options, int& written)
{
    if (options.log)
        diag_set_sink(&print_line, nullptr);
    if (options.check) {
        location_tracking(true);
        diag_set_sink(&print_located, nullptr);
    }

    InitList* initList = nullptr;
    // --check and --log print each diagnostic as it comes; otherwise they
    // are kept, with file and line, for the message when the build fails.
    static BuildReport report;
    const SessionStart start = options.check ? session_start(&initList, ScriptErrors::ReportAll)
                               : options.log ? session_start(&initList)
                                             : session_start(&initList, report);
    if (start == SessionStart::InterfaceFailed || start == SessionStart::ScriptFailed) {
        std::fputs(report.text, stderr);
        std::fprintf(stderr, "vigil-capture: %s failed\n",
                     start == SessionStart::InterfaceFailed ? "InitScriptInterface" : "script_init_init/script_init");
        char problem[1024];
        if (script_files_problem("vigil-capture", problem, sizeof problem))
            std::fprintf(stderr, "%s\n", problem);
        return 1;
    }
    if (start == SessionStart::NoArena) {
        std::fputs("vigil-capture: cannot reserve the 128 MiB arena\n", stderr);
        return 1;
    }
    int32_t records = 0;
    while (g_timeline[records].routineCount != 0)
        ++records;
    int32_t endMs = g_timeline[records].start;
    if (capture_interrupted())
        return STOPPED;

    if (options.check) {
        int32_t soundtrackMs = soundtrack_length_ms();
        std::printf("script builds: %d init routines, %d scenes, ends at %d ms\n", initList->count, records, endMs);
        if (soundtrackMs < 0)
            std::printf("warning: no soundtrack is embedded, so the music never starts\n");
        else if (endMs > soundtrackMs)
            std::printf("warning: the timeline ends at %d ms, after the end of the soundtrack at %d ms: "
                        "the music position stops there and the demo never reaches its end\n",
                        endMs, soundtrackMs);
        if (s_check_errors) {
            std::printf("the check failed: %d error%s reported above\n", s_check_errors, s_check_errors == 1 ? "" : "s");
            return 1;
        }
        return 0;
    }

    int height = options.letterbox ? LETTERBOX_HEIGHT : HEIGHT;
    std::string error;
    if (!headless_gl_open(WIDTH, height, &error)) {
        std::fprintf(stderr, "vigil-capture: %s\n", error.c_str());
        return failure();
    }
    if ((!options.framesDir.empty() && !make_dir(options.framesDir)) ||
        (!options.loadingDir.empty() && !make_dir(options.loadingDir)))
        return 1;
    glViewport(0, 0, WIDTH, height);
    FrameGrabber grabber(WIDTH, height);

    // The loading screen after each init routine, written where asked.
    struct LoadingShots {
        const CaptureOptions& options;
        FrameGrabber& grabber;
        int height;
    } shots{options, grabber, height};
    InitHooks hooks;
    hooks.context = &shots;
    hooks.stop = [](void*) { return capture_interrupted() != 0; };
    hooks.after = [](void* context, int32_t index) {
        const auto& loading = *static_cast<LoadingShots*>(context);
        return loading.options.loadingDir.empty() ||
               write_png(frame_name(loading.options.loadingDir, "loading", index, 3), loading.grabber.grab(), WIDTH,
                         loading.height);
    };
    int32_t failed = 0;
    InitPhase phase = session_run_inits(initList, options.letterbox, hooks, &failed);
    if (phase == InitPhase::RoutineFailed)
        std::fprintf(stderr, "vigil-capture: Init routine %d failed\n", failed);
    if (phase == InitPhase::Stopped)
        return STOPPED;
    if (phase != InitPhase::Done)
        return failure();

    // Frames to simulate: up to the terminator, or to --to.
    int64_t lastFrame = static_cast<int64_t>(std::ceil(static_cast<double>(endMs) * options.fps / 1000.0));
    if (options.to >= 0)
        lastFrame = std::min<int64_t>(lastFrame, static_cast<int64_t>(std::ceil(options.to * options.fps)));
    int64_t firstFrame = options.from > 0 ? static_cast<int64_t>(std::ceil(options.from * options.fps - 1e-9)) : 0;

    VideoWriter video;
    if (!options.videoFile.empty()) {
        double seconds = static_cast<double>(std::max<int64_t>(0, lastFrame - firstFrame)) / options.fps;
        if (!video.open(options.videoFile, WIDTH, height, options.fps, static_cast<double>(firstFrame) / options.fps,
                        seconds))
            return failure();
    }

    DemoSheet sheet(options);
    const bool sheetOnly = sheet.wanted() && options.framesDir.empty() && !video.is_open() && !options.bench;
    Progress progress(static_cast<int>(lastFrame));
    std::vector<SceneTimes> bench;
    FrameLoop loop{};
    loop.letterbox = options.letterbox;
    frame_loop_start(loop, 0.0);
    // Frames before --from are stepped without rasterising, through the
    // preview's seek: the routines' state is the same, at a fraction of the
    // cost. It goes one saved state (a second of music) at a time, looking
    // at the stop request in between.
    if (firstFrame > 0) {
        SeekTable table;
        if (!seek_table_create(table, loop, options.fps)) {
            std::fputs("vigil-capture: out of memory for the seek's saved states\n", stderr);
            return 1;
        }
        for (int64_t reached = 0; reached < firstFrame && !capture_interrupted();) {
            reached = std::min(firstFrame, reached + table.interval);
            if (!seek_table_seek(table, loop, reached))
                break;
            progress.update(static_cast<int>(reached));
        }
        seek_table_free(table);
        if (capture_interrupted())
            return STOPPED;
    }
    ArenaWatch arena{"vigil-capture"};
    for (int64_t i = firstFrame;; ++i) {
        if (capture_interrupted())
            return STOPPED;
        double T = virtual_frame_time(i, options.fps);
        if (options.to >= 0 && T >= options.to)
            break;
        s_virtual_music_ms = virtual_music_ms(i, options.fps);
        // Frames a contact sheet alone does not show are stepped without
        // rasterising.
        if (sheetOnly && !sheet.due(T)) {
            if (frame_skip(loop, T, &virtual_music) != FrameResult::Drawn)
                break;
            progress.update(static_cast<int>(i + 1));
            continue;
        }
        auto begin = std::chrono::steady_clock::now();
        glDrawBuffer(GL_BACK);
        if (frame_advance(loop, T, &virtual_music) != FrameResult::Drawn)
            break;
        glFinish();
        if (options.bench) {
            double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
            if (bench.size() <= static_cast<size_t>(g_current_scene))
                bench.resize(g_current_scene + 1);
            bench[g_current_scene].start = g_timeline[g_current_scene].start;
            bench[g_current_scene].ms.push_back(ms);
        }
        bool sheetFrame = sheet.due(T);
        if (!options.framesDir.empty() || video.is_open() || sheetFrame) {
            const uint8_t* rgb = grabber.grab();
            if (sheetFrame)
                sheet.add(rgb, WIDTH, height, T, i);
            if (!options.framesDir.empty() &&
                !write_png(frame_name(options.framesDir, "frame", static_cast<int>(i), 6), rgb, WIDTH, height))
                return failure();
            if (video.is_open() && !video.write_frame(rgb, grabber.bytes()))
                return failure();
            ++written;
        }
        progress.update(static_cast<int>(i + 1));
        arena_watch_frame(arena);
    }
    arena_watch_report(arena);
    if (capture_interrupted())
        return STOPPED;
    if (sheet.wanted() && !sheet.write(static_cast<double>(lastFrame) / options.fps))
        return failure();
    bool wroteVideo = video.is_open();
    if (wroteVideo && !video.close())
        return failure();
    if (!options.framesDir.empty() || wroteVideo)
        std::fprintf(stderr, "vigil-capture: wrote %d frames\n", written);
    if (options.bench)
        print_bench(bench);
    return 0;
}

} // namespace

int run_capture(const CaptureOptions& options)
{
    int written = 0;
    int status = capture(options, written);
    if (status != STOPPED)
        return status;
    // The shell's convention for a program a signal ended: 128 + its number.
    int sig = capture_interrupted();
    if (!options.framesDir.empty() && written > 0)
        std::fprintf(stderr,
                     "vigil-capture: interrupted by %s; nothing more was written (the %d whole frames before stay "
                     "in %s)\n",
                     capture_signal_name(sig), written, options.framesDir.c_str());
    else
        std::fprintf(stderr, "vigil-capture: interrupted by %s; nothing more was written\n", capture_signal_name(sig));
    return 128 + sig;
}
