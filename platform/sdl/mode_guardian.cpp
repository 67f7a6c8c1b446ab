// The display-mode guardian (see mode_guardian.h): the player's side of the
// socket and the guardian process itself, on Xlib and RandR 1.2.
// Protocol, one byte at a time from the player: 'A' arm (the guardian
// records the desktop's mode unless it holds one, and answers 'R', or 'O'
// when it cannot open the display, 'N' when the display has no RandR 1.2),
// 'D' disarm (the player restored the mode itself), 'E' the player is going
// down. End of file or 'E' while armed: the guardian restores and exits;
// while idle it just exits.
// Why fork early and not fork+exec: the player is one file with no helper
// program to exec, and before SDL starts there is only the main thread, so
// the child owns every lock it inherits and may use Xlib freely.
#include "platform/sdl/mode_guardian.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// How long the player waits for the guardian to record the desktop's mode.
constexpr int ARM_TIMEOUT_MS = 5000;
constexpr int MAX_CRTCS = 32;
constexpr int MAX_OUTPUTS = 16;
// The guardian's end of the socket, once it has moved there.
constexpr int GUARDIAN_FD = 3;

// The player's side.
int s_socket = -1;
pid_t s_guardian = 0;
volatile sig_atomic_t s_armed = 0;

// One CRTC as the desktop had it.
struct CrtcState {
    RRCrtc crtc;
    RRMode mode;
    int x, y;
    Rotation rotation;
    int outputCount;
    RROutput outputs[MAX_OUTPUTS];
};

// The desktop's mode, as the guardian recorded it on arming.
struct DesktopMode {
    int width, height, widthMm, heightMm;
    int crtcCount;
    CrtcState crtcs[MAX_CRTCS];
};

// ---- The guardian process ------------------------------------------------

int s_x_errors = 0;

// X errors (a CRTC refused, a mode gone) are counted, never fatal: the
// other CRTCs are still worth restoring.
int on_x_error(Display*, XErrorEvent*)
{
    ++s_x_errors;
    return 0;
}

// The display went away: there is nothing left to restore.
int on_x_io_error(Display*)
{
    _exit(0);
}

void say(const char* line)
{
    if (write(STDERR_FILENO, line, std::strlen(line)) < 0) {
        // Standard error is gone (its reader ended): the restore is what matters.
    }
}

// Opens the display and records its mode: 'R', or the reason it cannot.
char record(Display** opened, DesktopMode* desktop)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 'O';
    XSetErrorHandler(&on_x_error);
    XSetIOErrorHandler(&on_x_io_error);
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) || !XRRQueryVersion(display, &major, &minor) ||
        major < 1 || (major == 1 && minor < 2)) {
        XCloseDisplay(display);
        return 'N';
    }
    Window root = DefaultRootWindow(display);
    int screen = DefaultScreen(display);
    desktop->width = DisplayWidth(display, screen);
    desktop->height = DisplayHeight(display, screen);
    desktop->widthMm = DisplayWidthMM(display, screen);
    desktop->heightMm = DisplayHeightMM(display, screen);
    desktop->crtcCount = 0;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
    if (!resources) {
        XCloseDisplay(display);
        return 'N';
    }
    for (int i = 0; i < resources->ncrtc && desktop->crtcCount < MAX_CRTCS; ++i) {
        XRRCrtcInfo* info = XRRGetCrtcInfo(display, resources, resources->crtcs[i]);
        if (!info)
            continue;
        CrtcState& crtc = desktop->crtcs[desktop->crtcCount++];
        crtc.crtc = resources->crtcs[i];
        crtc.mode = info->mode;
        crtc.x = info->x;
        crtc.y = info->y;
        crtc.rotation = info->rotation;
        crtc.outputCount = info->noutput < MAX_OUTPUTS ? info->noutput : MAX_OUTPUTS;
        for (int o = 0; o < crtc.outputCount; ++o)
            crtc.outputs[o] = info->outputs[o];
        XRRFreeCrtcInfo(info);
    }
    XRRFreeScreenResources(resources);
    *opened = display;
    return 'R';
}

bool same_config(const XRRCrtcInfo& info, const CrtcState& saved)
{
    if (info.mode != saved.mode || info.x != saved.x || info.y != saved.y || info.rotation != saved.rotation ||
        info.noutput != saved.outputCount)
        return false;
    for (int o = 0; o < saved.outputCount; ++o)
        if (info.outputs[o] != saved.outputs[o])
            return false;
    return true;
}

