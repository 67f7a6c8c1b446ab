// The authors' preview (see app/preview.h): one process and one window for
// the whole session. Seeks restore a saved demo state and step on from it;
// reloads check the files' texts as read once, then rebuild the scenes in
// place, or run the init routines again when their list changed.
// State: one Preview record (the play state, the script that plays, the
// seek table, the pending keys), reached by the input sink through
// s_preview.
#include "app/preview.h"

#include "app/overlay_text.h"
#include "app/windowed.h"
#include "base/arena.h"
#include "core/arena_watch.h"
#include "core/clock.h"
#include "core/demo_state.h"
#include "core/frame_loop.h"
#include "core/init_runner.h"
#include "core/keys.h"
#include "core/music.h"
#include "core/preview_seek.h"
#include "core/script_source.h"
#include "core/seek.h"
#include "core/session.h"
#include "gfx/program_textures.h"
#include "params/location.h"
#include "params/param.h"
#include "platform/gl.h"
#include "platform/process.h"
#include "platform/window.h"
#include "script/timeline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr int32_t WIDTH = 1024;
constexpr int32_t HEIGHT = 640;
// Wall-clock seconds between two looks at the script files.
constexpr double WATCH_INTERVAL = 0.25;
// Frames the seek table's filler steps ahead after each live frame.
constexpr int32_t FILL_FRAMES = 12;
// Keys kept between two frames; more in one frame are dropped.
constexpr int32_t KEY_QUEUE_SIZE = 64;
// Bytes kept of a scene's name for the overlay.
constexpr int32_t SCENE_NAME_SIZE = 48;

using SceneName = char[SCENE_NAME_SIZE];

struct Preview {
    PreviewOptions options;

    // The script that plays: its texts, its init list, and where its build
    // lies in the arena (above `scriptMark`, with the init routines' memory
    // between `baseMark` and `scriptMark`; the window's below `baseMark`).
    ScriptSource good;
    InitList* initList = nullptr;
    ArenaMark baseMark;
    ArenaMark scriptMark;
    uint8_t* routinesAtStart = nullptr; // the routines' state the init routines left
    SceneName* sceneNames = nullptr;    // per scene, for the overlay
    int32_t sceneCount = 0;

    // The files as last looked at, and what their text did.
    FileStamp watched[SCRIPT_FILE_COUNT];
    double nextWatch = 0.0;
    ScriptCheck check; // report shown while `broken`
    bool broken = false;

    // Play state.
    FrameLoop loop{};
    SeekTable table;
    bool paused = false;
    bool ended = false;
    bool overlay = false;
    bool keysLive = false;    // the preview's own keys act (it plays)
    int32_t loopScene = -1;   // the scene looped with L, or -1
    int32_t frozenMs = 0;     // the music position while paused
    double liveBase = 0.0;    // T = liveBase + the clock while playing
    double T = 0.0;           // the last drawn frame's time
    bool needFrame = true;    // draw the frame at the position even while paused
    int32_t reportMs = -1;    // a seek or reload whose first frame is still to be reported
    double requestedAt = -1.0;
    uint8_t* frozen = nullptr; // the paused picture, RGBA, bottom row first

    int32_t keys[KEY_QUEUE_SIZE] = {};
    int32_t keyCount = 0;

    ArenaWatch arena;
    int32_t reloads = 0;
    double startedAt = 0.0;   // when the first seek table was made
    bool tableReady = false;  // the first table is full (said once)
};

Preview* s_preview = nullptr;

// The music position the frames follow: the stream's while it plays, the
// frozen one while paused.
int32_t preview_music()
{
    return s_preview->paused ? s_preview->frozenMs : music_time_ms();
}

int32_t current_ms(const Preview& p)
{
    // After the end: the last millisecond of the last scene, so a reload or
    // a Left goes back to the end and not past it.
    return p.ended ? seek_target(g_timeline, INT32_MAX, SeekKey::Forward) : preview_music();
}

// The preview's input sink: the key table first (Escape quits), then the
// preview's own keys, queued in order for the loop to apply after its frame.
void preview_key(int32_t virtualKey, bool down)
{
    key_event(virtualKey, down);
    Preview& p = *s_preview;
    if (down && p.keysLive && p.keyCount < KEY_QUEUE_SIZE)
        p.keys[p.keyCount++] = virtualKey;
}

// --- The script --------------------------------------------------------------

