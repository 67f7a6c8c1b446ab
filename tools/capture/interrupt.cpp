// vigil-capture's stop request (see interrupt.h): one flag, set by the
// handler of SIGINT, SIGTERM and SIGHUP.
#include "tools/capture/interrupt.h"

#include <csignal>
#include <cstdio>
#include <initializer_list>

namespace {

// The signal that asked to stop; written by the handler only.
volatile sig_atomic_t s_stop_signal = 0;

void on_stop_signal(int sig)
{
    if (s_stop_signal != 0) {
        // The second request: end at once, by the signal itself.
        signal(sig, SIG_DFL);
        raise(sig);
        return;
    }
    s_stop_signal = sig;
}

} // namespace

void capture_signals_install()
{
    struct sigaction action{};
    action.sa_handler = &on_stop_signal;
    sigemptyset(&action.sa_mask);
    // SA_RESTART keeps the libraries' own blocking calls unaware of the
    // signal; the capture's own waits poll with a timeout (poll and
    // nanosleep are never restarted), so they notice the flag all the same,
    // also when the signal is delivered to another thread (Mesa's).
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal ignored by whoever started the capture stays ignored
        // (nohup, a shell's background job): that is their choice.
        struct sigaction current{};
        if (sigaction(sig, nullptr, &current) == 0 && current.sa_handler == SIG_IGN)
            continue;
        sigaction(sig, &action, nullptr);
    }
    signal(SIGPIPE, SIG_IGN);
}

int capture_interrupted()
{
    return s_stop_signal;
}

const char* capture_signal_name(int sig)
{
    switch (sig) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    }
    static char text[24];
    std::snprintf(text, sizeof text, "signal %d", sig);
    return text;
}
