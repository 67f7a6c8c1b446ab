// Video output of the capture tool: raw RGB frames piped into the ffmpeg
// program, with the decoded soundtrack (or silence) as the audio track cut to
// the same span, encoded as H.264 and AAC in an MP4 file.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class VideoWriter {
public:
    ~VideoWriter();
    // Starts ffmpeg for `seconds` of video from `startSeconds` of the demo.
    bool open(const std::string& file, int width, int height, int fps, double startSeconds, double seconds);
    bool is_open() const { return ffmpeg != nullptr; }
    bool write_frame(const uint8_t* rgb, size_t bytes);
    // Waits for ffmpeg; false when it failed.
    bool close();

private:
    FILE* ffmpeg = nullptr;
    std::string audioFile;
    size_t frameBytes = 0;
};