// Scene names in play order, from the "order" set, into a C heap table: the
// tree they come from is given back on the next reload.
void collect_scene_names(Preview& p)
{
    std::free(p.sceneNames);
    p.sceneNames = nullptr;
    p.sceneCount = 0;
    ParamSet* order = g_param_root ? g_param_root->GetSet("order") : nullptr;
    const int32_t entries = order ? order->GetSetCount() : 0;
    p.sceneNames = static_cast<SceneName*>(std::calloc(static_cast<size_t>(std::max(entries, 1)), sizeof(SceneName)));
    for (int32_t i = 0; p.sceneNames && i < entries; ++i) {
        ParamSet* entry = order->GetSetByIndex(static_cast<uint32_t>(i));
        if (!entry->HasName("scene"))
            continue;
        Param* name = entry->Find("scene_name");
        std::snprintf(p.sceneNames[p.sceneCount++], SCENE_NAME_SIZE, "%s", name ? name->ToString().c_str() : "?");
    }
}

// Builds the good texts' script above the arena's use, its init list into
// p.initList. Checked texts always build.
bool build_good_script(Preview& p)
{
    location_begin(false);
    return session_build_script(&p.initList, script_source_texts(p.good)) == SessionStart::Built;
}

// The scene part of a start: the script built again at the script mark (so
// a reload's build takes the place of the last), the routines back to the
// state the init routines left, and a new seek table.
bool rebuild_scenes(Preview& p)
{
    arena_rewind(p.scriptMark);
    if (!build_good_script(p))
        return false;
    collect_scene_names(p);
    demo_routines_restore(p.routinesAtStart);
    frame_loop_start(p.loop, 0.0);
    if (!seek_table_create(p.table, p.loop, PREVIEW_SEEK_FPS)) {
        std::fputs("vigil: out of memory for the seek's saved states\n", stderr);
        return false;
    }
    return true;
}

// Reports a failed init routine with the line of its set in init.conf.
void report_failed_init(Preview& p, ScriptCheck& check, int32_t index)
{
    const char* name = "?";
    for (int32_t i = 0; i < g_funcTable.count; ++i)
        if (p.initList && index < p.initList->count && g_funcTable.entries[i]->routine == p.initList->routines[index])
            name = g_funcTable.entries[i]->name;
    // The list is init1, init2, ... without gaps: routine `index` is set init<index+1>.
    char tag[32];
    std::snprintf(tag, sizeof tag, "<init%d>", index + 1);
    int32_t line = 0;
    if (const char* text = p.good.text[0]) {
        int32_t at = 1;
        for (const char* cursor = text; *cursor; ++at) {
            const char* end = std::strchr(cursor, '\n');
            size_t length = end ? static_cast<size_t>(end - cursor) : std::strlen(cursor);
            std::string_view row(cursor, length);
            while (!row.empty() && (row.front() == ' ' || row.front() == '\t'))
                row.remove_prefix(1);
            if (row.substr(0, std::strlen(tag)) == tag) {
                line = at;
                break;
            }
            if (!end)
                break;
            cursor = end + 1;
        }
    }
    char message[256];
    if (line > 0)
        std::snprintf(message, sizeof message, "data/init.conf:%d: Init routine %d (%s) failed", line, index, name);
    else
        std::snprintf(message, sizeof message, "data/init.conf: Init routine %d (%s) failed", index, name);
    build_report_add(check.report, message);
}

enum class Start { Playing, InitFailed, Quit, Failed };

// Starts the demo of p.good from nothing in this process and window: the
// init routines' textures and memory given back, the routines at their start
// values, the script built, the init routines run behind the loading screen.
// An init routine that fails is reported into `check`.
Start start_demo(Preview& p, ScriptCheck& check)
{
    seek_table_free(p.table);
    music_close();
    delete_program_textures();
    init_runner_reset();
    demo_state_reset();
    arena_rewind(p.baseMark);
    if (!build_good_script(p))
        return Start::Failed;
    glViewport(0, 0, WIDTH, HEIGHT);
    int32_t failed = 0;
    InitPhase phase = session_run_inits(p.initList, false, session_window_hooks(), &failed);
    if (phase == InitPhase::RoutineFailed) {
        report_failed_init(p, check, failed);
        return Start::InitFailed;
    }
    if (g_quit)
        return Start::Quit;
    if (!music_is_open()) {
        build_report_add(check.report, "data/init.conf: the script does not open the music (no init routine \"music_init\")");
        return Start::InitFailed;
    }
    std::free(p.routinesAtStart);
    p.routinesAtStart = static_cast<uint8_t*>(std::malloc(demo_routines_size()));
    if (!p.routinesAtStart) {
        std::fputs("vigil: out of memory for the routines' start state\n", stderr);
        return Start::Failed;
    }
    demo_routines_save(p.routinesAtStart);
    p.scriptMark = arena_mark();
    return rebuild_scenes(p) ? Start::Playing : Start::Failed;
}