// Puts the recorded mode back as xrandr would: the CRTCs that do not fit in
// the desktop's screen size go off, the screen takes its size, then every
// CRTC that differs gets its recorded configuration. Under a server grab,
// so that no client sees the steps between.
void restore(Display* display, const DesktopMode& desktop)
{
    Window root = DefaultRootWindow(display);
    XGrabServer(display);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
    int failed = resources ? 0 : 1;
    int changes = 0;
    if (resources) {
        for (int i = 0; i < resources->ncrtc; ++i) {
            XRRCrtcInfo* info = XRRGetCrtcInfo(display, resources, resources->crtcs[i]);
            if (!info)
                continue;
            if (info->mode != None && (info->x + static_cast<int>(info->width) > desktop.width ||
                                       info->y + static_cast<int>(info->height) > desktop.height)) {
                ++changes;
                failed += XRRSetCrtcConfig(display, resources, resources->crtcs[i], CurrentTime, 0, 0, None, RR_Rotate_0,
                                           nullptr, 0) != RRSetConfigSuccess;
            }
            XRRFreeCrtcInfo(info);
        }
        Window rootReturn;
        int x, y;
        unsigned width = 0, height = 0, border, depth;
        XGetGeometry(display, root, &rootReturn, &x, &y, &width, &height, &border, &depth);
        if (static_cast<int>(width) != desktop.width || static_cast<int>(height) != desktop.height) {
            ++changes;
            XRRSetScreenSize(display, root, desktop.width, desktop.height, desktop.widthMm, desktop.heightMm);
        }
        for (int i = 0; i < desktop.crtcCount; ++i) {
            const CrtcState& saved = desktop.crtcs[i];
            XRRCrtcInfo* info = XRRGetCrtcInfo(display, resources, saved.crtc);
            if (info && same_config(*info, saved)) {
                XRRFreeCrtcInfo(info);
                continue;
            }
            if (info)
                XRRFreeCrtcInfo(info);
            ++changes;
            failed += XRRSetCrtcConfig(display, resources, saved.crtc, CurrentTime, saved.x, saved.y, saved.mode,
                                       saved.rotation, const_cast<RROutput*>(saved.outputs),
                                       saved.outputCount) != RRSetConfigSuccess;
        }
        XRRFreeScreenResources(resources);
    }
    XUngrabServer(display);
    XSync(display, False);
    if (failed || s_x_errors) {
        say("vigil: the display mode guardian could not put the desktop's mode back entirely\n");
        return;
    }
    if (changes == 0)
        return; // the desktop's mode was in force: nothing to say
    char line[160];
    std::snprintf(line, sizeof line, "vigil: the player ended in the demo's display mode; the guardian put the desktop's %dx%d back\n",
                  desktop.width, desktop.height);
    say(line);
}

// A process of its own from here on: no signal handler, blocked signal, open
// file or terminal job of the player's. setsid: a Ctrl-C on the terminal or
// a kill of the player's process group does not reach it, and it never
// holds the terminal's job; standard error stays for its one line.
void detach(int fd)
{
    setsid();
    prctl(PR_SET_NAME, "vigil-guardian");
    for (int sig = 1; sig < NSIG; ++sig)
        signal(sig, SIG_DFL);
    signal(SIGPIPE, SIG_IGN);
    sigset_t all;
    sigemptyset(&all);
    sigprocmask(SIG_SETMASK, &all, nullptr);
    if (fd != GUARDIAN_FD) {
        dup2(fd, GUARDIAN_FD);
        close(fd);
    }
    if (close_range(GUARDIAN_FD + 1, ~0U, 0) != 0)
        for (int other = GUARDIAN_FD + 1; other < 1024; ++other)
            close(other);
    int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        if (null > GUARDIAN_FD)
            close(null);
    }
}

[[noreturn]] void guardian_main(int fd)
{
    detach(fd);
    Display* display = nullptr;
    static DesktopMode s_desktop;
    for (;;) {
        char command = 0;
        ssize_t got = read(GUARDIAN_FD, &command, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || command == 'E') {
            if (display)
                restore(display, s_desktop);
            _exit(0);
        }
        if (command == 'A') {
            char answer = display ? 'R' : record(&display, &s_desktop);
            if (write(GUARDIAN_FD, &answer, 1) != 1)
                _exit(0);
        } else if (command == 'D' && display) {
            XCloseDisplay(display);
            display = nullptr;
        }
    }
}

// ---- The player's side ---------------------------------------------------

// Only the main thread runs: /proc/self/task lists one thread.
bool single_threaded()
{
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks)
        return false;
    int count = 0;
    while (dirent* entry = readdir(tasks))
        if (entry->d_name[0] != '.')
            ++count;
    closedir(tasks);
    return count == 1;
}

void stop_guardian()
{
    close(s_socket);
    s_socket = -1;
    if (s_guardian > 0) {
        kill(s_guardian, SIGKILL);
        waitpid(s_guardian, nullptr, 0);
    }
    s_guardian = 0;
}

} // namespace

bool guardian_start()
{
    if (s_socket >= 0)
        return true;
    if (!single_threaded())
        return false;
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
    pid_t pid = fork();
    if (pid < 0) {
        close(ends[0]);
        close(ends[1]);
        return false;
    }
    if (pid == 0) {
        close(ends[0]);
        guardian_main(ends[1]);
    }
    close(ends[1]);
    s_socket = ends[0];
    s_guardian = pid;
    return true;
}

bool guardian_arm()
{
    if (s_armed)
        return true;
    const char* reason = "it could not be started";
    if (s_socket >= 0) {
        reason = "it does not answer";
        char answer = 0;
        pollfd wait{s_socket, POLLIN, 0};
        if (send(s_socket, "A", 1, MSG_NOSIGNAL) == 1 && poll(&wait, 1, ARM_TIMEOUT_MS) == 1 &&
            recv(s_socket, &answer, 1, 0) == 1) {
            if (answer == 'R') {
                s_armed = 1;
                return true;
            }
            reason = answer == 'O' ? "it cannot open the display" : "the display has no RandR 1.2";
        } else {
            // Never let a late answer arm it behind the player's back.
            stop_guardian();
        }
    }
    std::fprintf(stderr, "vigil: the display mode guardian is not there (%s): a killed player would leave the demo's mode\n",
                 reason);
    return false;
}

void guardian_disarm()
{
    if (!s_armed)
        return;
    s_armed = 0;
    if (send(s_socket, "D", 1, MSG_NOSIGNAL) != 1)
        stop_guardian();
}

void guardian_restore_now()
{
    if (s_armed && s_socket >= 0 && send(s_socket, "E", 1, MSG_NOSIGNAL | MSG_DONTWAIT) == 1)
        s_armed = 0;
}

void guardian_forget()
{
    if (s_socket >= 0)
        close(s_socket);
    s_socket = -1;
    s_armed = 0;
}
