// vigil-capture: options, the capture run and its soundtrack access.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct CaptureOptions {
    std::string dir;        // working directory holding data/*.conf ("" = current)
    int fps = 30;
    double from = 0.0;      // write frames with from <= T < to
    double to = -1.0;       // -1: to the end of the timeline
    std::string framesDir;  // frame_NNNNNN.png
    std::string loadingDir; // loading_NNN.png
    std::string videoFile;  // MP4 through ffmpeg
    std::string sheetFile;  // contact sheet PNG: one frame every `every` seconds
    double every = 4.0;
    bool letterbox = false;
    bool check = false;
    bool log = false;
    bool bench = false;
    bool help = false;      // --help or -h: print the usage and nothing else
};

// Parses the command line; false with a message on bad usage (also when
// nothing would be written). With --help it stops there, `help` set.
bool parse_capture_options(int argc, char** argv, CaptureOptions& options, std::string& error);
// Runs the capture in the current directory; returns the exit status.
int run_capture(const CaptureOptions& options);

// The embedded soundtrack's length in ms after gapless decoding, or -1 when
// none is embedded or it does not decode.
int32_t soundtrack_length_ms();
// The embedded soundtrack decoded to 44100 Hz interleaved stereo samples
// (`frames` stereo frames); null when none is embedded or it does not decode.
const int16_t* soundtrack_pcm(int64_t* frames);