// --- Seeks -------------------------------------------------------------------

// Goes on playing (or paused) from the state before virtual frame `first`.
void play_from(Preview& p, int32_t ms, int64_t first)
{
    p.T = virtual_frame_time(first, PREVIEW_SEEK_FPS);
    p.liveBase = p.T;
    p.frozenMs = ms;
    p.needFrame = true;
    if (p.ended)
        music_stop();
    else if (!p.paused)
        music_play_from(ms);
    clock_reset_origin();
}

// Puts the demo where a straight run from the beginning is before the first
// frame at `ms` (on 30 virtual frames a second), and plays on from there.
void seek_to(Preview& p, int32_t ms, double requestedAt)
{
    std::fprintf(stderr, "vigil: seeking to %.3f s\n", ms / 1000.0);
    const int64_t first = first_frame_at(ms, PREVIEW_SEEK_FPS);
    p.ended = !seek_table_seek(p.table, p.loop, first);
    if (p.loopScene >= 0 && scene_index_at(g_timeline, ms) != p.loopScene)
        p.loopScene = -1;
    play_from(p, ms, first);
    p.reportMs = ms;
    p.requestedAt = requestedAt;
}

void apply_key(Preview& p, int32_t virtualKey)
{
    auto seek_key = [&p](SeekKey key) {
        int32_t target = seek_target(g_timeline, current_ms(p), key);
        if (target >= 0)
            seek_to(p, target, monotonic_seconds());
    };
    switch (virtualKey) {
    case 0x20: // Space
        if (p.ended) {
            seek_to(p, 0, monotonic_seconds());
        } else if (p.paused) {
            p.paused = false;
            std::fprintf(stderr, "vigil: playing from %.3f s\n", p.frozenMs / 1000.0);
            music_play_from(p.frozenMs);
            p.liveBase = p.T;
            clock_reset_origin();
        } else {
            p.frozenMs = music_time_ms();
            music_stop();
            p.paused = true;
            std::fprintf(stderr, "vigil: paused at %.3f s\n", p.frozenMs / 1000.0);
        }
        break;
    case 0x25: seek_key(SeekKey::Back); break;          // Left
    case 0x27: seek_key(SeekKey::Forward); break;       // Right
    case 0x21: seek_key(SeekKey::PreviousScene); break; // Page Up
    case 0x22: seek_key(SeekKey::NextScene); break;     // Page Down
    case 0x24: seek_key(SeekKey::Beginning); break;     // Home
    case 0x4C:                                          // L
        p.loopScene = p.loopScene >= 0 || p.ended ? -1 : scene_index_at(g_timeline, current_ms(p));
        std::fprintf(stderr, p.loopScene >= 0 ? "vigil: looping scene %d\n" : "vigil: loop off\n", p.loopScene);
        break;
    case 0x46: p.overlay = !p.overlay; break; // F
    default: break;
    }
}

// --- Reloads -----------------------------------------------------------------

void show_broken(Preview& p, const ScriptCheck& check)
{
    p.check = check;
    p.broken = true;
    std::fprintf(stderr, "vigil: the changed script does not build; the last good one plays on\n%s", check.report.text);
}

