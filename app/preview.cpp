// The authors' preview (see app/preview.h): start-up without the
// "Fullscreen?" question, the seek by skipped frames, the live loop with its
// keys, overlay and file watch, and the restarts that carry out seeks and
// reloads.
// State: the run's options and play state (file-scope, one preview per
// process), the frozen picture of a pause, the scene names.
#include "app/preview.h"

#include "app/overlay_text.h"
#include "app/windowed.h"
#include "base/arena.h"
#include "base/log.h"
#include "core/clock.h"
#include "core/frame_loop.h"
#include "core/init_runner.h"
#include "core/keys.h"
#include "core/music.h"
#include "core/preview_seek.h"
#include "core/session.h"
#include "params/location.h"
#include "params/param.h"
#include "platform/dialog.h"
#include "platform/gl.h"
#include "platform/input.h"
#include "platform/process.h"
#include "platform/window.h"
#include "script/script_interface.h"
#include "script/timeline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int32_t WIDTH = 1024;
constexpr int32_t HEIGHT = 640;
const char* const SCRIPT_FILES[] = {"data/init.conf", "data/demo.conf", "data/config.conf"};
constexpr int SCRIPT_FILE_COUNT = 3;
// How often the script files are looked at.
constexpr double WATCH_INTERVAL = 0.25;

// --- Diagnostics with file and line ----------------------------------------

std::string* s_diagnostics = nullptr;

void collect_located(const char* text, void*)
{
    SourceLocation at = diagnostic_location();
    char prefix[300] = "";
    if (at.file)
        std::snprintf(prefix, sizeof prefix, "%s:%d: ", at.file, at.line);
    *s_diagnostics += prefix;
    *s_diagnostics += text;
}

// Builds the script; 1 when it builds, with its init list in `initList`.
// Diagnostics are appended to `output`.
int build_script(std::string& output, InitList** initList)
{
    s_diagnostics = &output;
    location_tracking(true);
    LogSink previous = diag_set_sink(&collect_located, nullptr);
    SessionStart built = session_build_script(initList);
    diag_set_sink(previous, nullptr);
    s_diagnostics = nullptr;
    if (built != SessionStart::Built) {
        output += "vigil: the script does not build\n";
        return 0;
    }
    return 1;
}

// --- Play state ------------------------------------------------------------

PreviewOptions s_options;
InitList* s_init_list = nullptr;
std::vector<std::string>* s_scene_names = nullptr;

bool s_paused = false;
bool s_ended = false;
bool s_overlay = false;
int32_t s_loop_scene = -1;   // the scene looped with L, or -1
int32_t s_frozen_ms = 0;     // the music position while paused
int32_t s_skip_music_ms = 0; // the virtual music position of the seek's frames
int32_t s_seek_to = -1;      // a seek asked for by a key, or -1
bool s_toggle_pause = false; // Space was pressed during this frame's pump
bool s_keys_live = false;    // the preview's own keys act (it plays)
std::string s_error;         // the last reload's diagnostics, shown in the window
uint8_t* s_frozen = nullptr; // the paused picture, RGBA, bottom row first

int32_t skip_music()
{
    return s_skip_music_ms;
}

// The music position the frames follow: the stream's while it plays, the
// frozen one while paused.
int32_t preview_music()
{
    return s_paused ? s_frozen_ms : music_time_ms();
}

int32_t current_ms()
{
    // After the end: the last millisecond of the last scene, so a reload or a
    // Left goes back to the end and not past it.
    return s_ended ? seek_target(g_timeline, INT32_MAX, SeekKey::Forward) : preview_music();
}

void on_preview_key(int32_t virtualKey)
{
    switch (virtualKey) {
    case 0x20: s_toggle_pause = true; break;                                             // Space
    case 0x25: s_seek_to = seek_target(g_timeline, current_ms(), SeekKey::Back); break;  // Left
    case 0x27: s_seek_to = seek_target(g_timeline, current_ms(), SeekKey::Forward); break; // Right
    case 0x21: s_seek_to = seek_target(g_timeline, current_ms(), SeekKey::PreviousScene); break; // Page Up
    case 0x22: s_seek_to = seek_target(g_timeline, current_ms(), SeekKey::NextScene); break;     // Page Down
    case 0x24: s_seek_to = seek_target(g_timeline, current_ms(), SeekKey::Beginning); break;     // Home
    case 0x4C: // L
        s_loop_scene = s_loop_scene >= 0 || s_ended ? -1 : scene_index_at(g_timeline, current_ms());
        std::fprintf(stderr, s_loop_scene >= 0 ? "vigil: looping scene %d\n" : "vigil: loop off\n", s_loop_scene);
        break;
    case 0x46: s_overlay = !s_overlay; break; // F
    default: break;
    }
}

