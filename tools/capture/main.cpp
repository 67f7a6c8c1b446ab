// vigil-capture's entry point: command line and working directory.
#include "effects/registration.h"
#include "tools/capture/capture.h"
#include "tools/capture/interrupt.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

static const char* const USAGE =
    "usage: vigil-capture [--dir DIR] [--fps N] [--from S] [--to S] [--frames OUTDIR] [--loading OUTDIR]\n"
    "                     [--video FILE.mp4] [--contact-sheet FILE.png [--every S]] [--letterbox] [--check]\n"
    "                     [--log] [--bench]\n"
    "  --dir DIR         working directory holding data/*.conf (default: current directory)\n"
    "  --fps N           frames per second (default 30)\n"
    "  --from S, --to S  write the frames with from <= T < to, in seconds\n"
    "  --frames OUTDIR   write OUTDIR/frame_NNNNNN.png\n"
    "  --loading OUTDIR  write OUTDIR/loading_NNN.png after each init routine\n"
    "  --video FILE      write an H.264 + AAC MP4 with the soundtrack (needs ffmpeg)\n"
    "  --contact-sheet FILE  draw one frame every S seconds (--every, default 4) into one PNG with its time\n"
    "  --letterbox       render the 1024x768 letterbox configuration\n"
    "  --check           build the script only and report every diagnostic with file and line\n"
    "  --log             print the diagnostic log to standard error\n"
    "  --bench           print frame times per scene\n"
    "  --help, -h        this text\n"
    "At least one of --frames, --video, --contact-sheet, --loading, --check and --bench is needed.\n";

int main(int argc, char** argv)
{
    register_routines();
    CaptureOptions options;
    std::string error;
    if (!parse_capture_options(argc, argv, options, error)) {
        std::fprintf(stderr, "vigil-capture: %s\n%s", error.c_str(), USAGE);
        return 2;
    }
    if (options.help) {
        std::fputs(USAGE, stdout);
        return 0;
    }
    // SIGINT, SIGTERM and SIGHUP stop the capture cleanly; SIGPIPE is
    // ignored, so a dying ffmpeg gives a message, not a silent death. SDL
    // must leave these handlers alone: its own only queue a quit event,
    // which the capture never reads.
    capture_signals_install();
    setenv("SDL_NO_SIGNAL_HANDLERS", "1", 1);
    // The demo's init routines may open the music: keep it silent here.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!options.dir.empty()) {
        std::error_code failed;
        fs::current_path(options.dir, failed);
        if (failed) {
            std::fprintf(stderr, "vigil-capture: cannot enter %s: %s\n", options.dir.c_str(), failed.message().c_str());
            return 2;
        }
    }
    return run_capture(options);
}
