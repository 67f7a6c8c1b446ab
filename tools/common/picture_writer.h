// Picture writers for the tools and the tests: JPEG through libjpeg-turbo,
// GIF through giflib and PNG through libpng, each into a byte vector, and a
// helper that saves such a vector as a file. Pixels are given top row first,
// 8 bits per sample. Every function returns false on bad arguments or a
// library failure (leaving `out` empty) and never ends the process.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// `components`: 1 (grey), 3 (red, green, blue) or 4 (CMYK, for testing
// that readers refuse it). `quality`: 1..100.
// Colour files use the library's default 2x2 chroma subsampling. A
// progressive file holds the same coefficients as the baseline file of the
// same quality, so both decode to the same pixels.
bool encode_jpeg(std::vector<uint8_t>& out, const uint8_t* pixels, int width, int height, int components,
                 int quality, bool progressive);

// One image on a logical screen, as the GIF writer takes it.
struct GifPicture {
    int screenWidth = 0;
    int screenHeight = 0;
    int left = 0; // image rectangle on the screen; it may reach past the
    int top = 0;  // screen's edge, which decoders clip
    int width = 0;
    int height = 0;
    std::vector<uint8_t> indices; // width * height colour indices, top row first
    std::vector<uint8_t> palette; // red, green, blue per entry: 1..256 entries,
                                  // padded with black to a power of two (at least 2)
    int transparentIndex = -1;    // -1: none; else written in a graphics control extension
    bool interlaced = false;      // rows stored in the four-pass interlace order
    bool localPalette = false;    // palette after the image descriptor instead of the screen's
    bool gif89 = true;            // "GIF89a", or "GIF87a" (which cannot have a transparent index)
};

bool encode_gif(std::vector<uint8_t>& out, const GifPicture& picture);

// A GIF made to test decoders' limits: `frames` images of width x height
// pixels, every pixel index 1 (white) of a global map {black, white}, each
// at (0, 0) on the screen. Its LZW data never clears the code table, so once
// the table is full every 12-bit code stands for 4091 pixels: a 16000 x 16000
// image takes about 97 KB. `trailer` false leaves off the closing ';'.
struct GifFlood {
    int screenWidth = 1;
    int screenHeight = 1;
    int width = 1;  // 1..65535
    int height = 1; // 1..65535
    int frames = 1;
    bool trailer = true;
};

bool encode_gif_flood(std::vector<uint8_t>& out, const GifFlood& flood);

// `channels`: 1 (grey), 3 (RGB) or 4 (RGBA).
bool encode_png(std::vector<uint8_t>& out, const uint8_t* pixels, int width, int height, int channels);

// Writes a PNG file straight from the pixels. libpng's working memory comes
// from the C heap, so a tool can write many frames without growing the arena.
// `fast` compresses less for several times the speed (files about a quarter
// larger): for frames written by the hundred. On failure libpng removes what
// it wrote, and `error` (when given) gets the reason ("Is a directory").
bool write_png_file(const char* path, const uint8_t* pixels, int width, int height, int channels, bool fast = false,
                    std::string* error = nullptr);
inline bool write_png_file(const std::string& path, const uint8_t* pixels, int width, int height, int channels,
                           bool fast = false, std::string* error = nullptr)
{
    return write_png_file(path.c_str(), pixels, width, height, channels, fast, error);
}

// Writes `bytes` to `path`, replacing the file; false if any step fails, with
// the system's reason in `error` when given ("Is a directory", "No such file
// or directory"). Devices such as /dev/null are written to as they are; a
// FIFO only when a reader has it open (never waiting for one). A regular
// file left half-written is removed.
bool write_file(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error = nullptr);

// Reads the whole regular file at `path` into `bytes`. False, with the
// reason in `error` when given, when it cannot be opened or read ("Permission
// denied"), or is a directory ("Is a directory") or no regular file (a FIFO,
// a device, a socket: "not a regular file but a FIFO"). Never waits for a
// writer of a FIFO.
bool read_file(const std::string& path, std::vector<uint8_t>& bytes, std::string* error = nullptr);
