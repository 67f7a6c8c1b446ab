// The window, GL context, display modes, events and message boxes on SDL2.
// SDL key codes are translated to virtual-key codes and handed, with quit
// requests, to the program's input sink (platform/input.h).
// Owns the process's exit guard too: whatever ends the program after a
// display-mode change, the desktop mode is put back. The normal end and
// exit() on the main thread restore it through SDL; anything else (a
// signal, SIGKILL, a crash on any thread, a hang killed from outside) is
// left to the display-mode guardian (mode_guardian.h), a process of its own,
// so that no signal handler here ever calls SDL or Xlib.
#include "platform/dialog.h"
#include "platform/window.h"

#include "platform/gl.h"
#include "platform/input.h"
#include "platform/shared/display.h"
#include "platform/shared/refresh_rate.h"
#include "platform/sdl/mode_guardian.h"

#include <SDL.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

const char* const DEFAULT_CAPTION = "This window is for sale";

namespace {

// A mode read from the system whose rate SDL does not know; it must still
// differ from a request's 0.
constexpr int32_t UNKNOWN_REFRESH = -1;

SDL_Window* s_window = nullptr;
SDL_GLContext s_context = nullptr;
SDL_Surface* s_icon = nullptr;
SDL_Cursor* s_cursor = nullptr;

// Exit guard. A window whose frame or init loop polls the quit flag exists.
volatile sig_atomic_t s_window_alive = 0;
// A terminating signal already asked the loops to end.
// Lock-free, so that of two signals handled at once on two threads exactly
// one asks the loops to end and the other ends the process.
std::atomic<int> s_quit_signalled{0};
static_assert(std::atomic<int>::is_always_lock_free);
// A message box is being shown (SDL shows it from a child process).
volatile sig_atomic_t s_box_open = 0;
pid_t s_main_pid = 0;

// Every signal whose default action ends the process, but SIGPIPE (ignored)
// and SIGKILL and SIGSTOP (which nothing handles): those that just end it,
// and those that dump a core. SIGQUIT dumps a core too, but it is how a
// terminal asks a program to end.
constexpr int TERMINATING_SIGNALS[] = {SIGINT,  SIGTERM,   SIGHUP,  SIGQUIT, SIGUSR1, SIGUSR2,
                                       SIGALRM, SIGVTALRM, SIGPROF, SIGPWR,  SIGIO};
constexpr int CRASH_SIGNALS[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL, SIGXCPU, SIGXFSZ, SIGSYS, SIGTRAP};
struct sigaction s_previous[NSIG];

WindowPicture s_icon_picture;
WindowPicture s_cursor_picture;

SDL_Surface* make_surface(const WindowPicture& picture)
{
    if (!picture.rgba)
        return nullptr;
    return SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(picture.rgba), picture.width, picture.height,
                                              32, picture.width * 4, SDL_PIXELFORMAT_RGBA32);
}

// The window's cursor, with its hot spot at the top-left corner.
SDL_Cursor* make_cursor()
{
    SDL_Surface* surface = make_surface(s_cursor_picture);
    if (!surface)
        return nullptr;
    SDL_Cursor* cursor = SDL_CreateColorCursor(surface, 0, 0);
    SDL_FreeSurface(surface);
    return cursor;
}

// Keeps SDL's reason for the failure that create_gl_window just reported.
void note_failure()
{
    std::snprintf(g_display.failure, sizeof g_display.failure, "%s", SDL_GetError());
}

void destroy_everything()
{
    s_window_alive = 0;
    if (s_context) {
        SDL_GL_MakeCurrent(s_window, nullptr);
        SDL_GL_DeleteContext(s_context);
    }
    if (s_window)
        SDL_DestroyWindow(s_window);
    s_context = nullptr;
    s_window = nullptr;
}

// An exact display mode of that size, or the desktop's own size. SDL's
// "closest mode" must never stand in for a size the display does not offer.
bool find_exact_mode(int32_t width, int32_t height, SDL_DisplayMode* found)
{
    int display = s_window ? SDL_GetWindowDisplayIndex(s_window) : 0;
    if (display < 0)
        display = 0;
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(display, &desktop) == 0 && desktop.w == width && desktop.h == height) {
        *found = desktop;
        return true;
    }
    int count = SDL_GetNumDisplayModes(display);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(display, i, &mode) == 0 && mode.w == width && mode.h == height &&
            SDL_BITSPERPIXEL(mode.format) >= 24) {
            *found = mode;
            return true;
        }
    }
    return false;
}

