// Routines of the end-to-end tests, linked into a test build of the player
// (vigil-test-player) and of the capture tool (vigil-test-capture). They
// draw simple, recognisable frames and let the tests provoke failures.
//   tone_music_init  init: makes a 2.5 s tone and opens it as the music
//   ok_init          init: succeeds
//   fail_init        init: fails
//   fill_red, fill_green, fill_blue  per-frame: clear the screen to a colour
//   slow_init        init: takes half a second
//   show_dt          per-frame: clears to red when its time step is 0, else
//                    to green
//   say_frames       per-frame: prints "frame" on standard error once, so the
//                    tests can tell whether the frame loop ran
//   exit_init        init: ends the process with exit(1), as the arena does
//                    when it runs out
//   segv_init, abort_init, bus_init  init: die by SIGSEGV (a real fault),
//                    SIGABRT (abort()) and SIGBUS
//   segv_thread_init init: a thread of its own dies by SIGSEGV (a real fault)
//                    while the main thread waits for it
//   segv_in_x_lock   per-frame: another thread takes the player's X display
//                    lock (XLockDisplay) and keeps it, as the software
//                    renderer's swap holds it through XSync; then the main
//                    thread faults (SIGSEGV). Any Xlib call the player made
//                    from then on would wait for ever.
#include "core/clock.h"
#include "core/music.h"
#include "platform/gl.h"
#include "script/functable.h"
#include "tools/common/mp3_writer.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

std::vector<uint8_t> s_tone;

int32_t tone_music_init()
{
    const int64_t frames = 44100 * 5 / 2;
    std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2);
    for (int64_t i = 0; i < frames; ++i) {
        auto sample = static_cast<int16_t>(6000 * std::sin(2 * 3.14159265358979 * 220.0 * i / 44100));
        pcm[i * 2] = pcm[i * 2 + 1] = sample;
    }
    if (!encode_mp3(pcm.data(), frames, Mp3Options{}, &s_tone))
        return 0;
    music_set_source(s_tone.data(), static_cast<int32_t>(s_tone.size()));
    return music_init();
}

int32_t ok_init()
{
    return 1;
}

int32_t fail_init()
{
    return 0;
}

int32_t slow_init()
{
    sleep_us(500000);
    return 1;
}

int32_t exit_init()
{
    std::exit(1);
}

int32_t segv_init()
{
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
    return 0;
}

int32_t segv_thread_init()
{
    std::thread([] {
        volatile int* volatile nowhere = nullptr;
        *nowhere = 1;
    }).join();
    return 0;
}

int32_t abort_init()
{
    std::abort();
}

int32_t bus_init()
{
    std::raise(SIGBUS);
    return 0;
}

void segv_in_x_lock(int32_t, int32_t, double, double)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
        std::fputs("segv_in_x_lock: the window has no X display\n", stderr);
        std::exit(2);
    }
    Display* display = info.info.x11.display;
    static std::atomic<bool> s_locked{false};
    std::thread([display] {
        XLockDisplay(display);
        s_locked = true;
        for (;;)
            pause();
    }).detach();
    while (!s_locked)
        sleep_us(1000);
    std::fputs("the X display is locked\n", stderr);
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}

void say_frames(int32_t, int32_t, double, double)
{
    static bool s_said = false;
    if (!s_said)
        std::fputs("frame\n", stderr);
    s_said = true;
}

void clear_to(float r, float g, float b)
{
    glClearColor(r, g, b, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void fill_red(int32_t, int32_t, double, double) { clear_to(1, 0, 0); }
void fill_green(int32_t, int32_t, double, double) { clear_to(0, 1, 0); }
void fill_blue(int32_t, int32_t, double, double) { clear_to(0, 0, 1); }

void show_dt(int32_t, int32_t, double, double dt)
{
    if (dt == 0.0)
        clear_to(1, 0, 0);
    else
        clear_to(0, 1, 0);
}

FuncTableEntry s_entries[] = {
    {"tone_music_init", as_routine(&tone_music_init)},
    {"ok_init", as_routine(&ok_init)},
    {"fail_init", as_routine(&fail_init)},
    {"fill_red", as_routine(&fill_red)},
    {"fill_green", as_routine(&fill_green)},
    {"fill_blue", as_routine(&fill_blue)},
    {"slow_init", as_routine(&slow_init)},
    {"say_frames", as_routine(&say_frames)},
    {"show_dt", as_routine(&show_dt)},
    {"exit_init", as_routine(&exit_init)},
    {"segv_init", as_routine(&segv_init)},
    {"abort_init", as_routine(&abort_init)},
    {"bus_init", as_routine(&bus_init)},
    {"segv_thread_init", as_routine(&segv_thread_init)},
    {"segv_in_x_lock", as_routine(&segv_in_x_lock)},
};

const bool s_registered = [] {
    for (FuncTableEntry& entry : s_entries)
        FuncTable_AddFunc(&entry);
    return true;
}();

} // namespace