// The preview's input sink: the key table first (Escape quits), then the
// preview's own keys, which act only while it plays.
void preview_key(int32_t virtualKey, bool down)
{
    key_event(virtualKey, down);
    if (down && s_keys_live)
        on_preview_key(virtualKey);
}

// Starts the program again at `ms` with the play state carried over. Returns
// only when that fails.
void restart_at(int32_t ms, bool loop)
{
    char at[32], since[32];
    std::snprintf(at, sizeof at, "%.3f", ms / 1000.0);
    std::snprintf(since, sizeof since, "%.6f", monotonic_seconds());
    std::vector<std::string> args{"--preview", "--at", at, "--since", since};
    if (s_paused)
        args.push_back("--paused");
    if (loop)
        args.push_back("--loop");
    if (s_overlay)
        args.push_back("--overlay");
    s_keys_live = false;
    music_close();
    arena_release();
    destroy_gl_window();
    unregister_window_class();
    std::string error;
    restart_program(args, error);
    std::fprintf(stderr, "vigil: %s\n", error.c_str());
    std::exit(1);
}

void read_stamps(FileStamp stamps[SCRIPT_FILE_COUNT])
{
    for (int i = 0; i < SCRIPT_FILE_COUNT; ++i)
        stamps[i] = file_stamp(SCRIPT_FILES[i]);
}

// Scene names in play order, from the "order" set of the parameter tree.
std::vector<std::string>* collect_scene_names()
{
    auto* names = new std::vector<std::string>();
    ParamSet* order = g_param_root ? g_param_root->GetSet("order") : nullptr;
    for (int32_t i = 0; order && i < order->GetSetCount(); ++i) {
        ParamSet* entry = order->GetSetByIndex(static_cast<uint32_t>(i));
        if (!entry->HasName("scene"))
            continue;
        Param* name = entry->Find("scene_name");
        names->push_back(name ? name->ToString() : "?");
    }
    return names;
}

void draw_frozen()
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, WIDTH, 0, HEIGHT, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRasterPos2i(0, 0);
    glDrawPixels(WIDTH, HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, s_frozen);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

void freeze_picture()
{
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, WIDTH, HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, s_frozen);
}

void draw_overlays(double fps, double frameMs)
{
    if (s_overlay) {
        int32_t scene = s_ended ? -1 : g_current_scene;
        const char* name = scene >= 0 && static_cast<size_t>(scene) < s_scene_names->size()
                               ? (*s_scene_names)[static_cast<size_t>(scene)].c_str()
                               : "end";
        char text[256];
        std::snprintf(text, sizeof text, "music %.3f s\nscene %d %s\n%.1f fps  %.1f ms%s%s",
                      current_ms() / 1000.0, scene, name, fps, frameMs, s_paused ? "\npaused" : "",
                      s_loop_scene >= 0 ? "\nloop" : "");
        const float white[4] = {1, 1, 1, 1};
        const float shade[4] = {0, 0, 0, 0.6f};
        draw_text_box(text, 16, 16, 2, white, shade);
    }
    if (!s_error.empty()) {
        const float white[4] = {1, 1, 1, 1};
        const float red[4] = {0.5f, 0, 0, 0.85f};
        std::string text = "the changed script does not build; the last good one plays on\n" + s_error;
        int32_t lines = static_cast<int32_t>(std::count(text.begin(), text.end(), '\n')) + 1;
        draw_text_box(text.c_str(), 16, HEIGHT - 16 - lines * TEXT_CELL_HEIGHT, 1, white, red);
    }
}

