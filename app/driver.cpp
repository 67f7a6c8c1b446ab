// The demo driver: everything from the arena's creation to shutdown.
#include "app/driver.h"

#include "app/windowed.h"
#include "base/arena.h"
#include "core/arena_watch.h"
#include "core/clock.h"
#include "core/frame_loop.h"
#include "core/init_runner.h"
#include "core/keys.h"
#include "core/music.h"
#include "core/session.h"
#include "platform/dialog.h"
#include "platform/gl.h"
#include "platform/input.h"
#include "platform/window.h"
#include "script/script_interface.h"
#include "script/timeline.h"

#include <cstdio>

namespace {

constexpr int32_t PICTURE_WIDTH = 1024;
constexpr int32_t PICTURE_HEIGHT = 640;
constexpr int32_t LETTERBOX_HEIGHT = 768;

// Opens the window in one of its three configurations; true for the
// letterbox. Only the result of set_fullscreen decides.
bool open_window(bool fullscreen)
{
    create_gl_window(PICTURE_WIDTH, PICTURE_HEIGHT, 32);
    if (!fullscreen)
        return false;
    if (set_fullscreen(true))
        return false;
    destroy_gl_window();
    create_gl_window(PICTURE_WIDTH, LETTERBOX_HEIGHT, 32);
    if (set_fullscreen(true))
        return true;
    destroy_gl_window();
    create_gl_window(PICTURE_WIDTH, PICTURE_HEIGHT, 32);
    return false;
}

// The paced, presented frame loop around the shared frame step.
void play(bool letterbox)
{
    FrameLoop loop{};
    loop.letterbox = letterbox;
    frame_loop_start(loop, g_pacing.T);
    ArenaWatch arena{"vigil"};
    while (!g_quit) {
        g_pacing.frameStart = clock_now();
        glDrawBuffer(GL_BACK);
        if (frame_advance(loop, g_pacing.T, &music_time_ms) == FrameResult::Ended)
            break;
        glFinish();
        pump_messages();
        g_pacing.afterPump = clock_now();
        pacing_wait();
        g_pacing.afterWait = clock_now();
        swap_buffers();
        g_pacing.previousAfterSwap = g_pacing.afterSwap;
        g_pacing.afterSwap = clock_now();
        pacing_update();
        arena_watch_frame(arena);
    }
    arena_watch_report(arena);
}

// A script that does not build: every diagnostic with its file and line on
// standard error, then the box (also printed there) with the message and the
// first of them, or, where the script's files are not there, which one and
// how to run the player.
void show_build_failure(const char* message, const BuildReport& report)
{
    std::fputs(report.text, stderr);
    char reason[1024];
    if (!script_files_problem("vigil", reason, sizeof reason))
        build_report_first(report, reason, sizeof reason);
    char box[1200];
    std::snprintf(box, sizeof box, reason[0] ? "%s\n\n%s" : "%s", message, reason);
    show_error(box, nullptr);
}

// Returns the exit status.
int DemoDriver()
{
    InitList* initList = nullptr;
    static BuildReport report; // 4 KB: not on the stack of a program that may run on a small one
    switch (session_start(&initList, report)) {
    case SessionStart::Built:
        break;
    case SessionStart::NoArena:
        std::fputs("vigil: cannot reserve the 128 MiB arena\n", stderr);
        return 1;
    case SessionStart::InterfaceFailed:
        show_build_failure("InitScriptInterface failed", report);
        return 1;
    case SessionStart::ScriptFailed:
        arena_release();
        show_build_failure("script_init_init/script_init failed", report);
        return 1;
    }

    Answer answer = ask_yes_no("Fullscreen?", nullptr);
    if (answer == Answer::CannotAsk) {
        arena_release();
        return 1;
    }
    bool letterbox = open_window(answer == Answer::Yes);
    // Without a context every GL call (the first texture an init routine
    // makes) would crash: stop before any reaches the driver.
    if (const char* reason = gl_window_failure()) {
        std::fprintf(stderr, "vigil: no OpenGL context could be made: %s\n", reason);
        destroy_gl_window();
        arena_release();
        return 1;
    }
    glViewport(0, 0, PICTURE_WIDTH, letterbox ? LETTERBOX_HEIGHT : PICTURE_HEIGHT);

    int32_t failed = 0;
    switch (session_run_inits(initList, letterbox, session_window_hooks(), &failed)) {
    case InitPhase::Done:
        break;
    case InitPhase::Stopped:
    case InitPhase::HookFailed:
        arena_release();
        destroy_gl_window();
        return 0;
    case InitPhase::RoutineFailed: {
        destroy_gl_window();
        arena_release();
        char text[64];
        std::snprintf(text, sizeof text, "Init routine %d failed\n", failed);
        show_error(text, nullptr);
        return 1;
    }
    }
    if (g_quit) {
        arena_release();
        destroy_gl_window();
        return 0;
    }

    int status = 0;
    music_play();
    // A script without music_init never opens the stream, whose position
    // would then never leave 0: end with a message instead of waiting for ever.
    if (!music_is_open()) {
        std::fputs("vigil: the script does not open the music (no init routine \"music_init\")\n", stderr);
        status = 1;
    } else {
        while (music_time_ms() == 0 && !g_quit) {
            sleep_us(1000);
            pump_messages();
        }
        clock_reset_origin();
        pacing_init(get_refresh_rate());
        if (!g_quit)
            play(letterbox);
    }
    music_close();
    arena_release();
    destroy_gl_window();
    return status;
}

} // namespace

int run_player()
{
    return run_windowed(&DemoDriver, &key_event);
}
