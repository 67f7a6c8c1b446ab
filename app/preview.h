// The authors' preview: `vigil --preview [--dir DIR] [--at SECONDS]`. Plays
// the demo with its music in a 1024x640 window without the "Fullscreen?"
// question, reloads the script when a data/*.conf file changes, and takes
// keys to pause, seek, loop a scene and show an overlay.
//
// Every seek and every reload starts the program afresh at the target music
// position (restart_program of platform/process.h): the new run builds the
// script, runs the init routines, steps every frame before the target
// without rasterising it (frame_skip, at 30 virtual frames a second) and
// plays on from there. A fresh process is the one state every routine's
// clocks, the random sequence, the arena and the GL objects are known to
// start from, so the frame reached is the one a run from the beginning
// shows, whatever was played before; and a reload allocates nothing in the
// running process, whose arena never frees. A changed script is first built
// in a throwaway copy of the process (run_isolated): when it does not build,
// the last good script plays on and the diagnostics, with file and line, go
// to standard error and into the window.
// Depends on the driver's pieces (window, init runner, frame loop, music).
#pragma once
#include <cstdint>
#include <string>

struct PreviewOptions {
    int32_t atMs = 0;         // music position to start at
    bool paused = false;      // start paused on the frame at atMs
    bool loop = false;        // loop the scene playing at atMs
    bool overlay = false;     // show the overlay
    double since = -1.0;      // monotonic_seconds() of the request that led here; <0: none
};

// Virtual frames per second of the seeks' re-simulation.
constexpr int32_t PREVIEW_SEEK_FPS = 30;

// Parses the arguments after "--preview" (argv[first] on). `dir` receives
// --dir's value. False with a message on bad usage.
bool parse_preview_options(int argc, char** argv, int first, PreviewOptions& options, std::string& dir,
                           std::string& error);
// Runs the preview in the current directory; returns the exit status: 0 when
// the user quit, 1 after a failure message.
int run_preview(const PreviewOptions& options);

// Builds the script from the data/*.conf files of the current directory,
// appending every diagnostic, prefixed with its file and line where known,
// to `output`. 1 when it builds, else 0.
int check_script(std::string& output);