// Windows virtual-key code for an SDL key, or 0.
int32_t virtual_key(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z)
        return 0x41 + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9)
        return 0x30 + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return 0x70 + (key - SDLK_F1);
    if (key >= SDLK_F13 && key <= SDLK_F16)
        return 0x7C + (key - SDLK_F13);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9)
        return 0x61 + (key - SDLK_KP_1);
    switch (key) {
    case SDLK_ESCAPE: return 0x1B;
    case SDLK_BACKSPACE: return 0x08;
    case SDLK_TAB: return 0x09;
    case SDLK_RETURN: return 0x0D;
    case SDLK_SPACE: return 0x20;
    case SDLK_PAGEUP: return 0x21;
    case SDLK_PAGEDOWN: return 0x22;
    case SDLK_END: return 0x23;
    case SDLK_HOME: return 0x24;
    case SDLK_LEFT: return 0x25;
    case SDLK_UP: return 0x26;
    case SDLK_RIGHT: return 0x27;
    case SDLK_DOWN: return 0x28;
    case SDLK_PRINTSCREEN: return 0x2C;
    case SDLK_INSERT: return 0x2D;
    case SDLK_DELETE: return 0x2E;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return 0x10;
    case SDLK_LCTRL: case SDLK_RCTRL: return 0x11;
    case SDLK_LALT: case SDLK_RALT: return 0x12;
    case SDLK_PAUSE: return 0x13;
    case SDLK_CAPSLOCK: return 0x14;
    case SDLK_KP_0: return 0x60;
    case SDLK_KP_MULTIPLY: return 0x6A;
    case SDLK_KP_PLUS: return 0x6B;
    case SDLK_KP_MINUS: return 0x6D;
    case SDLK_KP_PERIOD: return 0x6E;
    case SDLK_KP_DIVIDE: return 0x6F;
    case SDLK_NUMLOCKCLEAR: return 0x90;
    case SDLK_SCROLLLOCK: return 0x91;
    default: return 0;
    }
}

// Ends the process by `sig`, handled by the action in force (the default,
// or whoever handled it before us, such as a sanitizer), so that the exit
// status shows the signal; by the default action when that one returns.
[[noreturn]] void die_by(int sig)
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    raise(sig);
    signal(sig, SIG_DFL);
    raise(sig);
    _exit(128 + sig);
}

struct sigaction default_action()
{
    struct sigaction action{};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    return action;
}

// The faults that the kernel raises on the instruction that caused them:
// that instruction runs again when the handler returns.
bool is_fault(int sig)
{
    return sig == SIGSEGV || sig == SIGBUS || sig == SIGFPE || sig == SIGILL;
}

// The signals whose default action ends the process. While a window exists,
// its loops poll the quit flag, so the first one ends the demo through the
// normal shutdown (which restores the mode with the usual care). Before that
// (the question box, the script's loading) or at a second signal, the
// process ends at once by the signal's default action; the guardian puts
// the desktop's mode back. Nothing here calls SDL or Xlib: the interrupted
// code may hold their locks.
void on_terminating_signal(int sig)
{
    if (s_window_alive && s_quit_signalled.exchange(1) == 0) {
        input_quit();
        return;
    }
    guardian_restore_now();
    struct sigaction action = default_action();
    sigaction(sig, &action, nullptr);
    die_by(sig);
}

// The core-dumping signals: the guardian is told to restore at once (a core
// dump may take a while before the process's end closes its socket), then
// the signal ends the process as it would have without us. A fault the
// kernel raised returns to its instruction with the previous action in
// force, so that the core, a debugger or a sanitizer sees the fault in its
// own context; one sent by kill() or raise() is raised again.
void on_crash_signal(int sig, siginfo_t* info, void*)
{
    guardian_restore_now();
    sigaction(sig, &s_previous[sig], nullptr);
    if (is_fault(sig) && info && info->si_code > 0)
        return;
    die_by(sig);
}

// Every child forked from the player (SDL's message box) drops its end of
// the guardian's socket, so that the player's end alone keeps the guardian
// waiting. A box must not outlive the player (a killed player would leave
// the question on the screen), and the player's handlers are not its own.
void on_fork_child()
{
    guardian_forget();
    if (!s_box_open)
        return;
    for (int sig : TERMINATING_SIGNALS)
        sigaction(sig, &s_previous[sig], nullptr);
    for (int sig : CRASH_SIGNALS)
        sigaction(sig, &s_previous[sig], nullptr);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != s_main_pid)
        _exit(1);
}