// Looks at the files; when one changed, reads them once, checks that text
// and, when it builds, plays it from the current position. The last good
// script plays on otherwise.
void watch_files(Preview& p)
{
    double now = monotonic_seconds();
    if (now < p.nextWatch)
        return;
    p.nextWatch = now + WATCH_INTERVAL;
    FileStamp stamps[SCRIPT_FILE_COUNT];
    bool changed = false;
    for (int32_t i = 0; i < SCRIPT_FILE_COUNT; ++i) {
        stamps[i] = file_stamp(SCRIPT_FILE_NAMES[i]);
        changed = changed || !(stamps[i] == p.watched[i]);
    }
    if (!changed)
        return;
    const double requestedAt = monotonic_seconds();
    ScriptSource candidate;
    static ScriptCheck s_check; // large: kept out of the stack
    char error[256];
    if (!script_source_read(candidate, error, sizeof error)) {
        // Shown like a script that does not build, once: the next change
        // of the files is read again.
        std::copy(stamps, stamps + SCRIPT_FILE_COUNT, p.watched);
        s_check.builds = false;
        s_check.report.text[0] = '\0';
        build_report_add(s_check.report, error);
        show_broken(p, s_check);
        return;
    }
    std::copy(candidate.stamp, candidate.stamp + SCRIPT_FILE_COUNT, p.watched);
    if (script_source_same_text(candidate, p.good)) {
        script_source_free(candidate);
        p.broken = false;
        return;
    }
    arena_watch_restart(p.arena);
    script_check(candidate, s_check);
    if (!s_check.builds) {
        script_source_free(candidate);
        show_broken(p, s_check);
        return;
    }
    const int32_t at = current_ms(p);
    std::fprintf(stderr, "vigil: the script changed; reloading at %.3f s\n", at / 1000.0);
    ++p.reloads;
    const bool sameInits = script_check_same_inits(s_check, p.initList);
    std::swap(candidate, p.good);
    if (sameInits) {
        if (!rebuild_scenes(p)) {
            std::fputs("vigil: the checked script did not build again\n", stderr);
            g_quit = 1;
        }
    } else {
        ScriptCheck failure;
        Start started = start_demo(p, failure);
        if (started == Start::InitFailed) {
            // The last good script again, from the start of its init routines.
            std::swap(candidate, p.good);
            show_broken(p, failure);
            started = start_demo(p, failure);
        }
        if (started == Start::Failed || started == Start::InitFailed) {
            std::fprintf(stderr, "vigil: the last good script no longer starts\n%s", failure.report.text);
            g_quit = 1;
        }
        if (started != Start::Playing) {
            script_source_free(candidate);
            return;
        }
        if (p.broken) {
            script_source_free(candidate);
            seek_to(p, std::min(at, std::max(0, seek_target(g_timeline, INT32_MAX, SeekKey::Forward))), requestedAt);
            return;
        }
    }
    script_source_free(candidate);
    p.broken = false;
    p.ended = false;
    if (std::getenv("VIGIL_ARENA_REPORT"))
        std::fprintf(stderr, "vigil: arena use %d bytes after reload %d\n", g_arena.used, p.reloads);
    seek_to(p, std::min(at, std::max(0, seek_target(g_timeline, INT32_MAX, SeekKey::Forward))), requestedAt);
}

// --- Drawing -----------------------------------------------------------------

void draw_frozen(const Preview& p)
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
    glDrawPixels(WIDTH, HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, p.frozen);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

void freeze_picture(Preview& p)
{
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, WIDTH, HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, p.frozen);
}

// The overlay and the error box, from fixed buffers: nothing per frame comes
// from the arena.
void draw_overlays(const Preview& p, double fps, double frameMs)
{
    if (p.overlay) {
        int32_t scene = p.ended ? -1 : g_current_scene;
        const char* name = scene >= 0 && scene < p.sceneCount ? p.sceneNames[scene] : "end";
        char text[256];
        std::snprintf(text, sizeof text, "music %.3f s\nscene %d: %s\n%.1f fps; %.1f ms%s%s",
                      current_ms(p) / 1000.0, scene, name, fps, frameMs, p.paused ? "\npaused" : "",
                      p.loopScene >= 0 ? "\nloop" : "");
        const float white[4] = {1, 1, 1, 1};
        const float shade[4] = {0, 0, 0, 0.6f};
        draw_text_box(text, 16, 16, 2, white, shade);
    }
    if (p.broken) {
        static char s_text[BUILD_REPORT_SIZE + 96];
        std::snprintf(s_text, sizeof s_text, "The changed script does not build; the last good one plays on.\n%s",
                      p.check.report.text);
        const float white[4] = {1, 1, 1, 1};
        const float red[4] = {0.5f, 0, 0, 0.85f};
        int32_t lines = 1;
        for (const char* c = s_text; *c; ++c)
            lines += *c == '\n' && c[1] ? 1 : 0;
        draw_text_box(s_text, 16, std::max(0, HEIGHT - 16 - lines * TEXT_CELL_HEIGHT), 1, white, red);
    }
}

// --- The live loop -----------------------------------------------------------