// Runs the init routines behind the loading screen; false after a message.
bool run_inits()
{
    int32_t failed = 0;
    if (session_run_inits(s_init_list, false, session_window_hooks(), &failed) != InitPhase::RoutineFailed)
        return true;
    std::fprintf(stderr, "vigil: Init routine %d failed\n", failed);
    return false;
}

// The live loop; returns when the user quits. Seeks and reloads restart.
void play(FrameLoop& loop, double T)
{
    FileStamp stamps[SCRIPT_FILE_COUNT];
    read_stamps(stamps);
    double nextWatch = clock_now() + WATCH_INTERVAL;
    bool needFrame = true; // a paused start still draws the frame at its position
    double fps = 0.0, frameMs = 0.0, lastPresent = clock_now();
    double liveBase = T; // T = liveBase + the clock, while playing
    if (!s_paused)
        music_play_from(s_frozen_ms);
    clock_reset_origin();

    while (!g_quit) {
        bool drew = false;
        if (!s_ended && (!s_paused || needFrame)) {
            double begin = clock_now();
            double frameT = s_paused ? liveBase : liveBase + begin;
            glDrawBuffer(GL_BACK);
            if (frame_advance(loop, frameT, &preview_music) == FrameResult::Drawn) {
                glFinish();
                frameMs = (clock_now() - begin) * 1000.0;
                T = frameT;
                drew = true;
            } else {
                s_ended = true;
                music_stop();
                std::fputs("vigil: the demo reached its end (Home, Page Up or Left go back)\n", stderr);
            }
            if (drew && s_options.atMs >= 0) {
                // The first frame after start-up, a seek or a reload.
                if (s_options.since >= 0.0)
                    std::fprintf(stderr, "vigil: preview at %.3f s, %.2f s after the request\n",
                                 s_options.atMs / 1000.0, monotonic_seconds() - s_options.since);
                else
                    std::fprintf(stderr, "vigil: preview at %.3f s\n", s_options.atMs / 1000.0);
                s_options.atMs = -1;
            }
            // Looping: the scene after the looped one began (or the end came).
            if (s_loop_scene >= 0 && (s_ended || g_current_scene != s_loop_scene))
                restart_at(g_timeline[s_loop_scene].start, true);
        }
        pump_messages();
        if (drew && (needFrame || s_toggle_pause))
            freeze_picture();
        needFrame = false;
        if (s_toggle_pause) {
            s_toggle_pause = false;
            if (s_ended) {
                s_seek_to = 0;
            } else if (s_paused) {
                s_paused = false;
                std::fprintf(stderr, "vigil: playing from %.3f s\n", s_frozen_ms / 1000.0);
                music_play_from(s_frozen_ms);
                liveBase = T;
                clock_reset_origin();
            } else {
                s_frozen_ms = music_time_ms();
                music_stop();
                s_paused = true;
                std::fprintf(stderr, "vigil: paused at %.3f s\n", s_frozen_ms / 1000.0);
            }
        }
        if (s_seek_to >= 0)
            restart_at(s_seek_to, s_loop_scene >= 0);

        glDrawBuffer(GL_BACK);
        if (s_ended) {
            glClearColor(0, 0, 0, 0);
            glClear(GL_COLOR_BUFFER_BIT);
        } else if (s_paused) {
            draw_frozen();
        }
        draw_overlays(fps, frameMs);
        swap_buffers();
        double now = clock_now();
        double interval = now - lastPresent;
        lastPresent = now;
        if (interval > 0)
            fps = fps == 0.0 ? 1.0 / interval : fps * 0.9 + 0.1 / interval;

        if (now >= nextWatch) {
            nextWatch = now + WATCH_INTERVAL;
            FileStamp fresh[SCRIPT_FILE_COUNT];
            read_stamps(fresh);
            if (!std::equal(fresh, fresh + SCRIPT_FILE_COUNT, stamps)) {
                std::copy(fresh, fresh + SCRIPT_FILE_COUNT, stamps);
                std::string output;
                int built = run_isolated(&check_script, output);
                if (built == 1) {
                    std::fprintf(stderr, "vigil: the script changed; reloading at %.3f s\n", current_ms() / 1000.0);
                    restart_at(current_ms(), false);
                }
                s_error = output;
                std::fprintf(stderr, "vigil: the changed script does not build; the last good one plays on\n%s",
                             output.c_str());
            }
        }
        if (s_paused || s_ended)
            sleep_us(15000);
    }
}