// exit() on the main thread after a mode change (arena exhaustion, an init
// routine): put the desktop mode back as restore_display_mode always does.
// exit() on another thread leaves it to the guardian: SDL's video calls
// belong to the main thread, which may be inside one.
void restore_at_exit()
{
    if (g_display.desktop || !s_window || gettid() != s_main_pid)
        return;
    restore_display_mode();
}

// The guardian, then handlers for the signals that end the program. SDL's
// own (which only post a quit event) are turned off. A signal that was
// ignored when the program started (nohup, a background job) stays ignored,
// and a terminating one that something else already handles (a profiler's
// SIGPROF) stays theirs. SIGPIPE is ignored: a write to a closed pipe (the
// reader of standard error has gone) fails with EPIPE and the demo goes on.
void install_exit_guard()
{
    s_main_pid = getpid();
    guardian_start(); // first: the process has no other thread yet
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    pthread_atfork(nullptr, nullptr, &on_fork_child);
    // A stack of its own, so that a stack overflow still reaches the handler.
    static char s_alternate_stack[256 * 1024];
    stack_t stack{};
    stack.ss_sp = s_alternate_stack;
    stack.ss_size = sizeof s_alternate_stack;
    sigaltstack(&stack, nullptr);
    struct sigaction ignore = default_action();
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, nullptr);
    for (int sig : TERMINATING_SIGNALS) {
        sigaction(sig, nullptr, &s_previous[sig]);
        if (s_previous[sig].sa_handler != SIG_DFL)
            continue;
        struct sigaction action = default_action();
        action.sa_handler = &on_terminating_signal;
        action.sa_flags = SA_RESTART;
        sigaction(sig, &action, nullptr);
    }
    for (int sig : CRASH_SIGNALS) {
        sigaction(sig, nullptr, &s_previous[sig]);
        if (s_previous[sig].sa_handler == SIG_IGN)
            continue;
        struct sigaction action = default_action();
        action.sa_sigaction = &on_crash_signal;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigaction(sig, &action, nullptr);
    }
}

} // namespace

void set_window_pictures(const WindowPicture& icon, const WindowPicture& cursor)
{
    s_icon_picture = icon;
    s_cursor_picture = cursor;
}

bool register_window_class()
{
    install_exit_guard();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "vigil: cannot open a display: %s\n", SDL_GetError());
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) {
        std::fprintf(stderr,
                     "vigil: no display to show the demo on (SDL video driver \"%s\").\n"
                     "vigil: render it offline instead, for example: vigil-capture --video demo.mp4\n",
                     driver ? driver : "none");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    s_icon = make_surface(s_icon_picture);
    s_cursor = make_cursor();
    if (s_cursor)
        SDL_SetCursor(s_cursor);
    return true;
}

void unregister_window_class()
{
    if (s_icon)
        SDL_FreeSurface(s_icon);
    if (s_cursor)
        SDL_FreeCursor(s_cursor);
    s_icon = nullptr;
    s_cursor = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool backend_create_window(int32_t width, int32_t height, int32_t, DisplayMode* current)
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    s_window = SDL_CreateWindow(DEFAULT_CAPTION, 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!s_window) {
        std::fputs("CreateWindow() failed.\n", stderr);
        note_failure();
        return false;
    }
    if (s_icon)
        SDL_SetWindowIcon(s_window, s_icon);
    s_context = SDL_GL_CreateContext(s_window);
    if (!s_context) {
        std::fputs("wglCreateContext() failed.\n", stderr);
        note_failure();
        destroy_everything();
        return false;
    }
    if (SDL_GL_MakeCurrent(s_window, s_context) != 0) {
        std::fputs("wglMakeCurrent() failed.\n", stderr);
        note_failure();
        destroy_everything();
        return false;
    }
    SDL_GL_SetSwapInterval(1);
    SDL_DisplayMode mode;
    int display = SDL_GetWindowDisplayIndex(s_window);
    if (SDL_GetCurrentDisplayMode(display < 0 ? 0 : display, &mode) != 0) {
        std::fputs("EnumDisplaySettings() failed.\n", stderr);
        note_failure();
        destroy_everything();
        return false;
    }
    // SDL reports a 32-bit desktop as 24 bits per pixel: the depth is left
    // unknown, so only the size decides whether a mode is in force.
    *current = {mode.w, mode.h, 0, mode.refresh_rate > 0 ? mode.refresh_rate : UNKNOWN_REFRESH, 0};
    s_window_alive = 1;
    return true;
}