// Plays until the user quits.
void play(Preview& p)
{
    double fps = 0.0, frameMs = 0.0, lastPresent = clock_now();
    p.nextWatch = monotonic_seconds() + WATCH_INTERVAL;
    while (!g_quit) {
        bool drew = false;
        if (!p.ended && (!p.paused || p.needFrame)) {
            double begin = clock_now();
            double frameT = p.paused ? p.liveBase : p.liveBase + begin;
            glDrawBuffer(GL_BACK);
            if (frame_advance(p.loop, frameT, &preview_music) == FrameResult::Drawn) {
                glFinish();
                frameMs = (clock_now() - begin) * 1000.0;
                p.T = frameT;
                drew = true;
            } else {
                p.ended = true;
                music_stop();
                std::fputs("vigil: the demo reached its end (Home, Page Up or Left go back)\n", stderr);
            }
            if (drew && p.reportMs >= 0) {
                // The first frame after start-up, a seek or a reload.
                if (p.requestedAt >= 0.0)
                    std::fprintf(stderr, "vigil: preview at %.3f s, %.3f s after the request\n", p.reportMs / 1000.0,
                                 monotonic_seconds() - p.requestedAt);
                else
                    std::fprintf(stderr, "vigil: preview at %.3f s\n", p.reportMs / 1000.0);
                p.reportMs = -1;
            }
            // Looping: the scene after the looped one began (or the end came).
            if (p.loopScene >= 0 && (p.ended || g_current_scene != p.loopScene)) {
                p.ended = false;
                seek_to(p, g_timeline[p.loopScene].start, -1.0);
                drew = false;
            }
        }
        if (drew && p.needFrame)
            freeze_picture(p);
        p.needFrame = false;

        glDrawBuffer(GL_BACK);
        if (p.ended) {
            glClearColor(0, 0, 0, 0);
            glClear(GL_COLOR_BUFFER_BIT);
        } else if (p.paused && !drew) {
            draw_frozen(p);
        }
        draw_overlays(p, fps, frameMs);
        swap_buffers();
        arena_watch_frame(p.arena);
        double now = clock_now();
        double interval = now - lastPresent;
        lastPresent = now;
        if (interval > 0)
            fps = fps == 0.0 ? 1.0 / interval : fps * 0.9 + 0.1 / interval;

        // Keys pressed meanwhile, in their order; a Space that pauses keeps
        // the picture just drawn.
        pump_messages();
        for (int32_t i = 0; i < p.keyCount && !g_quit; ++i) {
            bool pausing = p.keys[i] == 0x20 && !p.paused && !p.ended;
            apply_key(p, p.keys[i]);
            if (pausing && drew)
                freeze_picture(p);
        }
        p.keyCount = 0;
        if (g_quit)
            break;
        watch_files(p);
        const bool filling = seek_table_fill(p.table, p.loop, FILL_FRAMES);
        if (!filling && !p.tableReady) {
            p.tableReady = true;
            std::fprintf(stderr, "vigil: saved states ready for seeks: %d, %zu KB, %.2f s after the start\n",
                         p.table.filled, seek_table_bytes(p.table) / 1024, monotonic_seconds() - p.startedAt);
        }
        if (!filling && (p.paused || p.ended))
            sleep_us(15000);
    }
}

int preview_driver()
{
    Preview& p = *s_preview;
    if (!arena_create(DEMO_ARENA_SIZE)) {
        std::fputs("vigil: cannot reserve the 128 MiB arena\n", stderr);
        return 1;
    }
    char error[256];
    if (!script_source_read(p.good, error, sizeof error)) {
        std::fprintf(stderr, "vigil: %s\n", error);
        return 1;
    }
    std::copy(p.good.stamp, p.good.stamp + SCRIPT_FILE_COUNT, p.watched);
    static ScriptCheck s_check;
    script_check(p.good, s_check);
    if (!s_check.builds) {
        std::fputs(s_check.report.text, stderr);
        return 1;
    }
    p.frozen = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(WIDTH) * HEIGHT, 4));
    if (!p.frozen) {
        std::fputs("vigil: out of memory for the pause picture\n", stderr);
        return 1;
    }

    create_gl_window(WIDTH, HEIGHT, 32);
    if (const char* reason = gl_window_failure()) {
        std::fprintf(stderr, "vigil: no OpenGL context could be made: %s\n", reason);
        destroy_gl_window();
        return 1;
    }
    // Everything of the demo lies above this mark; what the window layer
    // allocated lies below it and stays.
    p.baseMark = arena_mark();
    Start started = start_demo(p, s_check);
    if (started != Start::Playing) {
        if (started == Start::InitFailed)
            std::fputs(s_check.report.text, stderr);
        music_close();
        destroy_gl_window();
        return started == Start::Quit ? 0 : 1;
    }

    p.startedAt = monotonic_seconds();
    p.paused = p.options.paused;
    p.overlay = p.options.overlay;
    seek_to(p, p.options.atMs, p.options.since);
    if (p.options.loop)
        p.loopScene = scene_index_at(g_timeline, p.options.atMs);
    p.keysLive = true;
    play(p);
    p.keysLive = false;
    arena_watch_report(p.arena);
    if (std::getenv("VIGIL_ARENA_REPORT"))
        std::fprintf(stderr, "vigil: %d reloads\n", p.reloads);
    seek_table_free(p.table);
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
    static Preview s_one;
    s_one.options = options;
    s_preview = &s_one;
    return run_windowed(&preview_driver, &preview_key);
}
