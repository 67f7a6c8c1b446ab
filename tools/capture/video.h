// Video output of the capture tool: raw RGB frames piped into the ffmpeg
// program, with the decoded soundtrack (or silence) as the audio track cut to
// the same span, encoded as H.264 and AAC in an MP4 file.
// The audio goes to ffmpeg as a WAV file without a name (O_TMPFILE in
// $TMPDIR, or a temporary file unlinked as soon as it is made), passed as
// its descriptor 3: no end of the capture, not even SIGKILL, can leave it
// behind. Every wait on ffmpeg (a full pipe, its end) notices the capture's
// stop request (interrupt.h) within a tenth of a second.
// State: ffmpeg's process and the pipe to it, while open.
#pragma once
#include <cstdint>
#include <string>
#include <sys/types.h>

class VideoWriter {
public:
    // Abandons an unfinished video (see abandon()).
    ~VideoWriter();
    // Starts ffmpeg for `seconds` of video from `startSeconds` of the demo.
    // False with a message, or without one when the capture was asked to
    // stop meanwhile.
    bool open(const std::string& file, int width, int height, int fps, double startSeconds, double seconds);
    bool is_open() const { return ffmpeg > 0; }
    // False with a message when ffmpeg no longer takes frames, or without
    // one when the capture was asked to stop.
    bool write_frame(const uint8_t* rgb, size_t bytes);
    // Ends the video and waits for ffmpeg to finish the file; false when it
    // failed or the capture was asked to stop meanwhile (the video is then
    // abandoned).
    bool close();
    // Ends ffmpeg (SIGKILL) and reaps it, and removes the unfinished video
    // when it is a regular file: an MP4 is only whole once ffmpeg has
    // written its index at the end, so a cut one does not play. Says so on
    // standard error. Nothing when no ffmpeg runs.
    void abandon();

private:
    pid_t ffmpeg = -1;
    int frames = -1; // the pipe to ffmpeg's standard input, non-blocking
    std::string file;
    size_t frameBytes = 0;
};