int preview_driver()
{
    if (!arena_create(DEMO_ARENA_SIZE)) {
        std::fputs("vigil: cannot reserve the 128 MiB arena\n", stderr);
        return 1;
    }
    std::string diagnostics;
    int built = build_script(diagnostics, &s_init_list);
    std::fputs(diagnostics.c_str(), stderr);
    if (!built)
        return 1;
    s_scene_names = collect_scene_names();
    s_frozen = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(WIDTH) * HEIGHT, 4));
    if (!s_frozen) {
        std::fputs("vigil: out of memory for the pause picture\n", stderr);
        return 1;
    }

    create_gl_window(WIDTH, HEIGHT, 32);
    if (const char* reason = gl_window_failure()) {
        std::fprintf(stderr, "vigil: no OpenGL context could be made: %s\n", reason);
        destroy_gl_window();
        return 1;
    }
    glViewport(0, 0, WIDTH, HEIGHT);
    if (!run_inits()) {
        destroy_gl_window();
        return 1;
    }
    if (g_quit) {
        destroy_gl_window();
        return 0;
    }
    if (!music_is_open()) {
        std::fputs("vigil: the script does not open the music (no init routine \"music_init\")\n", stderr);
        destroy_gl_window();
        return 1;
    }

    // The seek: every frame before the target is stepped on virtual time
    // without being drawn, as vigil-capture --from steps them.
    s_paused = s_options.paused;
    s_overlay = s_options.overlay;
    s_frozen_ms = s_options.atMs;
    FrameLoop loop{};
    frame_loop_start(loop, 0.0);
    int64_t first = first_frame_at(s_options.atMs, PREVIEW_SEEK_FPS);
    for (int64_t i = 0; i < first && !s_ended; ++i) {
        s_skip_music_ms = virtual_music_ms(i, PREVIEW_SEEK_FPS);
        if (frame_skip(loop, virtual_frame_time(i, PREVIEW_SEEK_FPS), &skip_music) != FrameResult::Drawn)
            s_ended = true;
    }
    if (s_options.loop)
        s_loop_scene = scene_index_at(g_timeline, s_options.atMs);
    s_keys_live = true;
    play(loop, virtual_frame_time(first, PREVIEW_SEEK_FPS));
    s_keys_live = false;
    music_close();
    destroy_gl_window();
    return 0;
}

// Seconds of at least 0; `limit` keeps a music position within 32-bit ms.
bool parse_seconds(const char* text, double& value, double limit)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(value) && value >= 0 && value < limit;
}

} // namespace

int check_script(std::string& output)
{
    InitList* initList = nullptr;
    return build_script(output, &initList);
}

bool parse_preview_options(int argc, char** argv, int first, PreviewOptions& options, std::string& dir,
                           std::string& error)
{
    for (int i = first; i < argc; ++i) {
        std::string flag = argv[i];
        bool needsValue = flag == "--dir" || flag == "--at" || flag == "--since";
        if (needsValue && i + 1 >= argc) {
            error = flag + " needs a value";
            return false;
        }
        double seconds = 0.0;
        if (flag == "--dir") {
            dir = argv[++i];
        } else if (flag == "--at") {
            if (!parse_seconds(argv[++i], seconds, 2147483.0)) {
                error = "--at takes seconds (a number of at least 0), not \"" + std::string(argv[i]) + "\"";
                return false;
            }
            options.atMs = static_cast<int32_t>(std::llround(seconds * 1000.0));
        } else if (flag == "--since") {
            if (!parse_seconds(argv[++i], seconds, 1e15))
                seconds = -1.0;
            options.since = seconds;
        } else if (flag == "--paused") {
            options.paused = true;
        } else if (flag == "--loop") {
            options.loop = true;
        } else if (flag == "--overlay") {
            options.overlay = true;
        } else {
            error = "unknown argument \"" + flag + "\"";
            return false;
        }
    }
    return true;
}

int run_preview(const PreviewOptions& options)
{
    s_options = options;
    return run_windowed(&preview_driver, &preview_key);
}
