// The authors' preview: `vigil --preview [--dir DIR] [--at SECONDS]`. Plays
// the demo with its music in a 1024x640 window without the "Fullscreen?"
// question, reloads the script when a data/*.conf file changes, and takes
// keys to pause, seek, loop a scene and show an overlay.
//
// One process and one window serve the whole session. A seek restores the
// nearest saved demo state of the seek table (core/seek.h) and steps the
// frames from there to the target without rasterising them, at 30 virtual
// frames a second, so the frame reached is the one a run from the beginning
// shows, whatever was played before. A change to a file is read once and
// that text is checked and built: when it fails at any point before its
// first frame (it does not parse or resolve, it lacks music_init, an init
// routine fails), the last good script plays on and the diagnostics, with
// file and line, go to standard error and into the window. A script whose
// init list is unchanged is rebuilt in place of the old one; a changed init
// list runs the init routines again in the same window, after their
// textures and memory were given back.
// Depends on the driver's pieces (window, init runner, frame loop, music).
#pragma once
#include <cstdint>
#include <string>

struct PreviewOptions {
    int32_t atMs = 0;         // music position to start at
    bool paused = false;      // start paused on the frame at atMs
    bool loop = false;        // loop the scene playing at atMs
    bool overlay = false;     // show the overlay
    double since = -1.0;      // monotonic_seconds() of the request that led here; <0: none (kept for scripts)
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