void backend_destroy_window()
{
    destroy_everything();
}

bool backend_set_display_mode(const DisplayMode& request)
{
    SDL_DisplayMode mode;
    if (!s_window || !find_exact_mode(request.width, request.height, &mode))
        return false;
    // The guardian records the desktop's mode before anything changes it.
    guardian_arm();
    return SDL_SetWindowDisplayMode(s_window, &mode) == 0 && SDL_SetWindowFullscreen(s_window, SDL_WINDOW_FULLSCREEN) == 0;
}

bool backend_restore_display_mode()
{
    if (!s_window || SDL_SetWindowFullscreen(s_window, 0) != 0)
        return false;
    guardian_disarm();
    return true;
}

void backend_mode_changed()
{
    static bool s_restore_registered = false;
    if (!s_restore_registered)
        s_restore_registered = std::atexit(&restore_at_exit) == 0;
}

void backend_windowed_style(int32_t width, int32_t height)
{
    if (SDL_GetWindowFlags(s_window) & SDL_WINDOW_FULLSCREEN)
        SDL_SetWindowFullscreen(s_window, 0);
    SDL_SetWindowBordered(s_window, SDL_TRUE);
    SDL_SetWindowAlwaysOnTop(s_window, SDL_FALSE);
    SDL_SetWindowSize(s_window, width, height);
    SDL_SetWindowPosition(s_window, 0, 0);
    SDL_ShowWindow(s_window);
}

void backend_fullscreen_style(int32_t, int32_t, bool desktopSize)
{
    // No mode was set: cover the screen with the desktop's own mode instead.
    if (desktopSize)
        SDL_SetWindowFullscreen(s_window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    SDL_SetWindowBordered(s_window, SDL_FALSE);
    SDL_SetWindowAlwaysOnTop(s_window, SDL_TRUE);
    SDL_ShowWindow(s_window);
    SDL_ShowCursor(SDL_DISABLE);
}

int32_t get_refresh_rate()
{
    SDL_DisplayMode mode;
    int display = s_window ? SDL_GetWindowDisplayIndex(s_window) : 0;
    int32_t rate = 0;
    if (SDL_GetCurrentDisplayMode(display < 0 ? 0 : display, &mode) == 0)
        rate = mode.refresh_rate;
    return refresh_rate_from_reported(rate);
}

void swap_buffers()
{
    if (s_window)
        SDL_GL_SwapWindow(s_window);
}

int32_t pump_messages()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_QUIT:
            input_quit();
            return 0;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE)
                input_quit();
            else if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                glViewport(0, 0, event.window.data1, event.window.data2);
            break;
        case SDL_KEYDOWN:
            if (!event.key.repeat)
                input_key(virtual_key(event.key.keysym.sym), true);
            break;
        case SDL_KEYUP:
            input_key(virtual_key(event.key.keysym.sym), false);
            break;
        default:
            break;
        }
    }
    return 0;
}

Answer ask_yes_no(const char* text, const char* caption)
{
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
    };
    SDL_MessageBoxData box{SDL_MESSAGEBOX_INFORMATION, nullptr, caption ? caption : DEFAULT_CAPTION, text,
                           2, buttons, nullptr};
    // A box that fails is asked again; one that keeps failing never will
    // show, and asking for ever would hang the program.
    for (int attempt = 0; attempt < 50; ++attempt) {
        int pressed = -1;
        s_box_open = 1;
        int shown = SDL_ShowMessageBox(&box, &pressed);
        s_box_open = 0;
        if (shown == 0 && (pressed == 0 || pressed == 1))
            return pressed == 1 ? Answer::Yes : Answer::No;
        SDL_Delay(1);
    }
    std::fprintf(stderr, "vigil: cannot ask \"%s\": %s\n", text, SDL_GetError());
    return Answer::CannotAsk;
}

void show_error(const char* text, const char* caption)
{
    std::fprintf(stderr, "vigil: %s%s", text, text[0] && text[std::strlen(text) - 1] == '\n' ? "" : "\n");
    s_box_open = 1;
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption ? caption : DEFAULT_CAPTION, text, nullptr);
    s_box_open = 0;
}
