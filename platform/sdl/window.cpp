// The window, GL context, display modes, events and message boxes on SDL2.
// SDL key codes are translated to virtual-key codes and handed, with quit
// requests, to the program's input sink (platform/input.h).
// Owns the process's exit guard too: whatever ends the program after a
// display-mode change (a normal end, exit(), a terminating or crash signal),
// the desktop mode is put back first.
#include "platform/dialog.h"
#include "platform/window.h"

#include "platform/gl.h"
#include "platform/input.h"
#include "platform/shared/display.h"
#include "platform/shared/refresh_rate.h"

#include <SDL.h>

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
volatile sig_atomic_t s_quit_signalled = 0;
// A message box is being shown (SDL shows it from a child process).
volatile sig_atomic_t s_box_open = 0;
// The restore from a signal handler or exit() has begun.
volatile sig_atomic_t s_last_restore_begun = 0;
// The signal being handled when the restore hangs.
volatile sig_atomic_t s_dying_signal = 0;
pid_t s_main_pid = 0;

constexpr int TERMINATING_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int CRASH_SIGNALS[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};
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

// Puts the desktop mode back from a signal handler: no stdio, no sleep.
// SDL and Xlib are not async-signal-safe, so this is a best effort; the
// caller bounds it with an alarm in case it waits on a lock that the
// interrupted code holds.
void restore_from_signal()
{
    if (g_display.desktop || !s_window || s_last_restore_begun)
        return;
    s_last_restore_begun = 1;
    static const char LINE[] = "*** calling ChangeDisplaySettings to restore!\n";
    if (write(STDERR_FILENO, LINE, sizeof LINE - 1) < 0) {
        // Nothing to do: the restore matters more than the line.
    }
    SDL_SetWindowFullscreen(s_window, 0);
    g_display.desktop = 1;
}

// Ends the process by `sig` handled by `action` (the default, or whoever
// handled it before us, such as a sanitizer), so that the exit status shows
// the signal.
[[noreturn]] void die_by(int sig, const struct sigaction& action)
{
    sigaction(sig, &action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    raise(sig);
    _exit(128 + sig); // only when a previous handler returned
}

struct sigaction default_action()
{
    struct sigaction action{};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    return action;
}

// The restore hung: end by the signal being handled all the same.
void on_restore_timeout(int)
{
    die_by(s_dying_signal, default_action());
}

[[noreturn]] void restore_and_die(int sig, const struct sigaction& action)
{
    s_dying_signal = sig;
    struct sigaction timeout = default_action();
    timeout.sa_handler = &on_restore_timeout;
    sigaction(SIGALRM, &timeout, nullptr);
    alarm(2);
    restore_from_signal();
    die_by(sig, action);
}

// SIGINT, SIGTERM, SIGHUP, SIGQUIT. While a window exists, its loops poll the
// quit flag, so the first signal ends the demo through the normal shutdown
// (which restores the mode with the usual care). Before that (the question
// box, the script's loading) or at a second signal, the process ends at once.
void on_terminating_signal(int sig)
{
    if (s_window_alive && !s_quit_signalled) {
        s_quit_signalled = 1;
        input_quit();
        return;
    }
    restore_and_die(sig, default_action());
}

// SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL: restore, then let the signal end
// the process as it would have without us.
void on_crash_signal(int sig)
{
    restore_and_die(sig, s_previous[sig]);
}

// A process forked while a message box is open is SDL's box: it must not
// outlive the player (a killed player would leave the question on the
// screen), and the player's handlers are not its own.
void on_fork_child()
{
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

// exit() anywhere (arena exhaustion, a library's fatal error) after a mode
// change: put the desktop mode back as restore_display_mode always does.
void restore_at_exit()
{
    if (g_display.desktop || !s_window || s_last_restore_begun)
        return;
    s_last_restore_begun = 1;
    restore_display_mode();
}

// Handlers for the signals that end the program. SDL's own (which only post a
// quit event) are turned off; a terminating signal that was ignored when the
// program started (nohup, a background job) stays ignored.
void install_exit_guard()
{
    s_main_pid = getpid();
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    pthread_atfork(nullptr, nullptr, &on_fork_child);
    // A stack of its own, so that a stack overflow still reaches the handler.
    static char s_alternate_stack[256 * 1024];
    stack_t stack{};
    stack.ss_sp = s_alternate_stack;
    stack.ss_size = sizeof s_alternate_stack;
    sigaltstack(&stack, nullptr);
    for (int sig : TERMINATING_SIGNALS) {
        sigaction(sig, nullptr, &s_previous[sig]);
        if (s_previous[sig].sa_handler == SIG_IGN)
            continue;
        struct sigaction action = default_action();
        action.sa_handler = &on_terminating_signal;
        action.sa_flags = SA_RESTART;
        sigaction(sig, &action, nullptr);
    }
    for (int sig : CRASH_SIGNALS) {
        struct sigaction action = default_action();
        action.sa_handler = &on_crash_signal;
        action.sa_flags = SA_ONSTACK;
        sigaction(sig, &action, &s_previous[sig]);
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
    return SDL_SetWindowDisplayMode(s_window, &mode) == 0 && SDL_SetWindowFullscreen(s_window, SDL_WINDOW_FULLSCREEN) == 0;
}

bool backend_restore_display_mode()
{
    return s_window && SDL_SetWindowFullscreen(s_window, 0) == 0;
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
